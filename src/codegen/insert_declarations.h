#pragma once

#include <functional>
#include <map>

#include "settings/settings_store.h"

namespace quillan::codegen {

/// The option "Insert Declarations with code." (section "decs", key "value"): one live value
/// that every generator reads and the check boxes of the Select Variable dialog and the Code
/// Generator show.
///
/// It is loaded from the store when first read and again after `Reload` (the Select Variable
/// dialog calls it when it is made anew): on when the stored value is missing, empty or
/// exactly "true". `Store` writes "true" or "false".
class InsertDeclarations {
 public:
  explicit InsertDeclarations(settings::SettingsStore& store) : store_(store) {}

  /// The live value, loaded from the store on first use.
  bool IsOn();
  /// Sets the live value (a check box was toggled); does not write the store.
  void Set(bool on);
  /// Writes the live value to the store as "true"/"false".
  void Store();
  /// Forgets the live value; the next read loads it from the store again.
  void Reload() { loaded_ = false; }

  /// Adds a function called whenever the live value changes, so that a check box can follow
  /// it; every window that shows the option adds its own. Returns the id to remove it with.
  int AddListener(std::function<void(bool)> listener);
  /// Removes the listener with this id; other listeners stay.
  void RemoveListener(int id);

 private:
  void Notify();

  settings::SettingsStore& store_;
  bool loaded_ = false;
  bool on_ = true;
  int next_id_ = 0;
  std::map<int, std::function<void(bool)>> listeners_;
};

}  // namespace quillan::codegen
