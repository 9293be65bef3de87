#include "platform/window_system_choice.h"

#include <cstdlib>

#include "platform/none_window_system.h"

namespace quillan::platform {

namespace {

constexpr std::u16string_view kConsequence =
    u" Quillan cannot read or change other programs' windows, nor read the screen.";

std::string Variable(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

}  // namespace

SessionEnvironment SessionEnvironment::FromProcess() {
  return {Variable("DISPLAY"), Variable("WAYLAND_DISPLAY")};
}

WindowSystemChoice ChooseWindowSystem(const SessionEnvironment& env,
                                      const std::vector<BackendCandidate>& candidates) {
  std::u16string reason;
  for (const BackendCandidate& candidate : candidates) {
    std::u16string why_not;
    if (auto backend = candidate.try_make(env, why_not)) return {std::move(backend), {}};
    if (reason.empty()) reason = why_not;
  }
  if (reason.empty()) {
    if (env.display.empty() && !env.wayland_display.empty()) {
      reason = u"This is a Wayland session without an X11 display (XWayland).";
    } else if (env.display.empty()) {
      reason = u"There is no X11 display (DISPLAY is not set).";
    } else {
      reason = u"The X11 display \"" + std::u16string(env.display.begin(), env.display.end()) +
               u"\" cannot be used.";
    }
  }
  reason.append(kConsequence);
  return {std::make_unique<NoneWindowSystem>(reason), reason};
}

}  // namespace quillan::platform
