#include "platform/routing_window_system.h"

#include <exception>

#include "platform/wine/wine_helper.h"
#include "platform/x11/x11_window_system.h"

namespace quillan::platform {

using wintools::Hwnd;

struct RoutingWindowSystem::Prefix {
  WinePrefix prefix;
  std::unique_ptr<WineWorld> world;  // nullptr when it could not be started
  bool waited = false;               // a pick has waited for it once
  std::u16string told;               // the last failure told of it
};

namespace {

class RealX11Side final : public X11Side {
 public:
  explicit RealX11Side(std::unique_ptr<X11WindowSystem> x11) : x11_(std::move(x11)) {}
  wintools::WindowSystem& windows() override { return *x11_; }
  std::optional<int> OwnerPid(Hwnd hwnd) override { return x11_->ClientPid(hwnd); }
  std::vector<int> OwnerPids() override { return x11_->ClientPids(); }

 private:
  std::unique_ptr<X11WindowSystem> x11_;
};

constexpr std::u16string_view kNotStarted = u"its helper program could not be started";

// What the user is told of a prefix whose world failed.
std::u16string FailureSentence(const std::u16string& name, std::u16string reason) {
  while (!reason.empty() && (reason.back() == u'.' || reason.back() == u' ')) reason.pop_back();
  if (reason.empty()) reason = kNotStarted;
  return u"Quillan cannot see inside the Windows programs of the Wine prefix " + name + u": " +
         reason + u". The tools show what X11 shows of them.";
}

}  // namespace

std::unique_ptr<X11Side> X11SideOf(std::unique_ptr<X11WindowSystem> x11) {
  return std::make_unique<RealX11Side>(std::move(x11));
}

RoutingWindowSystem::RoutingWindowSystem(std::unique_ptr<X11Side> x11, WineWorldFactory start_world,
                                         WineRecognizer recognize)
    : x11_(std::move(x11)),
      start_world_(std::move(start_world)),
      recognize_(std::move(recognize)) {}

RoutingWindowSystem::~RoutingWindowSystem() = default;

RoutingWindowSystem::Prefix* RoutingWindowSystem::PrefixOf(int pid) {
  // What a process is stays known for the drag: the pointer rests over the same program for
  // many ticks, and /proc need not be read at each.
  if (const auto known = recognized_.find(pid); known != recognized_.end()) return known->second;
  Prefix*& recognized = recognized_[pid];
  std::optional<WinePrefix> found = recognize_ ? recognize_(pid) : std::nullopt;
  if (!found) return recognized = nullptr;
  std::unique_ptr<Prefix>& slot = prefixes_[found->key];
  if (!slot) {
    slot = std::make_unique<Prefix>();
    slot->prefix = std::move(*found);
    Start(*slot);
  }
  return recognized = slot.get();
}

void RoutingWindowSystem::Start(Prefix& prefix) {
  prefix.world.reset();  // a failed helper is already ended; this collects what is left
  prefix.waited = false;
  try {
    if (start_world_) prefix.world = start_world_(prefix.prefix);
  } catch (const std::exception&) {
    prefix.world.reset();  // told as a helper that could not be started
  }
}

WineWorld::State RoutingWindowSystem::StateOf(Prefix& prefix, std::chrono::milliseconds wait) {
  const WineWorld::State state =
      prefix.world ? prefix.world->Poll(wait) : WineWorld::State::kFailed;
  if (state == WineWorld::State::kFailed) Tell(prefix);
  return state;
}

bool RoutingWindowSystem::Ready(Prefix& prefix) {
  const auto wait = prefix.waited ? std::chrono::milliseconds(0) : kFirstWait;
  prefix.waited = true;
  return StateOf(prefix, wait) == WineWorld::State::kReady;
}

void RoutingWindowSystem::Tell(Prefix& prefix) {
  std::u16string sentence = FailureSentence(
      prefix.prefix.name, prefix.world ? prefix.world->failure() : std::u16string());
  if (sentence == prefix.told) return;  // the same words once, however often it fails
  prefix.told = sentence;
  notices_.push_back(std::move(sentence));
}

RoutingWindowSystem::Prefix* RoutingWindowSystem::WorldOf(Hwnd hwnd) {
  if (hwnd == 0) return nullptr;
  if (const auto it = origins_.find(hwnd); it != origins_.end()) return it->second;
  // A handle typed by the user: X11's when X11 knows it, else a ready prefix's.
  if (x11_->windows().IsWindow(hwnd)) return origins_[hwnd] = nullptr;
  for (auto& [key, prefix] : prefixes_) {
    if (StateOf(*prefix, std::chrono::milliseconds(0)) == WineWorld::State::kReady &&
        prefix->world->windows().IsWindow(hwnd)) {
      return origins_[hwnd] = prefix.get();
    }
  }
  return nullptr;
}

wintools::WindowSystem& RoutingWindowSystem::Windows(Prefix* prefix) {
  // A prefix's world answers 0 and empty text until it is ready and once it has failed.
  if (prefix != nullptr && prefix->world) return prefix->world->windows();
  return x11_->windows();
}

Hwnd RoutingWindowSystem::Remember(Hwnd hwnd, Prefix* from) {
  if (hwnd != 0) origins_[hwnd] = from;
  return hwnd;
}

std::u16string RoutingWindowSystem::CannotDo(wintools::Capability what) const {
  return x11_->windows().CannotDo(what);
}

std::u16string RoutingWindowSystem::CannotDo(wintools::Capability what, Hwnd hwnd) {
  if (what == wintools::Capability::kReadScreen) return CannotDo(what);
  Prefix* prefix = WorldOf(hwnd);
  if (prefix == nullptr) return x11_->windows().CannotDo(what, hwnd);
  if (StateOf(*prefix, std::chrono::milliseconds(0)) == WineWorld::State::kFailed) {
    return FailureSentence(prefix->prefix.name,
                           prefix->world ? prefix->world->failure() : std::u16string());
  }
  return prefix->world->windows().CannotDo(what, hwnd);
}

void RoutingWindowSystem::PrepareToPick() {
  recognized_.clear();  // processes come and go between drags
  // A helper that failed is tried again at the next drag: the prefix's wineserver may have
  // been restarted with the user's program, or Wine installed meanwhile.
  for (auto& [key, prefix] : prefixes_) {
    if (StateOf(*prefix, std::chrono::milliseconds(0)) == WineWorld::State::kFailed) Start(*prefix);
  }
  for (int pid : x11_->OwnerPids()) PrefixOf(pid);
}

std::u16string RoutingWindowSystem::TakeNotice() {
  for (auto& [key, prefix] : prefixes_) StateOf(*prefix, std::chrono::milliseconds(0));
  std::u16string notice;
  for (const std::u16string& n : notices_) {
    if (!notice.empty()) notice += u"\n\n";
    notice += n;
  }
  notices_.clear();
  return notice;
}

Hwnd RoutingWindowSystem::WindowFromPoint(wintools::ScreenPoint p) {
  const Hwnd x = x11_->windows().WindowFromPoint(p);
  Prefix* from = nullptr;
  Hwnd answer = x;
  if (x != 0) {
    const std::optional<int> pid = x11_->OwnerPid(x);
    Prefix* prefix = pid ? PrefixOf(*pid) : nullptr;
    if (prefix != nullptr && Ready(*prefix)) {
      if (const Hwnd h = prefix->world->windows().WindowFromPoint(p); h != 0) {
        answer = h;
        from = prefix;
      }
    }
  }
  if (answer != 0) last_pick_ = from;
  return Remember(answer, from);
}

wintools::ScreenPoint RoutingWindowSystem::GetCursorPos() { return x11_->windows().GetCursorPos(); }

std::uint32_t RoutingWindowSystem::GetScreenPixel(wintools::ScreenPoint p) {
  return x11_->windows().GetScreenPixel(p);
}

std::vector<std::uint32_t> RoutingWindowSystem::GetScreenPixels(wintools::ScreenRect r) {
  return x11_->windows().GetScreenPixels(r);
}

Hwnd RoutingWindowSystem::GetParent(Hwnd hwnd) {
  Prefix* from = WorldOf(hwnd);
  return Remember(Windows(from).GetParent(hwnd), from);
}

Hwnd RoutingWindowSystem::FindWindowEx(Hwnd parent, Hwnd child_after,
                                       std::u16string_view class_name) {
  Prefix* from = parent != 0 ? WorldOf(parent) : last_pick_;
  return Remember(Windows(from).FindWindowEx(parent, child_after, class_name), from);
}

std::vector<Hwnd> RoutingWindowSystem::FindAllWindowsEx(Hwnd parent,
                                                        std::u16string_view class_name) {
  Prefix* from = parent != 0 ? WorldOf(parent) : last_pick_;
  std::vector<Hwnd> found = Windows(from).FindAllWindowsEx(parent, class_name);
  for (Hwnd h : found) Remember(h, from);
  return found;
}

bool RoutingWindowSystem::SetWindowPos(Hwnd hwnd, Hwnd insert_after, int x, int y, int cx, int cy,
                                       std::uint32_t flags) {
  return For(hwnd).SetWindowPos(hwnd, insert_after, x, y, cx, cy, flags);
}

bool RoutingWindowSystem::IsWindow(Hwnd hwnd) { return For(hwnd).IsWindow(hwnd); }

wintools::ScreenRect RoutingWindowSystem::GetWindowRect(Hwnd hwnd) {
  return For(hwnd).GetWindowRect(hwnd);
}

std::u16string RoutingWindowSystem::GetWindowText(Hwnd hwnd, int max_count) {
  return For(hwnd).GetWindowText(hwnd, max_count);
}

int RoutingWindowSystem::GetWindowTextLength(Hwnd hwnd) {
  return For(hwnd).GetWindowTextLength(hwnd);
}

std::u16string RoutingWindowSystem::GetClassName(Hwnd hwnd, int max_count) {
  return For(hwnd).GetClassName(hwnd, max_count);
}

bool RoutingWindowSystem::ShowWindow(Hwnd hwnd, int cmd) { return For(hwnd).ShowWindow(hwnd, cmd); }

bool RoutingWindowSystem::EnableWindow(Hwnd hwnd, bool enable) {
  return For(hwnd).EnableWindow(hwnd, enable);
}

bool RoutingWindowSystem::PostClose(Hwnd hwnd) { return For(hwnd).PostClose(hwnd); }

int RoutingWindowSystem::SendGetTextLength(Hwnd hwnd) { return For(hwnd).SendGetTextLength(hwnd); }

std::u16string RoutingWindowSystem::SendGetText(Hwnd hwnd, int max_count) {
  return For(hwnd).SendGetText(hwnd, max_count);
}

bool RoutingWindowSystem::SendSetText(Hwnd hwnd, std::u16string_view text) {
  return For(hwnd).SendSetText(hwnd, text);
}

bool RoutingWindowSystem::SendUndo(Hwnd hwnd) { return For(hwnd).SendUndo(hwnd); }

BackendCandidate X11WithWineCandidate(WineWorldFactory start_world, WineRecognizer recognize) {
  return {"x11",
          [start_world = std::move(start_world), recognize = std::move(recognize)](
              const SessionEnvironment& env,
              std::u16string& reason) -> std::unique_ptr<wintools::WindowSystem> {
            if (env.display.empty()) return nullptr;
            auto x11 = X11WindowSystem::Connect(env.display, reason, !env.wayland_display.empty());
            if (!x11) return nullptr;
            return std::make_unique<RoutingWindowSystem>(X11SideOf(std::move(x11)), start_world,
                                                         recognize);
          }};
}

// On Linux the program's backend is X11, with the Windows programs of each Wine prefix
// answered by that prefix's helper.
std::vector<BackendCandidate> BuiltInBackends() {
  return {X11WithWineCandidate([](const WinePrefix& prefix) { return StartWineWorld(prefix); })};
}

}  // namespace quillan::platform
