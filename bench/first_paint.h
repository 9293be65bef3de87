// Start-up measured from outside a program, the same way for every program: the time from
// spawning it until the middle of its first top-level window, once viewable, is no longer the
// black it was mapped on. Qt maps its windows without a background, so until the program
// paints, that pixel shows the black root (startup.sh and startup_compare.sh start Xvfb with
// -br; openbox draws nothing there either). A window is the program's when its _NET_WM_PID
// names the spawned process. Shared by bench_startup and first_paint.
#pragma once

#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace quillan::bench {

// A private folder made with mkdtemp, removed with what it holds when it goes; a removal that
// fails is reported, never thrown.
class ScratchFolder {
 public:
  explicit ScratchFolder(const char* prefix) {
    const std::string pattern =
        (std::filesystem::temp_directory_path() / (std::string(prefix) + "-XXXXXX")).string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (mkdtemp(name.data()) != nullptr) path_ = name.data();
  }
  ~ScratchFolder() { Remove(path_); }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  bool ok() const { return !path_.empty(); }
  const std::filesystem::path& path() const { return path_; }

  // Removes `folder` and what it holds, reporting instead of throwing.
  static void Remove(const std::filesystem::path& folder) {
    if (folder.empty()) return;
    std::error_code error;
    std::filesystem::remove_all(folder, error);
    if (error)
      std::fprintf(stderr, "cannot remove %s: %s\n", folder.c_str(), error.message().c_str());
  }

 private:
  std::filesystem::path path_;
};

// Points HOME and the XDG folders of programs started from now on into `home`.
inline void UseHome(const std::filesystem::path& home) {
  std::error_code error;
  for (const char* sub : {".config", ".local/share", ".local/state", ".cache"}) {
    std::filesystem::create_directories(home / sub, error);
  }
  setenv("HOME", home.c_str(), 1);
  setenv("XDG_CONFIG_HOME", (home / ".config").c_str(), 1);
  setenv("XDG_DATA_HOME", (home / ".local/share").c_str(), 1);
  setenv("XDG_STATE_HOME", (home / ".local/state").c_str(), 1);
  setenv("XDG_CACHE_HOME", (home / ".cache").c_str(), 1);
}

