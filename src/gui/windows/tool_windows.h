#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <concepts>
#include <functional>
#include <map>
#include <string_view>
#include <typeindex>

#include "settings/settings_table.h"

namespace quillan::gui {

/// What a window beside the main window does to the main window while it is shown.
enum class WhileShown {
  kMainStaysEnabled,       ///< modeless: both stay usable
  kMainDisabled,           ///< the main window takes no input until the window is hidden
  kMainAndOpenerDisabled,  ///< ... nor does the window that opened it
};

/// Where a window beside the main window appears the first time it is shown.
enum class FirstPlace {
  kBesideMain,     ///< next to the main window, on its screen, cascaded below the others there
  kCenteredOnMain  ///< over the main window, as the toolkit puts a dialog
};

/// The rules a window class states next to itself, as `static constexpr ToolWindowRules
/// kRules`.
struct ToolWindowRules {
  WhileShown while_shown;
  FirstPlace first_place;
  /// The settings section that keeps where the window was last closed, to open it there
  /// again in the next session; empty for a window whose place is not kept.
  std::string_view remembered_in{};
};

/// A window that the owner below can make, show and hide: a widget that states its rules.
template <typename W>
concept ToolWindow = std::derived_from<W, QWidget> && requires {
  { W::kRules } -> std::convertible_to<ToolWindowRules>;
};

class ToolWindows;

/// One kind of window beside the main window, as the feature that uses it holds it: made on
/// first use by the factory it was added with, afterwards only hidden and shown again; a
/// window that ended itself is made afresh.
template <ToolWindow W>
class ToolWindowSlot {
 public:
  /// The window, made now (hidden) if it does not exist.
  W& Get();
  /// The window if it exists.
  W* Existing() const;
  /// Makes the window if needed, places it the first time, shows it, brings it forward and
  /// gives it the focus; the main window (and `opener`) take no input meanwhile where the
  /// window's rules say so.
  W& Show(QWidget* opener = nullptr);
  /// Hides the window if it exists.
  void Hide();

 private:
  friend class ToolWindows;
  ToolWindowSlot(ToolWindows& owner, std::type_index type) : owner_(&owner), type_(type) {}
  ToolWindows* owner_;
  std::type_index type_;
};

/// Owns the windows beside the main window, and is the only code that takes input away from
/// the main window and gives it back: when a window whose rules disable it is shown, and
/// when that window is hidden, closed or destroyed. It places each window the first time it
/// is shown, where it was last closed if its rules keep that, and remembers the place when
/// the window is hidden.
class ToolWindows final : public QObject {
  Q_OBJECT

 public:
  ToolWindows(QWidget& main_window, settings::SettingsStore& settings);
  ~ToolWindows() override;

  /// Remembers where each shown window is whose place is kept: the session is ending.
  void RememberPlaces();

  /// Adds the kind of window W, made by `make`; a feature keeps the slot to show it.
  template <ToolWindow W>
  ToolWindowSlot<W> Add(std::function<W*()> make) {
    Entry& entry = entries_[typeid(W)];
    entry.make = [make = std::move(make)]() -> QWidget* { return make(); };
    entry.rules = W::kRules;
    return ToolWindowSlot<W>(*this, typeid(W));
  }

  /// The window of type W if it exists, whoever added it.
  template <ToolWindow W>
  W* Existing() const {
    auto it = entries_.find(typeid(W));
    return it == entries_.end() ? nullptr : static_cast<W*>(it->second.window.data());
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  template <ToolWindow W>
  friend class ToolWindowSlot;

  struct Entry {
    std::function<QWidget*()> make;
    ToolWindowRules rules{};
    QPointer<QWidget> window;
    QPointer<QWidget> opener;  // what it keeps from taking input, besides the main window
    bool placed = false;
  };
  QWidget& Get(std::type_index type);
  QWidget* Existing(std::type_index type) const;
  QWidget& Show(std::type_index type, QWidget* opener);
  void Hide(std::type_index type);
  // Gives input back to what the window of `entry` took it from.
  void Release(Entry& entry);
  // Moves the window of `entry` to its first place.
  void Place(Entry& entry);
  void Remember(const Entry& entry);
  double Dpi() const;

  QWidget& main_;
  settings::SettingsStore& settings_;
  std::map<std::type_index, Entry> entries_;
};

template <ToolWindow W>
W& ToolWindowSlot<W>::Get() {
  return static_cast<W&>(owner_->Get(type_));
}
template <ToolWindow W>
W* ToolWindowSlot<W>::Existing() const {
  return static_cast<W*>(owner_->Existing(type_));
}
template <ToolWindow W>
W& ToolWindowSlot<W>::Show(QWidget* opener) {
  return static_cast<W&>(owner_->Show(type_, opener));
}
template <ToolWindow W>
void ToolWindowSlot<W>::Hide() {
  owner_->Hide(type_);
}

}  // namespace quillan::gui
