// Opening, typing into and saving a large project in the real editor.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>
#include <cstring>
#include <fstream>
#include <string>

#include "document/document_commands.h"
#include "gui/app/application.h"
#include "gui/app/qt_ports.h"
#include "gui/commands/recovery_keeper.h"
#include "gui/widgets/code_editor.h"
#include "gui/widgets/editor_buffer.h"
#include "gui/widgets/qt_convert.h"
#include "gui/windows/main_window.h"
#include "settings/settings_store.h"
#include "support/recorders.h"

namespace {

// About 20 MB in about 600,000 lines of typical module code.
std::string MakeProject(std::size_t target_bytes) {
  static const char* const kLines[] = {
      "Private Sub Command1_Click()",
      "    Dim hWnd As Long, Result As Long",
      "    hWnd& = FindWindow(\"Notepad\", vbNullString)",
      "    If hWnd& <> 0 Then Call ShowWindow(hWnd&, SW_SHOW)",
      "    Text1.Text = Text1.Text & \"Found: \" & Str$(hWnd&)",
      "    End If",
      "End Sub",
  };
  std::string out;
  out.reserve(target_bytes + 64);
  for (std::size_t i = 0; out.size() < target_bytes; ++i) {
    out += kLines[i % 7];
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

// The resident memory and its peak since the last ResetPeak, in KB.
long StatusKb(const char* field) {
  QFile status("/proc/self/status");
  if (!status.open(QIODevice::ReadOnly)) return 0;
  for (const QByteArray& line : status.readAll().split('\n')) {
    if (line.startsWith(field))
      return line.mid(static_cast<qsizetype>(std::strlen(field))).trimmed().split(' ')[0].toLong();
  }
  return 0;
}
void ResetPeak() {
  QFile clear("/proc/self/clear_refs");
  if (clear.open(QIODevice::WriteOnly)) clear.write("5");
}

quillan::gui::Ports Ports(Env& env) {
  quillan::gui::Ports ports;
  ports.settings = &env.store;
  return ports;
}

// Paints the editor now, as the next frame would.
void Paint(quillan::gui::Application& app) {
  app.main_window()->editor()->viewport()->repaint();
  QApplication::processEvents();
}

// Opening until the project is fully usable: all text in the editor, Ctrl+End answered and
// painted. The peak memory is the program's own while it opens, against the file's size.
void BM_OpenUntilUsable20MB(benchmark::State& state) {
  Env& env = TheEnv();
  long rss_before = 0, peak = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto window = std::make_unique<quillan::gui::Application>(Ports(env));
    window->main_window()->show();
    QApplication::processEvents();
    rss_before = StatusKb("VmRSS:");
    ResetPeak();
    state.ResumeTiming();
    auto ctx = window->context();
    quillan::document::LoadProject(ctx, quillan::gui::ToU16(env.path));
    Paint(*window);
    QTest::keyClick(window->main_window()->editor(), Qt::Key_End, Qt::ControlModifier);
    Paint(*window);
    state.PauseTiming();
    peak = StatusKb("VmHWM:");
    if (window->buffer().Length() + 2 != env.bytes) state.SkipWithError("text incomplete");
    if (window->main_window()->editor()->Send(QsciScintillaBase::SCI_GETCURRENTPOS) !=
        window->main_window()->editor()->Send(QsciScintillaBase::SCI_GETLENGTH)) {
      state.SkipWithError("Ctrl+End was not answered");
    }
    window.reset();
    QApplication::processEvents();
    state.ResumeTiming();
  }
  state.counters["file_MB"] = static_cast<double>(env.bytes) / (1 << 20);
  state.counters["peak_growth_x_file"] =
      static_cast<double>(peak - rss_before) * 1024 / static_cast<double>(env.bytes);
}
BENCHMARK(BM_OpenUntilUsable20MB)->Unit(benchmark::kMillisecond)->Iterations(3);

struct OpenWindow {
  std::unique_ptr<quillan::gui::Application> window;
  explicit OpenWindow(Env& env) : window(std::make_unique<quillan::gui::Application>(Ports(env))) {
    window->main_window()->show();
    auto ctx = window->context();
    quillan::document::LoadProject(ctx, quillan::gui::ToU16(env.path));
    window->main_window()->editor()->Send(QsciScintillaBase::SCI_GOTOLINE, 300000);
    Paint(*window);
  }
  quillan::gui::CodeEditor* editor() const { return window->main_window()->editor(); }
};

// Ctrl+End, Ctrl+Home and a jump to a line, each until painted and styled. Arg: 0 end, 1
// home, 2 a line in the middle; every run starts from somewhere else.
void BM_Jump20MB(benchmark::State& state) {
  Env& env = TheEnv();
  OpenWindow open(env);
  const long lines = open.editor()->lines();
  long where = 0;
  for (auto _ : state) {
    state.PauseTiming();
    where = (where + 100003) % lines;
    open.editor()->Send(QsciScintillaBase::SCI_GOTOLINE, static_cast<unsigned long>(where));
    Paint(*open.window);
    state.ResumeTiming();
    switch (state.range(0)) {
      case 0:
        QTest::keyClick(open.editor(), Qt::Key_End, Qt::ControlModifier);
        break;
      case 1:
        QTest::keyClick(open.editor(), Qt::Key_Home, Qt::ControlModifier);
        break;
      default:
        open.editor()->Send(QsciScintillaBase::SCI_GOTOLINE,
                            static_cast<unsigned long>((where + lines / 2) % lines));
        break;
    }
    Paint(*open.window);
  }
}
BENCHMARK(BM_Jump20MB)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_KeystrokeIn20MB(benchmark::State& state) {
  Env& env = TheEnv();
  OpenWindow open(env);
  for (auto _ : state) {
    QTest::keyClick(open.editor(), Qt::Key_A);
    Paint(*open.window);
  }
}
BENCHMARK(BM_KeystrokeIn20MB)->Unit(benchmark::kMillisecond)->Iterations(200);

// A keystroke while the recovery copy of the 20 MB project is taken and written: the time
// the window is held includes taking the copy of the text, never the disk.
void BM_KeystrokeDuringRecoveryCopy20MB(benchmark::State& state) {
  Env& env = TheEnv();
  OpenWindow open(env);
  quillan::gui::RecoveryKeeper& keeper = open.window->recovery_keeper();
  double slowest = 0;
  for (auto _ : state) {
    state.PauseTiming();
    keeper.WaitUntilWritten();
    QTest::keyClick(open.editor(), Qt::Key_A);
    Paint(*open.window);
    state.ResumeTiming();
    const auto start = std::chrono::steady_clock::now();
    keeper.WriteSoon();
    QTest::keyClick(open.editor(), Qt::Key_B);
    Paint(*open.window);
    slowest = std::max(
        slowest, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                     .count());
  }
  keeper.WaitUntilWritten();
  state.counters["slowest_ms"] = slowest;
}
BENCHMARK(BM_KeystrokeDuringRecoveryCopy20MB)->Unit(benchmark::kMillisecond)->Iterations(20);

// A 50 MB file that is one line: refused with a message instead of holding up the window.
void BM_OpenSingleLine50MB(benchmark::State& state) {
  Env& env = TheEnv();
  const QString path = env.dir.filePath("line.qlp");
  std::ofstream(path.toStdString(), std::ios::binary) << std::string(50u << 20, 'x');
  quillan::testing_support::RecordingMessenger messenger;
  quillan::gui::Ports ports = Ports(env);
  ports.messenger = &messenger;
  quillan::gui::Application app(ports);
  app.main_window()->show();
  for (auto _ : state) {
    auto ctx = app.context();
    if (quillan::document::LoadProject(ctx, quillan::gui::ToU16(path))) {
      state.SkipWithError("opened");
    }
    Paint(app);
  }
  state.counters["messages"] = static_cast<double>(messenger.shown.size());
}
BENCHMARK(BM_OpenSingleLine50MB)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Save20MB(benchmark::State& state) {
  Env& env = TheEnv();
  OpenWindow open(env);
  auto ctx = open.window->context();
  const std::u16string target = quillan::gui::ToU16(env.dir.filePath("saved.qlp"));
  for (auto _ : state) {
    // Each save follows an edit, as in real use.
    state.PauseTiming();
    open.editor()->insert("x");
    state.ResumeTiming();
    if (!quillan::document::WriteProject(ctx, target)) state.SkipWithError("save failed");
  }
}
BENCHMARK(BM_Save20MB)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
