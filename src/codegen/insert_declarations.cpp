#include "codegen/insert_declarations.h"

#include "settings/settings_table.h"

namespace quillan::codegen {

bool InsertDeclarations::IsOn() {
  if (!loaded_) {
    loaded_ = true;
    const bool stored = settings::ReadInsertDeclarations(store_);
    if (stored != on_) {
      on_ = stored;
      if (listener_) listener_(on_);
    }
  }
  return on_;
}

void InsertDeclarations::Set(bool on) {
  loaded_ = true;
  if (on == on_) return;
  on_ = on;
  if (listener_) listener_(on_);
}

void InsertDeclarations::Store() { settings::StoreInsertDeclarations(store_, IsOn()); }

}  // namespace quillan::codegen
