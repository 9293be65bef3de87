// Find/Replace on a 10 MB project in the real editor.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <memory>
#include <string>

#include "gui/app/application.h"
#include "gui/commands/edit_commands.h"
#include "gui/widgets/code_editor.h"
#include "gui/widgets/editor_buffer.h"
#include "gui/windows/find_dialog.h"
#include "gui/windows/main_window.h"
#include "gui/windows/tool_windows.h"
#include "settings/settings_store.h"

namespace {

// Message boxes would wait for a click; the benchmark answers none.
struct SilentMessenger : quillan::ui::Messenger {
  quillan::ui::MessageAnswer Show(std::u16string_view, quillan::ui::MessageIcon,
                                  quillan::ui::MessageButtons, std::u16string_view) override {
    return quillan::ui::MessageAnswer::kOk;
  }
};

// 200,000 lines of 50 characters (10,000,000 with their CR LF), each holding the 5-character
// word "Value" once, in another case on every other line.
std::u16string MakeCode() {
  std::u16string code;
  code.reserve(10'000'000);
  for (int i = 0; i < 200'000; ++i) {
    code += i % 2 ? u"    Total& = value + Count& * 12 ' running sum 1"
                  : u"    Total& = Value + Count& * 12 ' running sum 2";
    code += u"\r\n";
  }
  return code;
}

struct Editor {
  quillan::settings::MemorySettingsStore store;
  SilentMessenger messenger;
  std::unique_ptr<quillan::gui::Application> app;
  quillan::gui::MainWindow* window = nullptr;
  quillan::gui::FindDialog* dialog = nullptr;

  Editor() {
    quillan::gui::Ports ports;
    ports.settings = &store;
    ports.messenger = &messenger;
    app = std::make_unique<quillan::gui::Application>(ports);
    window = app->main_window();
    window->show();
    window->Action("Find")->trigger();
    dialog = static_cast<quillan::gui::FindDialog*>(
        app->tool_windows().Existing<quillan::gui::FindDialog>());
  }
  void Load(const std::u16string& code) {
    app->buffer().SetText(code);
    app->buffer().Text();  // the whole text is in the editor
    QApplication::processEvents();
  }
  void SetTexts(const char* find, const char* replace) {
    dialog->findChild<QLineEdit*>("txtFind")->setText(find);
    dialog->findChild<QLineEdit*>("txtReplace")->setText(replace);
  }
};

// Replace All right after a keystroke, as a user runs it: the editor's text is read, the
// occurrences replaced in the editor as one undo step, and the editor laid out again.
// Arg 0: the 200,000 occurrences of "value"; arg 1: a word that occurs 10 times, spread over
// the whole text.
void BM_ReplaceAll10MB(benchmark::State& state) {
  std::u16string code = MakeCode();
  const bool sparse = state.range(0) == 1;
  if (sparse) {
    for (std::size_t i = 0; i < 10; ++i) code.replace(i * 1'000'000 + 4, 5, u"Sum_1");
  }
  Editor editor;
  editor.SetTexts(sparse ? "sum_1" : "value", "Total");
  quillan::gui::CodeEditor* text = editor.window->editor();
  for (auto _ : state) {
    state.PauseTiming();
    editor.Load(code);
    text->append(" ");
    state.ResumeTiming();
    editor.dialog->ReplaceAllClick();
    QApplication::processEvents();
    state.PauseTiming();
    if (editor.app->buffer().Text().find(sparse ? u"Sum_1" : u"alue") != std::u16string::npos) {
      state.SkipWithError("an occurrence was left");
    }
    // One Undo brings back the text as it was before Replace All.
    text->undo();
    if (editor.app->buffer().Text().size() != code.size() + 1) {
      state.SkipWithError("Replace All took more than one undo step");
    }
    state.ResumeTiming();
  }
}
BENCHMARK(BM_ReplaceAll10MB)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(5);

// Replace All that grows the 10 MB to 100 MB (each "value" becomes 455 characters), until
// the window has painted the result and answered a keystroke.
void BM_ReplaceAllGrowingTenfold(benchmark::State& state) {
  const std::u16string code = MakeCode();
  Editor editor;
  const std::string with = "Total" + std::string(450, 'x');
  editor.SetTexts("value", with.c_str());
  quillan::gui::CodeEditor* text = editor.window->editor();
  for (auto _ : state) {
    state.PauseTiming();
    editor.Load(code);
    state.ResumeTiming();
    editor.dialog->ReplaceAllClick();
    text->viewport()->repaint();
    QTest::keyClick(text, Qt::Key_End, Qt::ControlModifier);
    text->viewport()->repaint();
    QApplication::processEvents();
    state.PauseTiming();
    if (editor.app->buffer().Length() < 90'000'000) state.SkipWithError("not replaced");
    state.ResumeTiming();
  }
}
BENCHMARK(BM_ReplaceAllGrowingTenfold)->Unit(benchmark::kMillisecond)->Iterations(3);

// For comparison: the time to put the same 10 MB into the editor and show it.
void BM_SetText10MB(benchmark::State& state) {
  Editor editor;
  const std::u16string code = MakeCode();
  for (auto _ : state) {
    editor.app->buffer().SetText(code);
    editor.window->editor()->viewport()->repaint();
  }
}
BENCHMARK(BM_SetText10MB)->Unit(benchmark::kMillisecond)->Iterations(5);

// One press of Find: arg 0 finds the next line's occurrence, arg 1 searches for a word that
// stands only at the very start, so every press scans the whole text and wraps.
void BM_FindNext10MB(benchmark::State& state) {
  std::u16string code = MakeCode();
  if (state.range(0) == 1) code.insert(0, u"Option Explicit\r\n");
  Editor editor;
  editor.Load(code);
  editor.SetTexts(state.range(0) == 1 ? "explicit" : "value", "");
  for (auto _ : state) {
    editor.dialog->FindClick();
    QApplication::processEvents();
  }
  state.counters["position"] = static_cast<double>(editor.dialog->engine().position());
}
BENCHMARK(BM_FindNext10MB)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(50);

// The first Find after a keystroke: the buffer brings its copy of the text up to date from
// the editor's change report, then searches it.
void BM_FindAfterEdit10MB(benchmark::State& state) {
  Editor editor;
  editor.Load(MakeCode());
  editor.SetTexts("value", "");
  quillan::gui::CodeEditor* text = editor.window->editor();
  for (auto _ : state) {
    state.PauseTiming();
    text->insert("x");
    state.ResumeTiming();
    editor.dialog->FindClick();
    QApplication::processEvents();
  }
}
BENCHMARK(BM_FindAfterEdit10MB)->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace
