#pragma once

#include <QObject>
#include <span>

#include "gui/widgets/action_table.h"
#include "platform/shell_integration.h"

namespace quillan::gui {

/// The program's home page, the first of the Help menu's web sites.
inline constexpr char kHomePageUrl[] = "https://example.org/quillan";

/// One web-site item of the Help menu: the action's objectName and the address it opens.
struct WebSite {
  const char* action;
  const char* url;
};

/// The four web sites, in menu order.
std::span<const WebSite> WebSites();

/// Makes the Help menu's web-site items open their addresses through the shell; the
/// connections last as long as `context`.
void ConnectWebSites(const ActionTable& actions, platform::ShellIntegration& shell,
                     QObject* context);

}  // namespace quillan::gui
