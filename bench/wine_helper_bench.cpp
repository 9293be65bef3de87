// The window tools over a Windows program under Wine, through the program's own window system
// (X11, with the prefix's helper answering for Wine's windows), in a real prefix: wine_helper.sh
// starts Xvfb and the prefix, and a window maker keeps the prefix's wineserver running and makes
// the windows, as the user's program would.
//
// - BM_FirstPick: from a new window system to API Spy's fields filled over a Wine window: the
//   helper's start included, asked as the picking drag asks, once per tick.
// - BM_ApiSpyReadout: one API Spy readout (pointer, window under it, its class and text, its
//   parent's) once the helper runs.
// - BM_FinderChain: the Code Generator's chain for a control three levels deep.
#include <benchmark/benchmark.h>

#include <chrono>
#include <sstream>
#include <thread>

#include "platform/window_maker_client.h"
#include "platform/window_system_choice.h"
#include "wintools/api_spy.h"
#include "wintools/code_generator.h"

namespace {

using namespace std::chrono_literals;
using quillan::platform::WindowMakerClient;
using quillan::wintools::Hwnd;
using quillan::wintools::WindowSystem;

// A Wine top-level window with a frame inside it and an edit box inside the frame, the pointer
// over the edit box.
struct Scene {
  WindowMakerClient maker;
  Hwnd top = 0, frame = 0, edit = 0;

  Scene() {
    top = MakeWindow(maker, "create top 0 100 100 500 400\tNotepad\tUntitled - Notepad");
    frame = MakeWindow(
        maker, "create child " + std::to_string(top) + " 5 5 390 290\tThunderRT6Frame\tControls");
    edit =
        MakeWindow(maker, "create child " + std::to_string(frame) + " 10 10 370 270\tEdit\thello");
    std::istringstream at(maker.Ask("screen " + std::to_string(edit) + " 20 20"));
    int x = 0, y = 0;
    at >> x >> y;
    maker.Ask("pointer " + std::to_string(x) + " " + std::to_string(y));
    maker.Ask("sync");
  }
  bool ok() const { return edit != 0; }
};

std::unique_ptr<WindowSystem> ProgramWindowSystem() {
  return quillan::platform::ChooseWindowSystem(quillan::platform::SessionEnvironment::FromProcess(),
                                               quillan::platform::BuiltInBackends())
      .backend;
}

// Picks as the drag does, one tick every 50 ms, until the pick reaches the edit box; false
// when it does not within 10 s.
bool PickTheEdit(WindowSystem& windows, Hwnd edit) {
  const auto give_up = std::chrono::steady_clock::now() + 10s;
  windows.PrepareToPick();
  while (std::chrono::steady_clock::now() < give_up) {
    if (quillan::wintools::WindowUnderPointer(windows) == edit) return true;
    std::this_thread::sleep_for(50ms);
  }
  return false;
}

void BM_FirstPick(benchmark::State& state) {
  Scene scene;
  if (!scene.ok()) return state.SkipWithError("the window maker made no windows");
  for (auto _ : state) {
    auto windows = ProgramWindowSystem();
    if (!PickTheEdit(*windows, scene.edit)) return state.SkipWithError("the pick missed");
    quillan::wintools::ApiSpy spy;
    spy.Inspect(*windows);
    if (spy.fields().class_name != u"Edit") return state.SkipWithError("wrong fields");
    state.PauseTiming();
    windows.reset();  // ends the helper
    state.ResumeTiming();
  }
}
BENCHMARK(BM_FirstPick)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

void BM_ApiSpyReadout(benchmark::State& state) {
  Scene scene;
  auto windows = ProgramWindowSystem();
  if (!scene.ok() || !PickTheEdit(*windows, scene.edit)) {
    return state.SkipWithError("no window or no helper");
  }
  for (auto _ : state) {
    quillan::wintools::ApiSpy spy;  // a new one, so that every readout fills the fields
    spy.Inspect(*windows);
    benchmark::DoNotOptimize(spy.fields());
  }
  quillan::wintools::ApiSpy spy;
  spy.Inspect(*windows);
  if (spy.fields().parent_class != u"ThunderRT6Frame") state.SkipWithError("wrong readout");
}
BENCHMARK(BM_ApiSpyReadout)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_FinderChain(benchmark::State& state) {
  Scene scene;
  auto windows = ProgramWindowSystem();
  if (!scene.ok() || !PickTheEdit(*windows, scene.edit)) {
    return state.SkipWithError("no window or no helper");
  }
  for (auto _ : state) {
    benchmark::DoNotOptimize(quillan::wintools::GenerateFinderCode(*windows, scene.edit));
  }
  if (quillan::wintools::BuildChain(*windows, scene.edit).size() != 3) {
    state.SkipWithError("the chain is not three levels deep");
  }
}
BENCHMARK(BM_FinderChain)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
