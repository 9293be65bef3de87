// The window tools on a real X server (startup.sh starts Xvfb for it): one API Spy update,
// the Code Generator's chain and preview for a window deep in a tree and for the last of many
// siblings, one Color Spy sample in the logic and one through its window, and the picking
// outline's move to another window. The tool windows are on Qt's offscreen platform; the
// window system they read is the X server's.
#include <benchmark/benchmark.h>
#include <xcb/xcb.h>

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <optional>
#include <string>

#include "gui/windows/color_spy_window.h"
#include "platform/x11/x11_pick_highlight.h"
#include "platform/x11/x11_window_system.h"
#include "wintools/api_spy.h"
#include "wintools/code_generator.h"
#include "wintools/window_spy.h"

namespace {

using quillan::wintools::Hwnd;

// Test windows, made by a client of the benchmark's own.
struct Windows {
  xcb_connection_t* c = quillan::platform::ConnectToDisplay("");
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;

  // `rgb`: a background in a 24-bit TrueColor pixel, else none.
  xcb_window_t Make(xcb_window_t parent, const std::string& cls, int x, int y, int w, int h,
                    bool map = true, std::optional<std::uint32_t> rgb = std::nullopt) {
    const xcb_window_t id = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, id, parent, static_cast<std::int16_t>(x),
                      static_cast<std::int16_t>(y), static_cast<std::uint16_t>(w),
                      static_cast<std::uint16_t>(h), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      screen->root_visual, rgb ? XCB_CW_BACK_PIXEL : 0, rgb ? &*rgb : nullptr);
    std::string wm_class = "bench";
    wm_class.push_back('\0');
    wm_class += cls;
    wm_class.push_back('\0');
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                        static_cast<std::uint32_t>(wm_class.size()), wm_class.data());
    if (map) xcb_map_window(c, id);
    return id;
  }
  void Sync() { std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr)); }
  void Warp(int x, int y) {
    xcb_warp_pointer(c, XCB_NONE, screen->root, 0, 0, 0, 0, static_cast<std::int16_t>(x),
                     static_cast<std::int16_t>(y));
    Sync();
  }
  ~Windows() { xcb_disconnect(c); }
};

std::unique_ptr<quillan::platform::X11WindowSystem> Backend(benchmark::State& state) {
  std::u16string reason;
  auto backend = quillan::platform::X11WindowSystem::Connect("", reason);
  if (!backend)
    state.SkipWithError(("no X display: " + std::string(reason.begin(), reason.end())).c_str());
  return backend;
}

// A window under the pointer in a top-level with 20 siblings, 5 levels down.
void BM_ApiSpyUpdateOnX11(benchmark::State& state) {
  auto backend = Backend(state);
  if (!backend) return;
  Windows w;
  for (int i = 0; i < 20; ++i) w.Make(w.screen->root, "Other", 600 + i, 600, 50, 50);
  xcb_window_t parent = w.Make(w.screen->root, "Top", 0, 0, 500, 500);
  for (int level = 0; level < 5; ++level)
    parent = w.Make(parent, "Level", 5, 5, 400 - 40 * level, 400);
  w.Sync();
  quillan::wintools::ApiSpy spy;
  bool alternate = false;
  for (auto _ : state) {
    // Moving between two points of different windows, so each update reads everything; the
    // move itself is not timed.
    state.PauseTiming();
    xcb_warp_pointer(w.c, XCB_NONE, w.screen->root, 0, 0, 0, 0, alternate ? 30 : 450, 30);
    w.Sync();
    alternate = !alternate;
    state.ResumeTiming();
    if (!spy.Inspect(*backend)) state.SkipWithError("the window under the pointer did not change");
  }
  state.counters["handle"] = static_cast<double>(spy.last_handle());
}
BENCHMARK(BM_ApiSpyUpdateOnX11)->Unit(benchmark::kMicrosecond);

// A window 10 levels deep, each level the last of 50 siblings of its class.
void BM_CodeGeneratorChainOnX11(benchmark::State& state) {
  auto backend = Backend(state);
  if (!backend) return;
  Windows w;
  xcb_window_t parent = w.Make(w.screen->root, "Top", 0, 0, 500, 500);
  for (int level = 0; level < 10; ++level) {
    xcb_window_t last = 0;
    for (int sibling = 0; sibling < 50; ++sibling)
      last = w.Make(parent, "Edit", sibling, 0, 10, 10);
    parent = last;
  }
  w.Sync();
  std::size_t lines = 0;
  for (auto _ : state) {
    const std::u16string preview =
        quillan::wintools::GenerateFinderCode(*backend, static_cast<Hwnd>(parent));
    lines = static_cast<std::size_t>(std::count(preview.begin(), preview.end(), u'\n'));
  }
  state.counters["lines"] = static_cast<double>(lines);
}
BENCHMARK(BM_CodeGeneratorChainOnX11)->Unit(benchmark::kMillisecond);

