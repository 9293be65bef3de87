// Start-up time of the real program on its first start, measured from outside it: from the
// moment the process is started until its main window is mapped and painted (see
// first_paint.h), on an X server the caller provides (startup.sh starts Xvfb with a black
// root). Each run has an empty home of its own, in a private temporary folder; before it is
// emptied for the next run, the program is ended and whatever it started (the update of the
// MIME database that registering the file type runs) has finished.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "first_paint.h"

namespace {

void BM_StartupToPaintedWindow(benchmark::State& state) {
  const char* program = std::getenv("QUILLAN_PROGRAM");
  if (program == nullptr) {
    state.SkipWithError("QUILLAN_PROGRAM names no program");
    return;
  }
  quillan::bench::PaintWatcher watcher;
  if (!watcher.ok()) {
    state.SkipWithError("no X display");
    return;
  }
  const quillan::bench::ScratchFolder scratch("quillan-startup");
  if (!scratch.ok()) {
    state.SkipWithError("cannot make a temporary folder");
    return;
  }
  const std::filesystem::path home = scratch.path() / "home";
  for (auto _ : state) {
    quillan::bench::ScratchFolder::Remove(home);
    quillan::bench::UseHome(home);
    pid_t pid = 0;
    const std::optional<double> seconds = watcher.Start({program}, &pid);
    quillan::bench::EndAndReap(pid);
    if (!seconds) {
      state.SkipWithError(pid == 0 ? "cannot start the program" : "the window was never painted");
      break;
    }
    state.SetIterationTime(*seconds);
  }
}
BENCHMARK(BM_StartupToPaintedWindow)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);

}  // namespace

BENCHMARK_MAIN();
