// Code generators on large documents: in the real editor, from the answered prompt to the
// repainted editor, and on the plain string buffer. The Code Generator on a window with very
// many siblings of its class.
#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <memory>
#include <optional>
#include <string>

#include "codegen/code_presets.h"
#include "codegen/insert_declarations.h"
#include "codegen/primitives.h"
#include "codegen/statement_inserts.h"
#include "gui/app/application.h"
#include "gui/widgets/code_editor.h"
#include "gui/widgets/editor_buffer.h"
#include "gui/widgets/picker_arrow.h"
#include "gui/windows/code_generator_window.h"
#include "gui/windows/main_window.h"
#include "gui/windows/tool_windows.h"
#include "platform/fake_window_system.h"
#include "settings/settings_store.h"
#include "text/string_code_buffer.h"
#include "ui/prompter.h"
#include "wintools/code_generator.h"

namespace {

// Module code with its declarations at the top and none of the generators' keys: each key
// test and the search for the last "Dim " have to cross the whole text.
std::u16string MakeModule(std::size_t target_chars) {
  static const char16_t* const kBody[] = {
      u"Private Sub Command1_Click()",
      u"    hWnd& = FindWindow(\"Notepad\", vbNullString)",
      u"    If hWnd& <> 0 Then Call ShowWindow(hWnd&, SW_SHOW)",
      u"    Text1.Text = Text1.Text & \"Found: \" & Str$(hWnd&)",
      u"End Sub",
  };
  std::u16string out =
      u"Public Declare Function FindWindow Lib \"user32\" Alias \"FindWindowA\" (ByVal "
      u"lpClassName As String, ByVal lpWindowName As String) As Long\r\n"
      u"Dim Result As Long\r\n";
  out.reserve(target_chars + 128);
  for (std::size_t i = 0; out.size() < target_chars; ++i) {
    out += kBody[i % std::size(kBody)];
    out += u"\r\n";
  }
  return out;
}

// Answers every prompt at once, the way a user accepts a typed answer.
class AnsweringPrompter final : public quillan::ui::Prompter {
 public:
  std::optional<std::u16string> Ask(std::u16string_view, std::u16string_view) override {
    return u"Form1";
  }
};

// Runs the menu item in a window holding `chars` characters of code, undoing each run
// outside the timing so that every run sees the same text and inserts the same lines.
void RunInEditor(benchmark::State& state, const char* action) {
  const auto chars = static_cast<std::size_t>(state.range(0));
  quillan::settings::MemorySettingsStore store;
  AnsweringPrompter prompter;
  quillan::gui::Ports ports;
  ports.settings = &store;
  ports.prompter = &prompter;
  quillan::gui::Application app(ports);
  quillan::gui::MainWindow& window = *app.main_window();
  window.show();
  // Straight into the widget, all of it, so that no part of the loading is timed.
  app.buffer().SetText(MakeModule(chars));
  QApplication::processEvents();
  QAction* command = window.Action(action);
  quillan::gui::CodeEditor* editor = window.editor();
  if (app.buffer().Length() + 1 < chars) state.SkipWithError("text incomplete");
  for (auto _ : state) {
    command->trigger();
    editor->viewport()->repaint();
    state.PauseTiming();
    editor->undo();
    QApplication::processEvents();
    state.ResumeTiming();
  }
  state.counters["doc_MB"] = static_cast<double>(chars) / (1 << 20);
}

void BM_EditorIfThen(benchmark::State& state) { RunInEditor(state, "If_Then"); }
void BM_EditorEncryptString(benchmark::State& state) { RunInEditor(state, "Encrypt_String"); }
void BM_EditorFormOnTop(benchmark::State& state) { RunInEditor(state, "Form_On_Top"); }
void BM_EditorPause(benchmark::State& state) { RunInEditor(state, "Code_Pause"); }

constexpr int64_t k1MB = 1 << 20;
constexpr int64_t k10MB = 10 << 20;

BENCHMARK(BM_EditorIfThen)->Arg(k1MB)->Arg(k10MB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EditorEncryptString)->Arg(k1MB)->Arg(k10MB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EditorFormOnTop)->Arg(k1MB)->Arg(k10MB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EditorPause)->Arg(k1MB)->Arg(k10MB)->Unit(benchmark::kMillisecond);

// The generator logic alone, on the string buffer.
void BM_StringFormOnTop(benchmark::State& state) {
  const std::u16string module = MakeModule(static_cast<std::size_t>(state.range(0)));
  quillan::settings::MemorySettingsStore store;
  quillan::codegen::InsertDeclarations declarations(store);
  AnsweringPrompter prompter;
  for (auto _ : state) {
    state.PauseTiming();
    quillan::text::StringCodeBuffer buffer(module);
    state.ResumeTiming();
    quillan::codegen::InsertFormPlacement(quillan::codegen::Placement::kOnTop, buffer, prompter,
                                          declarations);
    benchmark::DoNotOptimize(buffer.Length());
  }
}
BENCHMARK(BM_StringFormOnTop)->Arg(k1MB)->Arg(k10MB)->Unit(benchmark::kMillisecond);

void BM_StringEncryptString(benchmark::State& state) {
  const std::u16string module = MakeModule(static_cast<std::size_t>(state.range(0)));
  AnsweringPrompter prompter;
  for (auto _ : state) {
    state.PauseTiming();
    quillan::text::StringCodeBuffer buffer(module);
    state.ResumeTiming();
    quillan::codegen::InsertRoutine(quillan::codegen::Routine::kEncryptString, buffer, prompter);
    benchmark::DoNotOptimize(buffer.Length());
  }
}
BENCHMARK(BM_StringEncryptString)->Arg(k1MB)->Arg(k10MB)->Unit(benchmark::kMillisecond);

// A dialog holding `count` edit boxes; the last one is picked, so that its level gets a
// stepping line for each of the others.
struct ManySiblings {
  quillan::platform::FakeWindowSystem tree;
  quillan::wintools::Hwnd last = 0;
  explicit ManySiblings(std::int64_t count) {
    const quillan::wintools::Hwnd dialog = tree.Add(u"#32770", u"Many");
    for (std::int64_t i = 0; i < count; ++i) last = tree.Add(u"Edit", u"", dialog);
  }
};

// The release of the arrow in the Code Generator window: the chain, the searches, the preview
// text, and the preview box filled and painted.
void BM_CodeGeneratorWindowLastSibling(benchmark::State& state) {
  ManySiblings many(state.range(0));
  quillan::settings::MemorySettingsStore store;
  quillan::gui::Ports ports;
  ports.settings = &store;
  ports.windows = &many.tree;
  quillan::gui::Application app(ports);
  app.main_window()->show();
  app.main_window()->Action("Code_Generator")->trigger();
  auto* generator = app.tool_windows().Existing<quillan::gui::CodeGeneratorWindow>();
  auto* arrow = generator->findChild<quillan::gui::PickerArrow*>("Picture1");
  auto* preview = generator->findChild<QPlainTextEdit*>("txtCode");
  generator->Pick(many.last);
  QApplication::processEvents();
  for (auto _ : state) {
    emit arrow->Released(Qt::LeftButton);
    preview->viewport()->repaint();
  }
  if (preview->blockCount() < state.range(0)) state.SkipWithError("preview incomplete");
  state.counters["lines"] = preview->blockCount();
}
BENCHMARK(BM_CodeGeneratorWindowLastSibling)->Arg(50000)->Unit(benchmark::kMillisecond);

// The generation alone.
void BM_GenerateFinderCodeLastSibling(benchmark::State& state) {
  ManySiblings many(state.range(0));
  std::size_t chars = 0;
  for (auto _ : state) {
    chars = quillan::wintools::GenerateFinderCode(many.tree, many.last).size();
    benchmark::DoNotOptimize(chars);
  }
  state.counters["chars"] = static_cast<double>(chars);
}
BENCHMARK(BM_GenerateFinderCodeLastSibling)->Arg(50000)->Unit(benchmark::kMillisecond);

}  // namespace
