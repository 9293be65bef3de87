// Start-up time of the real program, measured from outside it: from the moment the process
// is started until its main window is mapped and painted (a pixel of the window is no
// longer the black of the root window), on an X server the caller provides (startup.sh
// starts Xvfb with a black root). Each run has an empty settings store.
#include <benchmark/benchmark.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

extern char** environ;

namespace {

// The title of the main window of a fresh start.
constexpr char kTitle[] = "Quillan - [Untitled]";

std::string WindowName(xcb_connection_t* c, xcb_window_t w) {
  auto cookie = xcb_get_property(c, 0, w, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, 256);
  xcb_get_property_reply_t* reply = xcb_get_property_reply(c, cookie, nullptr);
  if (reply == nullptr) return {};
  std::string name(static_cast<const char*>(xcb_get_property_value(reply)),
                   static_cast<std::size_t>(xcb_get_property_value_length(reply)));
  std::free(reply);
  return name;
}

// The colour of one pixel of w, or 0 where it cannot be read.
std::uint32_t Pixel(xcb_connection_t* c, xcb_window_t w, int x, int y) {
  auto cookie = xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, w, static_cast<std::int16_t>(x),
                              static_cast<std::int16_t>(y), 1, 1, 0xFFFFFFFF);
  xcb_get_image_reply_t* reply = xcb_get_image_reply(c, cookie, nullptr);
  if (reply == nullptr) return 0;
  std::uint32_t value = 0;
  std::memcpy(&value, xcb_get_image_data(reply),
              std::min<std::size_t>(sizeof value, xcb_get_image_data_length(reply)));
  std::free(reply);
  return value & 0xFFFFFF;
}

void BM_StartupToPaintedWindow(benchmark::State& state) {
  const char* program = std::getenv("QUILLAN_PROGRAM");
  if (program == nullptr) {
    state.SkipWithError("QUILLAN_PROGRAM names no program");
    return;
  }
  xcb_connection_t* c = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(c)) {
    state.SkipWithError("no X display");
    return;
  }
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
  const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
  xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &mask);
  xcb_flush(c);
  const std::filesystem::path home = std::filesystem::temp_directory_path() / "quillan-startup";
  for (auto _ : state) {
    std::filesystem::remove_all(home);
    std::filesystem::create_directories(home);
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home / ".config").c_str(), 1);
    setenv("XDG_DATA_HOME", (home / ".local/share").c_str(), 1);
    char* argv[] = {const_cast<char*>(program), nullptr};
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, program, nullptr, nullptr, argv, environ) != 0) {
      state.SkipWithError("cannot start the program");
      break;
    }
    xcb_window_t mapped = 0;
    while (mapped == 0) {
      xcb_generic_event_t* event = xcb_wait_for_event(c);
      if (event == nullptr) break;
      if ((event->response_type & 0x7F) == XCB_MAP_NOTIFY) {
        const auto* map = reinterpret_cast<xcb_map_notify_event_t*>(event);
        if (WindowName(c, map->window) == kTitle) mapped = map->window;
      }
      std::free(event);
    }
    // Painted: the middle of the window is no longer the black it was mapped with.
    while (mapped != 0 && Pixel(c, mapped, 100, 100) == 0) {
    }
    const auto end = std::chrono::steady_clock::now();
    state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    if (mapped == 0) state.SkipWithError("the window never appeared");
  }
  xcb_disconnect(c);
  std::filesystem::remove_all(home);
}
BENCHMARK(BM_StartupToPaintedWindow)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);

}  // namespace

BENCHMARK_MAIN();
