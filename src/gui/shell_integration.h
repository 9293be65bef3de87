#pragma once

#include <QString>
#include <span>

namespace quillan::gui {

class MainWindow;

/// The program's home page, the first of the Help menu's web sites.
inline constexpr char kHomePageUrl[] = "https://example.org/quillan";

/// One web-site item of the Help menu: the action's objectName and the address it opens.
struct WebSite {
  const char* action;
  const char* url;
};

/// The four web sites, in menu order.
std::span<const WebSite> WebSites();

/// Makes the Help menu's web-site items open their addresses in the default browser.
void ConnectWebSites(MainWindow& window);

/// Registers the project file type for this user (MIME type, desktop entry, icon) with the
/// program at program_path, and starts the desktop's database tools without waiting for
/// them. Does nothing for an empty path; failures are ignored.
void RegisterFileTypeForUser(const QString& program_path);

}  // namespace quillan::gui
