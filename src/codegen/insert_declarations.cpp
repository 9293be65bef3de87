#include "codegen/insert_declarations.h"

#include "settings/settings_table.h"

namespace quillan::codegen {

bool InsertDeclarations::IsOn() {
  if (!loaded_) {
    loaded_ = true;
    const bool stored = settings::ReadInsertDeclarations(store_);
    if (stored != on_) {
      on_ = stored;
      Notify();
    }
  }
  return on_;
}

void InsertDeclarations::Set(bool on) {
  loaded_ = true;
  if (on == on_) return;
  on_ = on;
  Notify();
}

int InsertDeclarations::AddListener(std::function<void(bool)> listener) {
  listeners_.emplace(next_id_, std::move(listener));
  return next_id_++;
}

void InsertDeclarations::RemoveListener(int id) { listeners_.erase(id); }

void InsertDeclarations::Notify() {
  // A listener may remove itself, so call a copy of the list.
  const auto listeners = listeners_;
  for (const auto& [id, listener] : listeners) listener(on_);
}

void InsertDeclarations::Store() { settings::StoreInsertDeclarations(store_, IsOn()); }

}  // namespace quillan::codegen
