// Opening, typing into and saving a large project in the real editor.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>
#include <string>

#include "document/document_commands.h"
#include "gui/application.h"
#include "gui/editor_buffer.h"
#include "gui/main_window.h"
#include "gui/qt_convert.h"
#include "gui/qt_ports.h"
#include "settings/settings_store.h"

namespace {

// About 20 MB in about 600,000 lines of typical module code.
std::string MakeProject(std::size_t target_bytes) {
  static const char* const kLines[] = {
      "Private Sub Command1_Click()",
      "    Dim hWnd As Long, Result As Long",
      "    hWnd& = FindWindow(\"Notepad\", vbNullString)",
      "    If hWnd& <> 0 Then Call ShowWindow(hWnd&, SW_SHOW)",
      "    Text1.Text = Text1.Text & \"Found: \" & Str$(hWnd&)",
      "End Sub",
  };
  std::string out;
  out.reserve(target_bytes + 64);
  for (std::size_t i = 0; out.size() < target_bytes; ++i) {
    out += kLines[i % 6];
    out += "\r\n";
  }
  return out;
}

struct Env {
  QTemporaryDir dir;
  QString path;
  std::size_t bytes = 0;
  quillan::settings::MemorySettingsStore store;
  Env() {
    path = dir.filePath("big.qlp");
    const std::string content = MakeProject(20u << 20);
    bytes = content.size();
    std::ofstream(path.toStdString(), std::ios::binary) << content;
  }
};

Env& TheEnv() {
  static Env env;
  return env;
}

long ResidentKb() {
  QFile status("/proc/self/status");
  if (!status.open(QIODevice::ReadOnly)) return 0;
  for (const QByteArray& line : status.readAll().split('\n')) {
    if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ')[0].toLong();
  }
  return 0;
}

quillan::gui::Ports Ports(Env& env) {
  quillan::gui::Ports ports;
  ports.settings = &env.store;
  return ports;
}

void BM_OpenAndShow20MB(benchmark::State& state) {
  Env& env = TheEnv();
  long rss_before = 0, rss_after = 0;
  for (auto _ : state) {
    state.PauseTiming();
    rss_before = ResidentKb();
    auto window = std::make_unique<quillan::gui::Application>(Ports(env));
    window->window().show();
    QApplication::processEvents();
    state.ResumeTiming();
    auto ctx = window->context();
    quillan::document::LoadProject(ctx, quillan::gui::ToU16(env.path));
    window->window().editor()->viewport()->repaint();
    QApplication::processEvents();
    state.PauseTiming();
    while (window->buffer().loading()) QApplication::processEvents();
    rss_after = ResidentKb();
    window.reset();
    QApplication::processEvents();
    state.ResumeTiming();
  }
  state.counters["file_MB"] = static_cast<double>(env.bytes) / (1 << 20);
  state.counters["rss_growth_MB"] = static_cast<double>(rss_after - rss_before) / 1024;
  state.counters["rss_growth_x_file"] =
      static_cast<double>(rss_after - rss_before) * 1024 / static_cast<double>(env.bytes);
}
BENCHMARK(BM_OpenAndShow20MB)->Unit(benchmark::kMillisecond)->Iterations(3);

// The same, until the last part of the project is in the editor (the event loop adds it
// after the first screenful is shown).
void BM_OpenUntilFullyLoaded20MB(benchmark::State& state) {
  Env& env = TheEnv();
  for (auto _ : state) {
    state.PauseTiming();
    auto window = std::make_unique<quillan::gui::Application>(Ports(env));
    window->window().show();
    QApplication::processEvents();
    state.ResumeTiming();
    auto ctx = window->context();
    quillan::document::LoadProject(ctx, quillan::gui::ToU16(env.path));
    while (window->buffer().loading()) QApplication::processEvents();
    window->window().editor()->viewport()->repaint();
    state.PauseTiming();
    if (window->buffer().Length() + 2 != env.bytes) state.SkipWithError("text incomplete");
    window.reset();
    QApplication::processEvents();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_OpenUntilFullyLoaded20MB)->Unit(benchmark::kMillisecond)->Iterations(3);

struct OpenWindow {
  std::unique_ptr<quillan::gui::Application> window;
  explicit OpenWindow(Env& env) : window(std::make_unique<quillan::gui::Application>(Ports(env))) {
    window->window().show();
    auto ctx = window->context();
    quillan::document::LoadProject(ctx, quillan::gui::ToU16(env.path));
    window->buffer().CompleteLoad();
    window->window().editor()->moveCursor(QTextCursor::Start);
    for (int i = 0; i < 300000; ++i) window->window().editor()->moveCursor(QTextCursor::Down);
    QApplication::processEvents();
  }
};

void BM_KeystrokeIn20MB(benchmark::State& state) {
  Env& env = TheEnv();
  OpenWindow open(env);
  QPlainTextEdit* editor = open.window->window().editor();
  for (auto _ : state) {
    QTest::keyClick(editor, Qt::Key_A);
    editor->viewport()->repaint();
    QApplication::processEvents();
  }
}
BENCHMARK(BM_KeystrokeIn20MB)->Unit(benchmark::kMillisecond)->Iterations(200);

void BM_Save20MB(benchmark::State& state) {
  Env& env = TheEnv();
  OpenWindow open(env);
  auto ctx = open.window->context();
  const std::u16string target = quillan::gui::ToU16(env.dir.filePath("saved.qlp"));
  for (auto _ : state) {
    // Each save follows an edit, as in real use, so the text is read afresh from the editor.
    state.PauseTiming();
    open.window->window().editor()->insertPlainText("x");
    state.ResumeTiming();
    if (!quillan::document::WriteProject(ctx, target)) state.SkipWithError("save failed");
  }
}
BENCHMARK(BM_Save20MB)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
