// The Wine helper in a real prefix (wine_helper.sh starts Xvfb and the prefix, and a window
// maker keeps the prefix's wineserver running, as the user's program would): the helper's
// start up to its hello, and one API Spy readout (the window under a point, its class and its
// parent) through a running helper.
#include <benchmark/benchmark.h>

#include <chrono>
#include <sstream>

#include "platform/window_maker_client.h"
#include "platform/wine/wine_helper.h"

namespace {

using namespace std::chrono_literals;
using quillan::platform::PrefixOfThisProcess;
using quillan::platform::StartWineWorld;
using quillan::platform::WineWorld;

void BM_WineHelperStart(benchmark::State& state) {
  quillan::platform::WindowMakerClient maker;
  if (maker.Ask("sync") != "ok") return state.SkipWithError("the window maker did not start");
  for (auto _ : state) {
    auto world = StartWineWorld(PrefixOfThisProcess());
    if (world->Poll(30s) != WineWorld::State::kReady) {
      return state.SkipWithError("the helper did not start");
    }
    state.PauseTiming();
    world.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_WineHelperStart)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_WineHelperReadout(benchmark::State& state) {
  quillan::platform::WindowMakerClient maker;
  const auto top = MakeWindow(maker, "create top 0 100 100 500 400\tNotepad\tUntitled");
  const auto edit =
      MakeWindow(maker, "create child " + std::to_string(top) + " 10 10 380 280\tEdit\thello");
  std::istringstream answer(maker.Ask("screen " + std::to_string(edit) + " 20 20"));
  quillan::wintools::ScreenPoint point;
  answer >> point.x >> point.y;
  auto world = StartWineWorld(PrefixOfThisProcess());
  if (edit == 0 || world->Poll(30s) != WineWorld::State::kReady) {
    return state.SkipWithError("no window or no helper");
  }
  quillan::wintools::WindowSystem& ws = world->windows();
  for (auto _ : state) {
    const auto h = ws.WindowFromPoint(point);
    benchmark::DoNotOptimize(ws.GetClassName(h, 100));
    benchmark::DoNotOptimize(ws.GetParent(h));
  }
  if (ws.WindowFromPoint(point) != edit) state.SkipWithError("the readout missed the window");
}
BENCHMARK(BM_WineHelperReadout)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
