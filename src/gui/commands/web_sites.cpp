#include "gui/commands/web_sites.h"

#include <QAction>
#include <array>

namespace quillan::gui {
namespace {

constexpr std::array<WebSite, 4> kWebSites{{
    {"Site_Home", kHomePageUrl},
    {"Site_Host", "https://example.org/quillan/source"},
    {"Site_Assoc1", "https://example.org/visual-basic"},
    {"Site_Assoc2", "https://example.org/window-automation"},
}};

}  // namespace

std::span<const WebSite> WebSites() { return kWebSites; }

void ConnectWebSites(const ActionTable& actions, platform::ShellIntegration& shell,
                     QObject* context) {
  for (const WebSite& site : kWebSites) {
    QObject::connect(actions.Action(site.action), &QAction::triggered, context,
                     [&shell, url = site.url] { shell.OpenUrl(url); });
  }
}

}  // namespace quillan::gui