// Ends the program (SIGTERM), then waits for every process it left running: this process is
// a child subreaper (see PaintWatcher), so a detached helper such as update-mime-database
// becomes its child when its parent goes. Gives up after `patience`, saying so.
inline void EndAndReap(pid_t pid, std::chrono::seconds patience = std::chrono::seconds(30)) {
  if (pid > 0) {
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
  }
  const auto deadline = std::chrono::steady_clock::now() + patience;
  while (true) {
    const pid_t ended = waitpid(-1, nullptr, WNOHANG);
    if (ended < 0) return;  // no child left
    if (ended > 0) continue;
    if (std::chrono::steady_clock::now() > deadline) {
      std::fprintf(stderr, "processes the program started are still running\n");
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

class PaintWatcher {
 public:
  PaintWatcher() {
    // Orphans of the programs started here become children of this process, so that
    // EndAndReap can wait for them.
    prctl(PR_SET_CHILD_SUBREAPER, 1);
    c_ = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c_)) return;
    root_ = xcb_setup_roots_iterator(xcb_get_setup(c_)).data->root;
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c_, root_, XCB_CW_EVENT_MASK, &mask);
    pid_atom_ = Atom("_NET_WM_PID");
    xcb_flush(c_);
  }
  ~PaintWatcher() { xcb_disconnect(c_); }
  PaintWatcher(const PaintWatcher&) = delete;
  PaintWatcher& operator=(const PaintWatcher&) = delete;

  bool ok() const { return !xcb_connection_has_error(c_); }

  // Starts argv[0] with argv and the current environment; returns the seconds until its
  // window was painted, or nothing when it could not be started or showed no painted window
  // within `patience`. *pid is the process started (0 when none was).
  std::optional<double> Start(const std::vector<std::string>& argv, pid_t* pid,
                              std::chrono::seconds patience = std::chrono::seconds(30)) {
    Drain(nullptr);  // windows of earlier runs
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    *pid = 0;
    const auto start = std::chrono::steady_clock::now();
    if (posix_spawn(pid, args[0], nullptr, nullptr, args.data(), environ) != 0) {
      *pid = 0;
      return std::nullopt;
    }
    std::vector<xcb_window_t> candidates;
    while (std::chrono::steady_clock::now() - start < patience) {
      Drain(&candidates);
      for (auto it = candidates.begin(); it != candidates.end();) {
        const Look look = LookAt(*it, *pid);
        if (look == Look::kPainted) {
          return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        }
        it = look == Look::kNotOurs ? candidates.erase(it) : it + 1;
      }
      // Polling every half millisecond costs the program under test next to nothing.
      std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    return std::nullopt;
  }

 private:
  enum class Look { kNotYet, kNotOurs, kPainted };

  xcb_atom_t Atom(const char* name) {
    auto cookie = xcb_intern_atom(c_, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(c_, cookie, nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    return atom;
  }

  // Takes the events that arrived; the top-level windows clients created go to `created`.
  void Drain(std::vector<xcb_window_t>* created) {
    while (xcb_generic_event_t* event = xcb_poll_for_event(c_)) {
      if ((event->response_type & 0x7F) == XCB_CREATE_NOTIFY && created != nullptr) {
        const auto* create = reinterpret_cast<xcb_create_notify_event_t*>(event);
        if (create->parent == root_ && !create->override_redirect) {
          created->push_back(create->window);
        }
      }
      std::free(event);
    }
  }

  Look LookAt(xcb_window_t w, pid_t pid) {
    auto attributes_cookie = xcb_get_window_attributes(c_, w);
    auto pid_cookie = xcb_get_property(c_, 0, w, pid_atom_, XCB_ATOM_CARDINAL, 0, 1);
    auto geometry_cookie = xcb_get_geometry(c_, w);
    xcb_get_window_attributes_reply_t* attributes =
        xcb_get_window_attributes_reply(c_, attributes_cookie, nullptr);
    xcb_get_property_reply_t* owner = xcb_get_property_reply(c_, pid_cookie, nullptr);
    xcb_get_geometry_reply_t* geometry = xcb_get_geometry_reply(c_, geometry_cookie, nullptr);
    Look look = Look::kNotYet;
    if (attributes == nullptr || geometry == nullptr) {
      look = Look::kNotOurs;  // gone
    } else if (attributes->map_state == XCB_MAP_STATE_VIEWABLE) {
      std::uint32_t owner_pid = 0;
      if (owner != nullptr && xcb_get_property_value_length(owner) == 4) {
        std::memcpy(&owner_pid, xcb_get_property_value(owner), 4);
      }
      if (owner_pid != static_cast<std::uint32_t>(pid)) {
        look = Look::kNotOurs;  // the property is set before a toolkit maps its window
      } else if (Pixel(w, geometry->width / 2, geometry->height / 2) != 0) {
        look = Look::kPainted;
      }
    }
    std::free(attributes);
    std::free(owner);
    std::free(geometry);
    return look;
  }

  // The colour of one pixel of w, or 0 where it cannot be read.
  std::uint32_t Pixel(xcb_window_t w, int x, int y) {
    auto cookie = xcb_get_image(c_, XCB_IMAGE_FORMAT_Z_PIXMAP, w, static_cast<std::int16_t>(x),
                                static_cast<std::int16_t>(y), 1, 1, 0xFFFFFFFF);
    xcb_get_image_reply_t* reply = xcb_get_image_reply(c_, cookie, nullptr);
    if (reply == nullptr) return 0;
    std::uint32_t value = 0;
    std::memcpy(&value, xcb_get_image_data(reply),
                std::min<std::size_t>(sizeof value, xcb_get_image_data_length(reply)));
    std::free(reply);
    return value & 0xFFFFFF;
  }

  xcb_connection_t* c_ = nullptr;
  xcb_window_t root_ = 0;
  xcb_atom_t pid_atom_ = XCB_ATOM_NONE;
};

}  // namespace quillan::bench
