#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <map>

namespace quillan::gui {

/// What a tool window does to the main window while it is shown.
enum class WhileShown {
  kMainStaysEnabled,  ///< modeless: both stay usable
  kMainDisabled,      ///< the main window takes no input until the tool window is hidden
};

/// Where a tool window appears the first time it is shown.
enum class FirstPlace {
  kBesideMain,     ///< next to the main window, on the same screen
  kCenteredOnMain  ///< over the main window, as the toolkit puts a dialog
};

/// Owns the windows beside the main window. Each is made on first use from the factory
/// registered for its objectName, then only hidden and shown again; a window that destroys
/// itself (a frame close that ends it) is made afresh on its next use. How each window
/// treats the main window, and where it first appears, comes from one table in the .cpp.
class ToolWindows final : public QObject {
  Q_OBJECT

 public:
  explicit ToolWindows(QWidget& main_window);
  ~ToolWindows() override;

  /// Registers how the window named `name` is made. The factory's window must carry that
  /// objectName and have a row in the table.
  void Register(const QString& name, std::function<QWidget*()> make);

  /// The window, made now (hidden) if it does not exist.
  QWidget& Get(const QString& name);
  template <typename T>
  T& Get(const QString& name) {
    return static_cast<T&>(Get(name));
  }
  /// The window if it exists; nullptr before its first use.
  QWidget* Existing(const QString& name) const;

  /// Makes the window if needed, places it the first time, shows it, brings it forward and
  /// gives it the focus; the main window is disabled meanwhile where the table says so.
  QWidget& Show(const QString& name);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Entry {
    std::function<QWidget*()> make;
    QPointer<QWidget> window;
    bool placed = false;
  };
  void ReleaseMainWindow();

  QWidget& main_;
  std::map<QString, Entry> entries_;
};

/// Moves `window` next to `main` (right of it, else left, else inside the screen's free
/// area), on the screen that shows most of `main`.
void PlaceBeside(QWidget& window, const QWidget& main);

}  // namespace quillan::gui
