// Opening a large executable in the icon extractor and showing both of its icons.
#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include "gui/widgets/qt_convert.h"
#include "gui/windows/icon_window.h"
#include "platform/posix_file_store.h"
#include "settings/settings_store.h"
#include "support/pe_builder.h"
#include "support/recorders.h"

namespace {

using quillan::testing_support::DibOf;
using quillan::testing_support::Group;

// A 32-bit DIB of side x side with its AND mask, all of one half-transparent colour.
std::string Dib32(int side) {
  std::string rows;
  for (int i = 0; i < side * side; ++i) rows += std::string("\x40\x80\xC0\x80", 4);
  return DibOf(side, side, 32, "", rows + std::string(static_cast<std::size_t>(side) * 4, '\0'));
}

std::string Png256() {
  QImage image(256, 256, QImage::Format_ARGB32);
  image.fill(0x80406080);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return bytes.toStdString();
}

// A 50 MB program whose resources, with the usual set of icon sizes, come after 50 MB of code.
QString WriteLargeProgram(const QTemporaryDir& dir) {
  quillan::testing_support::PeBuilder pe;
  pe.raw_offset = 50u << 20;
  pe.icons = {{1, Png256()}, {2, Dib32(48)}, {3, Dib32(32)}, {4, Dib32(16)}};
  pe.group = Group({{256, 32, 1}, {48, 32, 2}, {32, 32, 3}, {16, 32, 4}});
  QFile file(dir.filePath("large.exe"));
  const std::string bytes = pe.Build();
  if (!file.open(QIODevice::WriteOnly)) return {};
  file.write(bytes.data(), static_cast<qint64>(bytes.size()));
  return file.fileName();
}

// Opens the file through the window's Browse, as often as the benchmark asks.
void OpenRepeatedly(benchmark::State& state, const QString& path, bool expect_own_icon) {
  quillan::testing_support::ScriptedChooser chooser;
  quillan::testing_support::RecordingMessenger messenger;
  quillan::platform::PosixFileStore files;
  quillan::settings::MemorySettingsStore settings;
  quillan::gui::IconWindow window(
      [&chooser](QWidget&) -> quillan::document::FileChooser& { return chooser; }, files, settings,
      [&messenger](QWidget&) -> quillan::ui::Messenger& { return messenger; });
  for (auto _ : state) {
    chooser.answers = {quillan::gui::ToU16(path)};
    window.OpenFile();
  }
  const auto* large = window.findChild<quillan::gui::PictureBox*>("picLarge");
  if (large->icon().size() != QSize(32, 32) ||
      (large->icon().pixel(0, 0) == 0x80C08040) != expect_own_icon) {
    state.SkipWithError("the icon shown is not the file's");
  }
  auto file = quillan::platform::PosixFileBytes::Open(quillan::gui::ToU16(path));
  quillan::wintools::ExtractShellIcons(*file);
  state.counters["file_MB"] = static_cast<double>(file->Size()) / (1 << 20);
  state.counters["read_KB"] = static_cast<double>(file->bytes_read()) / 1024;
}

// Opens a file of zeros, which has no icon of its own, as often as the benchmark asks.
void OpenZeros(benchmark::State& state, qint64 size) {
  QTemporaryDir dir;
  QFile file(dir.filePath("data.exe"));
  if (!file.open(QIODevice::WriteOnly) || !file.resize(size)) state.SkipWithError("no file");
  file.close();
  OpenRepeatedly(state, file.fileName(), false);
}

// The first file without an icon of a session: the type database and the theme are loaded.
void BM_FirstOpenWithoutIcon(benchmark::State& state) { OpenZeros(state, 1 << 20); }
BENCHMARK(BM_FirstOpenWithoutIcon)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_OpenLargeExecutable(benchmark::State& state) {
  QTemporaryDir dir;
  OpenRepeatedly(state, WriteLargeProgram(dir), true);
}
BENCHMARK(BM_OpenLargeExecutable)->Unit(benchmark::kMillisecond);

// 50 MB without resources: the desktop theme's icon for its type.
void BM_OpenLargeFileWithoutIcon(benchmark::State& state) { OpenZeros(state, 50 << 20); }
BENCHMARK(BM_OpenLargeFileWithoutIcon)->Unit(benchmark::kMillisecond);

}  // namespace
