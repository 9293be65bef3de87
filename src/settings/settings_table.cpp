#include "settings/settings_table.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace quillan::settings {
namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

std::optional<std::int32_t> ReadInt(const SettingsStore& store, std::string_view section,
                                    std::string_view k) {
  return ParseInt32(store.Get(section, k));
}

}  // namespace

std::optional<std::int32_t> ParseInt32(std::string_view s) {
  s = Trim(s);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  if (s.empty()) return std::nullopt;
  std::int32_t value = 0;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
  if (ec != std::errc() || end != s.data() + s.size()) {
    // A stored size may carry a fraction ("9600.5"); round it like a conversion to Long.
    auto f = ParseSingle(s);
    if (!f || std::fabs(*f) > static_cast<float>(std::numeric_limits<std::int32_t>::max())) {
      return std::nullopt;
    }
    return static_cast<std::int32_t>(std::lround(*f));
  }
  return value;
}

std::optional<float> ParseSingle(std::string_view s) {
  s = Trim(s);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  if (s.empty()) return std::nullopt;
  float value = 0;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
  if (ec != std::errc() || end != s.data() + s.size() || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

std::string FormatSingle(float value) {
  // The shortest text that reads back as the same number: 8.25 -> "8.25", 8 -> "8".
  char buf[32];
  const auto result = std::to_chars(buf, buf + sizeof buf, value);
  return std::string(buf, result.ptr);
}

bool ReadStyleFlag(std::string_view value) { return !(value.empty() || value == "0"); }

StartupSettings ReadStartupSettings(const SettingsStore& store) {
  StartupSettings s;
  s.geometry.width = ReadInt(store, section::kSize, key::kWidth);
  s.geometry.height = ReadInt(store, section::kSize, key::kHeight);
  s.geometry.left = ReadInt(store, section::kSize, key::kLeft);
  s.geometry.top = ReadInt(store, section::kSize, key::kTop);

  const std::string on_top = store.Get(section::kWindow, key::kOnTop);
  s.on_top = on_top == "true" || on_top.empty();

  s.font_name = store.Get(section::kPrefs, key::kFont);
  if (s.font_name.empty()) s.font_name = kDefaultFont;
  s.font_size = ParseSingle(store.Get(section::kPrefs, key::kFontSize))
                    .value_or(static_cast<float>(kDefaultFontSize));
  // A size the Preferences could not have offered would make the editor unreadable.
  if (!(s.font_size >= kMinFontSize && s.font_size <= kMaxFontSize)) {
    s.font_size = static_cast<float>(kDefaultFontSize);
  }

  const std::string toolbar = store.Get(section::kPrefs, key::kToolbar);
  s.toolbar_shown = toolbar == "use" || toolbar.empty();

  s.back_color = ReadInt(store, section::kPrefs, key::kBackColor);
  s.fore_color = ReadInt(store, section::kPrefs, key::kForeColor);

  s.bold = ReadStyleFlag(store.Get(section::kPrefs, key::kBold));
  s.italic = ReadStyleFlag(store.Get(section::kPrefs, key::kItalic));
  s.underline = ReadStyleFlag(store.Get(section::kPrefs, key::kUnderline));
  s.strikethru = ReadStyleFlag(store.Get(section::kPrefs, key::kStrikethru));
  return s;
}

void StoreGeometry(SettingsStore& store, std::int32_t width, std::int32_t height, std::int32_t left,
                   std::int32_t top) {
  store.Set(section::kSize, key::kWidth, std::to_string(width));
  store.Set(section::kSize, key::kHeight, std::to_string(height));
  store.Set(section::kSize, key::kLeft, std::to_string(left));
  store.Set(section::kSize, key::kTop, std::to_string(top));
}

std::optional<Position> ReadPosition(const SettingsStore& store, std::string_view section) {
  const auto left = ReadInt(store, section, key::kLeft);
  const auto top = ReadInt(store, section, key::kTop);
  if (!left || !top) return std::nullopt;
  return Position{*left, *top};
}

void StorePosition(SettingsStore& store, std::string_view section, Position position) {
  store.Set(section, key::kLeft, std::to_string(position.left));
  store.Set(section, key::kTop, std::to_string(position.top));
}

void StoreOnTop(SettingsStore& store, bool on_top) {
  store.Set(section::kWindow, key::kOnTop, on_top ? "true" : "false");
}

void StorePrefs(SettingsStore& store, const EditorPrefs& p) {
  StoreToolbar(store, p.toolbar_shown);
  store.Set(section::kPrefs, key::kFont, p.font_name);
  store.Set(section::kPrefs, key::kFontSize, FormatSingle(p.font_size));
  store.Set(section::kPrefs, key::kBackColor, std::to_string(p.back_color));
  store.Set(section::kPrefs, key::kForeColor, std::to_string(p.fore_color));
  const std::pair<std::string_view, bool> flags[] = {{key::kBold, p.bold},
                                                     {key::kItalic, p.italic},
                                                     {key::kUnderline, p.underline},
                                                     {key::kStrikethru, p.strikethru}};
  for (const auto& [key, on] : flags) store.Set(section::kPrefs, key, on ? "1" : "0");
}

void StoreToolbar(SettingsStore& store, bool shown) {
  store.Set(section::kPrefs, key::kToolbar, shown ? "use" : "no");
}

bool ReadInsertDeclarations(const SettingsStore& store) {
  const std::string v = store.Get(section::kDecs, key::kValue);
  return v.empty() || v == "true";
}

void StoreInsertDeclarations(SettingsStore& store, bool on) {
  store.Set(section::kDecs, key::kValue, on ? "true" : "false");
}

PicSave ReadPicSave(const SettingsStore& store) {
  return store.Get(section::kPrefs, key::kPicSave) == "bmp" ? PicSave::kBmp : PicSave::kIco;
}

void StorePicSave(SettingsStore& store, PicSave how) {
  store.Set(section::kPrefs, key::kPicSave, how == PicSave::kBmp ? "bmp" : "ico");
}

std::string ProgramPathValue(std::string_view program_path, int major, int minor) {
  std::string v(program_path);
  v += ", ";
  v += std::to_string(major);
  v += ".0";
  v += std::to_string(minor);
  return v;
}

std::int32_t PixelsToTwips(double pixels, double dpi) {
  return static_cast<std::int32_t>(std::lround(pixels * kTwipsPerInch / dpi));
}

double TwipsToPixels(std::int32_t twips, double dpi) {
  return static_cast<double>(twips) * dpi / kTwipsPerInch;
}

}  // namespace quillan::settings
