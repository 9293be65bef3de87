#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "platform/wine/wine_world.h"
#include "wintools/window_protocol.h"

namespace quillan::platform {

/// The helper's file name; it is installed beside the program or in <prefix>/lib/quillan.
inline constexpr const char* kWineHelperName = "quillan-wine-helper.exe";

/// Where the helper is: the file named by $QUILLAN_WINE_HELPER when that is set, else beside
/// the running program, else in lib/quillan of the folder above the program's own (the
/// installed layout: bin/quillan, lib/quillan/quillan-wine-helper.exe). "" when none is.
std::string FindWineHelper();

struct WineWorldOptions {
  /// The helper program; "" finds it with FindWineHelper.
  std::string helper;
  /// How long the helper may take to say hello. Its first start in a prefix whose wineserver
  /// is not running yet takes seconds.
  std::chrono::milliseconds start{15000};
  /// How long each request may take.
  wintools::protocol::Deadlines deadlines;
};

/// Starts the prefix's helper: `<loader> <helper>` with a clean environment that holds PATH,
/// WINEDEBUG=-all and exactly the prefix's variables, its input and output as pipes. The
/// world fails, with a plain reason, when the helper is not there, the loader cannot be
/// started, or the helper does not say hello in time; later, when a request is not answered
/// in time, the helper ends, or it answers something that is no answer. A helper that fails
/// is killed at once, and destroying the world ends and collects the helper.
///
/// The helper is killed when the thread that called this ends (PR_SET_PDEATHSIG): start it
/// from a thread that lives as long as the world, such as the user interface's.
std::unique_ptr<WineWorld> StartWineWorld(const WinePrefix& prefix,
                                          const WineWorldOptions& options = {});

}  // namespace quillan::platform
