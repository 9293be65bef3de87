#pragma once

#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/window_system_choice.h"
#include "platform/wine/wine_recognition.h"
#include "platform/wine/wine_world.h"
#include "wintools/window_system.h"

namespace quillan::platform {

class X11WindowSystem;

/// What the router needs of the X11 backend: its windows, and which program owns them.
class X11Side {
 public:
  virtual ~X11Side() = default;
  virtual wintools::WindowSystem& windows() = 0;
  /// The process of the program whose top-level window holds the X window; nullopt when the
  /// program does not say.
  virtual std::optional<int> OwnerPid(wintools::Hwnd hwnd) = 0;
  /// The processes of the programs with top-level windows now, each once.
  virtual std::vector<int> OwnerPids() = 0;
};

/// The real X11 backend as the router's X11 side.
std::unique_ptr<X11Side> X11SideOf(std::unique_ptr<X11WindowSystem> x11);

/// The window system of an X11 session in which Windows programs run under Wine. Through X11
/// alone such a program is one flat window with Wine's name for a class; a helper inside its
/// Wine prefix (its `WineWorld`) sees it as Win32 does, with its controls. The router asks X11
/// first and lets the prefix's world answer for the windows of its programs:
///
/// - WindowFromPoint asks X11. When the X window belongs to a Windows program under Wine, the
///   world of that program's prefix answers instead: started on first need and kept for the
///   session, waited for a short moment the first time it is needed, never after. While it is
///   still starting, when it sees nothing at the point, and once it has failed, X11's answer
///   stands, so a pick never hangs on a helper.
/// - Every handle the router gives out remembers the world it came from (X11 or a prefix), and
///   every operation on it goes there. A number that two worlds gave is taken as the one
///   given last.
/// - A handle never given out (typed by the user) is X11's when X11 knows it, else the first
///   ready prefix's that knows it, else X11's (which then answers 0 or empty text).
/// - FindWindowEx and FindAllWindowsEx search the world of their parent; with parent 0 (the
///   top-level windows) the world of the last window picked, X11 before any pick.
/// - GetCursorPos and GetScreenPixel(s) always ask X11: Wine shows the same pointer position,
///   and the screen is X11's.
/// - A prefix whose helper fails is told through TakeNotice, each reason once, and its
///   programs are seen as X11 shows them; the next drag (PrepareToPick) starts its helper
///   again.
///
/// Wine's screen coordinates are taken to be X11's, as they are without a Wine virtual
/// desktop.
class RoutingWindowSystem final : public wintools::WindowSystem {
 public:
  /// How long a pick waits, once per prefix, for its helper to become ready.
  static constexpr std::chrono::milliseconds kFirstWait{100};

  RoutingWindowSystem(std::unique_ptr<X11Side> x11, WineWorldFactory start_world,
                      WineRecognizer recognize);
  ~RoutingWindowSystem() override;
  RoutingWindowSystem(const RoutingWindowSystem&) = delete;
  RoutingWindowSystem& operator=(const RoutingWindowSystem&) = delete;

  /// X11's answer, the session's.
  std::u16string CannotDo(wintools::Capability what) const override;
  /// The answer of the handle's world; a prefix that failed says why.
  std::u16string CannotDo(wintools::Capability what, wintools::Hwnd hwnd) override;
  /// Starts the helpers of the prefixes whose programs have top-level windows now, and again
  /// those that failed.
  void PrepareToPick() override;
  std::u16string TakeNotice() override;

  bool SetWindowPos(wintools::Hwnd hwnd, wintools::Hwnd insert_after, int x, int y, int cx, int cy,
                    std::uint32_t flags) override;
  bool IsWindow(wintools::Hwnd hwnd) override;
  wintools::ScreenRect GetWindowRect(wintools::Hwnd hwnd) override;
  wintools::ScreenPoint GetCursorPos() override;
  wintools::Hwnd WindowFromPoint(wintools::ScreenPoint p) override;
  std::u16string GetWindowText(wintools::Hwnd hwnd, int max_count) override;
  int GetWindowTextLength(wintools::Hwnd hwnd) override;
  std::u16string GetClassName(wintools::Hwnd hwnd, int max_count) override;
  wintools::Hwnd GetParent(wintools::Hwnd hwnd) override;
  wintools::Hwnd FindWindowEx(wintools::Hwnd parent, wintools::Hwnd child_after,
                              std::u16string_view class_name) override;
  std::vector<wintools::Hwnd> FindAllWindowsEx(wintools::Hwnd parent,
                                               std::u16string_view class_name) override;
  bool ShowWindow(wintools::Hwnd hwnd, int cmd) override;
  bool EnableWindow(wintools::Hwnd hwnd, bool enable) override;
  bool PostClose(wintools::Hwnd hwnd) override;
  int SendGetTextLength(wintools::Hwnd hwnd) override;
  std::u16string SendGetText(wintools::Hwnd hwnd, int max_count) override;
  bool SendSetText(wintools::Hwnd hwnd, std::u16string_view text) override;
  bool SendUndo(wintools::Hwnd hwnd) override;
  std::uint32_t GetScreenPixel(wintools::ScreenPoint p) override;
  std::vector<std::uint32_t> GetScreenPixels(wintools::ScreenRect r) override;

 private:
  struct Prefix;

  // The prefix of a Windows program under Wine, its world started if it was not; nullptr for
  // any other program.
  Prefix* PrefixOf(int pid);
  // Starts the prefix's helper, ending the one it had.
  void Start(Prefix& prefix);
  // Whether the prefix's world answers now; the first time, waits a short moment for it.
  bool Ready(Prefix& prefix);
  // Polls without waiting; a failure is told once.
  WineWorld::State StateOf(Prefix& prefix, std::chrono::milliseconds wait);
  void Tell(Prefix& prefix);
  // The world a handle's operations go to: nullptr for X11.
  Prefix* WorldOf(wintools::Hwnd hwnd);
  wintools::WindowSystem& Windows(Prefix* prefix);
  wintools::WindowSystem& For(wintools::Hwnd hwnd) { return Windows(WorldOf(hwnd)); }
  wintools::Hwnd Remember(wintools::Hwnd hwnd, Prefix* from);

  std::unique_ptr<X11Side> x11_;
  WineWorldFactory start_world_;
  WineRecognizer recognize_;
  std::map<std::string, std::unique_ptr<Prefix>> prefixes_;  // by key
  std::unordered_map<wintools::Hwnd, Prefix*> origins_;      // nullptr: X11
  std::unordered_map<int, Prefix*>
      recognized_;  // by process, since the drag began; nullptr: not Wine
  Prefix* last_pick_ = nullptr;
  std::vector<std::u16string> notices_;
};

/// The X11 backend behind the router, as a candidate for ChooseWindowSystem in place of
/// BuiltInBackends()'s "x11": nothing, and no reason of its own, without a DISPLAY.
BackendCandidate X11WithWineCandidate(WineWorldFactory start_world,
                                      WineRecognizer recognize = RecognizeWineProcess);

}  // namespace quillan::platform