// The last of many windows of one class under one parent: one search lists them all.
void BM_CodeGeneratorLastSiblingOnX11(benchmark::State& state) {
  auto backend = Backend(state);
  if (!backend) return;
  Windows w;
  const xcb_window_t parent = w.Make(w.screen->root, "Top", 0, 0, 500, 500);
  xcb_window_t last = 0;
  // Left unmapped: the server would clip each mapped one against all the others.
  for (std::int64_t i = 0; i < state.range(0); ++i) {
    last = w.Make(parent, "Edit", 0, 0, 10, 10, false);
  }
  w.Sync();
  std::size_t lines = 0;
  for (auto _ : state) {
    const std::u16string preview =
        quillan::wintools::GenerateFinderCode(*backend, static_cast<Hwnd>(last));
    lines = static_cast<std::size_t>(std::count(preview.begin(), preview.end(), u'\n'));
  }
  if (lines < static_cast<std::size_t>(state.range(0))) state.SkipWithError("preview incomplete");
  state.counters["lines"] = static_cast<double>(lines);
}
BENCHMARK(BM_CodeGeneratorLastSiblingOnX11)->Arg(50000)->Unit(benchmark::kMillisecond);

// One tick of Color Spy's timer: the pointer, the pixel under it and the readout.
void BM_ColorSpySampleOnX11(benchmark::State& state) {
  auto backend = Backend(state);
  if (!backend) return;
  Windows w;
  w.Make(w.screen->root, "Paint", 0, 0, 200, 200);
  w.Sync();
  quillan::wintools::ColorSpy spy;
  for (auto _ : state) spy.Sample(*backend);
  state.counters["value"] = static_cast<double>(spy.swatch().value_or(0));
}
BENCHMARK(BM_ColorSpySampleOnX11)->Unit(benchmark::kMicrosecond);

// Times each iteration by hand: the mean is Google Benchmark's, the slowest one a counter.
class Slowest {
 public:
  explicit Slowest(benchmark::State& state) : state_(state) {}
  void Start() { start_ = std::chrono::steady_clock::now(); }
  void Stop() {
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start_;
    state_.SetIterationTime(took.count());
    max_us_ = std::max(max_us_, took.count() * 1e6);
  }
  ~Slowest() { state_.counters["max_us"] = max_us_; }

 private:
  benchmark::State& state_;
  double max_us_ = 0;
  std::chrono::steady_clock::time_point start_;
};

// One tick of the real Color Spy window: the pixel, the seven fields, the 11 x 11 pixels of the
// magnifier in one request, and the painting of the swatch and the magnifier (shown on the
// offscreen platform). The pointer alternates between two colours, so every tick changes both.
void BM_ColorSpyWindowSampleOnX11(benchmark::State& state) {
  auto backend = Backend(state);
  if (!backend) return;
  Windows w;
  w.Make(w.screen->root, "Red", 0, 0, 200, 200, true, 0xFF0000);
  w.Make(w.screen->root, "Blue", 200, 0, 200, 200, true, 0x0000FF);
  w.Sync();
  quillan::gui::ColorSpyWindow spy(*backend);
  spy.show();
  QApplication::processEvents();
  Slowest slowest(state);
  bool alternate = false;
  for (auto _ : state) {
    w.Warp(alternate ? 100 : 300, 100);
    alternate = !alternate;
    slowest.Start();
    spy.Sample();
    QCoreApplication::sendPostedEvents();  // the repaint the sample asked for
    slowest.Stop();
  }
  state.counters["value"] = static_cast<double>(spy.spy().swatch().value_or(0));
}
BENCHMARK(BM_ColorSpyWindowSampleOnX11)->UseManualTime()->Unit(benchmark::kMicrosecond);

// The picking outline moving to another window: its rectangle, then the outline configured,
// shaped, raised and flushed to the server.
void BM_PickOutlineToAnotherWindowOnX11(benchmark::State& state) {
  auto backend = Backend(state);
  if (!backend) return;
  Windows w;
  const xcb_window_t windows[] = {w.Make(w.screen->root, "One", 50, 50, 300, 200),
                                  w.Make(w.screen->root, "Two", 400, 300, 500, 400)};
  w.Sync();
  quillan::platform::X11PickHighlight outline("");
  outline.Show(backend->GetWindowRect(static_cast<Hwnd>(windows[1])));  // made, once
  Slowest slowest(state);
  std::size_t next = 0;
  for (auto _ : state) {
    slowest.Start();
    outline.Show(backend->GetWindowRect(static_cast<Hwnd>(windows[next])));
    slowest.Stop();
    next = 1 - next;
  }
  if (outline.window() == 0) state.SkipWithError("no outline could be made");
}
BENCHMARK(BM_PickOutlineToAnotherWindowOnX11)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace
