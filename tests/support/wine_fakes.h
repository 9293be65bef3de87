#pragma once

#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/fake_window_system.h"
#include "platform/none_window_system.h"
#include "platform/routing_window_system.h"

namespace quillan::testing_support {

/// X11 as the router sees it: an in-memory tree whose top-level windows carry the pid of
/// their program. Its handles look like X window ids.
struct FakeX11Side final : platform::X11Side {
  platform::FakeWindowSystem screen{0xE00001};
  std::map<wintools::Hwnd, int> pids;  // top-level window -> its program

  wintools::WindowSystem& windows() override { return screen; }
  std::optional<int> OwnerPid(wintools::Hwnd hwnd) override {
    while (screen.Find(hwnd) != nullptr && screen.Find(hwnd)->parent != 0) {
      hwnd = screen.Find(hwnd)->parent;
    }
    const auto it = pids.find(hwnd);
    return it == pids.end() ? std::nullopt : std::optional<int>(it->second);
  }
  std::vector<int> OwnerPids() override {
    std::vector<int> all;
    for (const auto& [window, pid] : pids) all.push_back(pid);
    return all;
  }
};

/// Wine prefixes for the router: which processes run in which prefix, and each prefix's
/// windows as Win32 sees them, with the state of its helper as the test sets it.
struct FakeWine {
  using State = platform::WineWorld::State;
  struct Prefix {
    platform::FakeWindowSystem tree;  // handles from 0x10010, as Wine's
    State state = State::kReady;
    std::u16string why;
    int started = 0;                               // helpers started
    std::vector<std::chrono::milliseconds> waits;  // each Poll's wait
    platform::NoneWindowSystem dark{u""};          // what a world answers when not ready
  };
  std::map<std::string, Prefix> prefixes;  // by key
  std::map<int, std::string> processes;    // pid -> key

  class World final : public platform::WineWorld {
   public:
    explicit World(Prefix& prefix) : p_(prefix) {}
    State Poll(std::chrono::milliseconds wait) override {
      p_.waits.push_back(wait);
      return p_.state;
    }
    std::u16string failure() const override {
      return p_.state == State::kFailed ? p_.why : std::u16string();
    }
    wintools::WindowSystem& windows() override {
      if (p_.state == State::kReady) return p_.tree;
      return p_.dark;
    }

   private:
    Prefix& p_;
  };

  platform::WineRecognizer Recognizer() {
    return [this](int pid) -> std::optional<platform::WinePrefix> {
      const auto it = processes.find(pid);
      if (it == processes.end()) return std::nullopt;
      return platform::WinePrefix{
          "/usr/lib/wine/wine64",
          {{"WINEPREFIX", "/home/u/" + it->second}},
          it->second,
          u"/home/u/" + std::u16string(it->second.begin(), it->second.end())};
    };
  }
  platform::WineWorldFactory Factory() {
    return [this](const platform::WinePrefix& prefix) {
      Prefix& p = prefixes[prefix.key];
      ++p.started;
      return std::make_unique<World>(p);
    };
  }
};

/// A screen with an X11 program's window (pid 100) and Wine's Notepad (pid 200, prefix
/// "wine"), as X11 shows them, and Notepad with its text box as Win32 shows it, behind the
/// router.
struct WineScreen {
  FakeWine wine;
  FakeX11Side* x11 = nullptr;  // owned by the router
  std::unique_ptr<platform::RoutingWindowSystem> router;
  wintools::Hwnd xterm = 0, notepad_x = 0;  // X11's
  wintools::Hwnd notepad = 0, edit = 0;     // Wine's

  WineScreen() {
    auto side = std::make_unique<FakeX11Side>();
    x11 = side.get();
    xterm = x11->screen.Add(u"XTerm", u"xterm", 0, {0, 0, 400, 300});
    notepad_x = x11->screen.Add(u"notepad.exe", u"Untitled - Notepad", 0, {500, 100, 900, 500});
    x11->pids = {{xterm, 100}, {notepad_x, 200}};
    wine.processes[200] = "wine";
    platform::FakeWindowSystem& tree = wine.prefixes["wine"].tree;
    notepad = tree.Add(u"Notepad", u"Untitled - Notepad", 0, {500, 100, 900, 500});
    edit = tree.Add(u"Edit", u"", notepad, {505, 130, 895, 495});
    router = std::make_unique<platform::RoutingWindowSystem>(std::move(side), wine.Factory(),
                                                             wine.Recognizer());
  }
  FakeWine::Prefix& prefix() { return wine.prefixes["wine"]; }
};

}  // namespace quillan::testing_support
