// Compares the start-up of several programs on the X server the caller provides:
//   first_paint RUNS LABEL PROGRAM [ARGS...] [-- LABEL PROGRAM [ARGS...]]...
// Each program gets a home of its own, kept across its runs, and is started once unmeasured,
// so the runs measure the everyday start (settings and file-type registration already in
// place). Then RUNS rounds start every program once, in an order that turns each round, and
// time it to its painted window (first_paint.h). Prints each program's times and median, and
// each median against the last program's.
#include "first_paint.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

struct Program {
  std::string label;
  std::vector<std::string> argv;
  std::filesystem::path home;
  std::vector<double> ms;
};

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 == 1 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

}  // namespace

int main(int argc, char* argv[]) {
  const int runs = argc > 1 ? std::atoi(argv[1]) : 0;
  std::vector<Program> programs;
  for (int i = 2; i < argc; ++i) {
    if (std::string(argv[i]) == "--" || programs.empty()) {
      if (std::string(argv[i]) == "--") ++i;
      if (i + 1 >= argc) break;
      programs.push_back({argv[i], {argv[i + 1]}, {}, {}});
      ++i;
      continue;
    }
    programs.back().argv.emplace_back(argv[i]);
  }
  if (runs < 1 || programs.empty()) {
    std::fprintf(stderr, "usage: first_paint RUNS LABEL PROGRAM [ARGS...] [-- LABEL ...]...\n");
    return 2;
  }
  quillan::bench::PaintWatcher watcher;
  if (!watcher.ok()) {
    std::fprintf(stderr, "first_paint: no X display\n");
    return 1;
  }
  const quillan::bench::ScratchFolder scratch("first-paint");
  if (!scratch.ok()) {
    std::fprintf(stderr, "first_paint: cannot make a temporary folder\n");
    return 1;
  }
  // One start of a program; false when it showed no painted window.
  auto start = [&](Program& p, bool measured) {
    quillan::bench::UseHome(p.home);
    pid_t pid = 0;
    const std::optional<double> seconds = watcher.Start(p.argv, &pid);
    quillan::bench::EndAndReap(pid);
    if (!seconds) {
      std::fprintf(stderr, "first_paint: %s %s\n", p.label.c_str(),
                   pid == 0 ? "could not be started" : "painted no window");
      return false;
    }
    if (measured) p.ms.push_back(*seconds * 1000);
    return true;
  };
  for (std::size_t i = 0; i < programs.size(); ++i) {
    programs[i].home = scratch.path() / std::to_string(i);
    if (!start(programs[i], false)) return 1;
  }
  for (int round = 0; round < runs; ++round) {
    for (std::size_t k = 0; k < programs.size(); ++k) {
      if (!start(programs[(k + static_cast<std::size_t>(round)) % programs.size()], true)) return 1;
    }
  }
  const double base = Median(programs.back().ms);
  for (const Program& p : programs) {
    std::printf("%-12s", p.label.c_str());
    for (double ms : p.ms) std::printf(" %6.1f", ms);
    const double median = Median(p.ms);
    std::printf("  median %6.1f ms  %.2fx %s\n", median, median / base,
                programs.back().label.c_str());
  }
  return 0;
}
