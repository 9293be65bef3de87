#pragma once

#include <QString>
#include <map>

class QAction;
class QMenu;

namespace quillan::gui {

/// The main window's menu items and submenus by objectName, as features find them: a
/// feature connects the items it serves and never needs the window itself.
class ActionTable {
 public:
  /// The menu action or submenu action with this objectName; nullptr if none.
  QAction* Action(const QString& name) const {
    auto it = actions_.find(name);
    return it == actions_.end() ? nullptr : it->second;
  }
  /// The menu with this objectName ("Files", "Code_Insert", "toolbar", ...); nullptr if none.
  QMenu* Menu(const QString& name) const {
    auto it = menus_.find(name);
    return it == menus_.end() ? nullptr : it->second;
  }
  const std::map<QString, QAction*>& actions() const { return actions_; }

  void AddAction(const QString& name, QAction* action) { actions_[name] = action; }
  void AddMenu(const QString& name, QMenu* menu) { menus_[name] = menu; }

 private:
  std::map<QString, QAction*> actions_;
  std::map<QString, QMenu*> menus_;
};

}  // namespace quillan::gui
