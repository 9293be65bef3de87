// Dim All Variables and the handle-variable discovery on the largest module Visual Basic
// holds (65,534 lines) that assigns 5,000 distinct names, in the real editor. The pauses run
// on a clock that skips a second at each round, so they take no time and are not measured.
#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <memory>
#include <string>
#include <vector>

#include "codegen/dim_all.h"
#include "codegen/handle_variables.h"
#include "gui/app/application.h"
#include "gui/commands/window_action_commands.h"
#include "gui/widgets/code_editor.h"
#include "gui/widgets/editor_buffer.h"
#include "gui/windows/main_window.h"
#include "gui/windows/select_variable_dialog.h"
#include "settings/settings_store.h"
#include "ui/clock.h"
#include "ui/messenger.h"

namespace {

constexpr std::size_t kModuleLines = 65534;
// n0& .. n2498& and s0$ .. s2498$, with i% and total: 5,000 distinct names.
constexpr std::size_t kHandleNames = 2499;

// Each round of a pause moves the time on by a whole second: a pause of one second returns
// after one round of doing nothing, a pause of 0 at once.
struct SkippingTime : quillan::ui::Clock, quillan::ui::EventPump {
  double now = 30000.0;
  double MonotonicSeconds() const override { return now; }
  void ProcessPendingEvents() override { now += 1.0; }
  void ShowBusy(bool) override {}
};

struct SilentMessenger : quillan::ui::Messenger {
  int shown = 0;
  quillan::ui::MessageAnswer Show(std::u16string_view, quillan::ui::MessageIcon,
                                  quillan::ui::MessageButtons, std::u16string_view) override {
    ++shown;
    return quillan::ui::MessageAnswer::kOk;
  }
};

std::u16string Number(std::size_t n) {
  std::u16string digits;
  for (char c : std::to_string(n)) digits.push_back(static_cast<char16_t>(c));
  return digits;
}

// Procedures that find windows and work on them, each name assigned about three times.
std::u16string MakeModule() {
  std::vector<std::u16string> lines = {u"Option Explicit", u"Dim hMain As Long", u""};
  for (std::size_t block = 0; lines.size() < kModuleLines; ++block) {
    const std::u16string j = Number(block % kHandleNames);
    const std::u16string n = u"n" + j + u"&";
    const std::u16string s = u"s" + j + u"$";
    lines.push_back(u"Private Sub Find" + std::u16string(1, u'A' + block % 26) + j + u"()");
    lines.push_back(u"    " + n + u" = FindWindowEx(hMain, 0&, \"Edit\", vbNullString)");
    lines.push_back(u"    If " + n + u" <> 0 Then Call ShowWindow(" + n + u", SW_SHOW)");
    lines.push_back(u"    " + s + u" = \"Found \" & Str$(" + n + u")");
    lines.push_back(u"    For i% = 1 To 10");
    lines.push_back(u"        total = total + i%");
    lines.push_back(u"    Next");
    lines.push_back(u"    ' the window is " + n);
    lines.push_back(u"End Sub");
  }
  lines.resize(kModuleLines);
  std::u16string text;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) text += u"\r\n";
    text += lines[i];
  }
  return text;
}

struct Editor {
  quillan::settings::MemorySettingsStore store;
  SilentMessenger messenger;
  SkippingTime time;
  std::unique_ptr<quillan::gui::Application> app;
  quillan::gui::MainWindow* window = nullptr;
  quillan::gui::WindowActionCommands* commands = nullptr;

  Editor() {
    quillan::gui::Ports ports;
    ports.settings = &store;
    ports.messenger = &messenger;
    ports.clock = &time;
    ports.pump = &time;
    app = std::make_unique<quillan::gui::Application>(ports);
    window = app->main_window();
    window->show();
    commands = &app->window_actions();
    QApplication::processEvents();
  }
  void Load(const std::u16string& module) {
    app->buffer().SetText(module);
    QApplication::processEvents();
  }
};

const std::u16string& Module() {
  static const std::u16string module = MakeModule();
  return module;
}

// The menu command as the user runs it, until the editor has repainted.
void BM_DimAllVariables(benchmark::State& state) {
  Editor editor;
  std::size_t added = 0;
  for (auto _ : state) {
    state.PauseTiming();
    editor.Load(Module());
    state.ResumeTiming();
    editor.window->Action("Dim_vars")->trigger();
    editor.window->editor()->viewport()->repaint();
    state.PauseTiming();
    added = editor.app->buffer().Length() - Module().size();
    state.ResumeTiming();
  }
  if (added == 0) state.SkipWithError("nothing was declared");
  state.counters["lines"] = static_cast<double>(kModuleLines);
  state.counters["dim_chars_added"] = static_cast<double>(added);
}
BENCHMARK(BM_DimAllVariables)->Unit(benchmark::kMillisecond)->Iterations(5);

// The discovery steps on the editor's text, up to the list the dialog shows.
void BM_DiscoverHandleVariables(benchmark::State& state) {
  Editor editor;
  editor.Load(Module());
  std::size_t names = 0;
  for (auto _ : state) {
    std::vector<std::u16string> lines;
    std::vector<std::u16string> found;
    quillan::codegen::SplitLinesToList(editor.app->buffer().Text(), lines);
    quillan::codegen::ExtractAssignedNames(lines, found);
    quillan::codegen::RemoveDuplicateItems(found);
    names = found.size();
    benchmark::DoNotOptimize(found.data());
  }
  state.counters["names"] = static_cast<double>(names);
}
BENCHMARK(BM_DiscoverHandleVariables)->Unit(benchmark::kMillisecond)->Iterations(20);

// The menu item Show Window... until the dialog lists the names, then Cancel (not measured).
void BM_ShowWindowItemToDialog(benchmark::State& state) {
  Editor editor;
  editor.Load(Module());
  std::size_t names = 0;
  for (auto _ : state) {
    editor.window->Action("Window_Show")->trigger();
    state.PauseTiming();
    names = editor.commands->state().names.size();
    auto* dialog = editor.window->findChild<quillan::gui::SelectVariableDialog*>();
    if (dialog == nullptr || !dialog->isVisible()) state.SkipWithError("no dialog");
    if (dialog != nullptr) dialog->reject();
    QApplication::processEvents();
    state.ResumeTiming();
  }
  state.counters["names"] = static_cast<double>(names);
}
BENCHMARK(BM_ShowWindowItemToDialog)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace
