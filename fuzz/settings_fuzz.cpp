// Settings values are text a user can edit by hand: reading them never fails or misbehaves.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "settings/settings_table.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quillan::settings;
  const std::string value(reinterpret_cast<const char*>(data), size);
  MemorySettingsStore store;
  for (auto k : {key::kWidth, key::kHeight, key::kLeft, key::kTop})
    store.Set(section::kSize, k, value);
  for (auto k : {key::kFont, key::kFontSize, key::kToolbar, key::kBackColor, key::kForeColor,
                 key::kBold, key::kItalic, key::kUnderline, key::kStrikethru}) {
    store.Set(section::kPrefs, k, value);
  }
  store.Set(section::kWindow, key::kOnTop, value);
  const StartupSettings s = ReadStartupSettings(store);
  if (!(s.font_size > 0)) std::abort();
  if (s.font_name.empty()) std::abort();
  if (const auto f = ParseSingle(value)) {
    // A parsed number formats and parses back to itself.
    if (ParseSingle(FormatSingle(*f)) != f) std::abort();
  }
  return 0;
}
