#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "settings/settings_store.h"

namespace quillan::settings {

// The one table of persisted settings: sections, keys, and how each value is read back.
// Flags and options are words compared exactly and case-sensitively.

namespace section {
inline constexpr std::string_view kSize = "size";
inline constexpr std::string_view kWindow = "window";
inline constexpr std::string_view kPrefs = "prefs";
inline constexpr std::string_view kDecs = "decs";
inline constexpr std::string_view kDir = "dir";
// Where each window beside the main window was last closed: "left" and "top", its outer
// position in twips, as "size" keeps the main window's.
inline constexpr std::string_view kApiSpyPlace = "apispy";
inline constexpr std::string_view kWindowSpyPlace = "winspy";
inline constexpr std::string_view kGeneratorPlace = "generator";
inline constexpr std::string_view kColorSpyPlace = "colorspy";
inline constexpr std::string_view kIconPlace = "geticon";
inline constexpr std::string_view kFindPlace = "find";
inline constexpr std::string_view kHelpPlace = "help";
}  // namespace section

namespace key {
inline constexpr std::string_view kWidth = "width";
inline constexpr std::string_view kHeight = "height";
inline constexpr std::string_view kLeft = "left";
inline constexpr std::string_view kTop = "top";
inline constexpr std::string_view kOnTop = "ontop";
inline constexpr std::string_view kFont = "font";
inline constexpr std::string_view kFontSize = "font size";
inline constexpr std::string_view kToolbar = "toolbar";
inline constexpr std::string_view kBackColor = "backcolor";
inline constexpr std::string_view kForeColor = "forecolor";
inline constexpr std::string_view kBold = "bold";
inline constexpr std::string_view kItalic = "italic";
inline constexpr std::string_view kUnderline = "underline";
inline constexpr std::string_view kStrikethru = "strikethru";
inline constexpr std::string_view kPicSave = "picsave";
inline constexpr std::string_view kValue = "value";
inline constexpr std::string_view kPath = "path";
}  // namespace key

inline constexpr std::string_view kDefaultFont = "tahoma";
inline constexpr double kDefaultFontSize = 8;
/// Twips per inch of the screen's logical resolution.
inline constexpr int kTwipsPerInch = 1440;

/// Parses a whole string as a 32-bit signed integer (surrounding spaces allowed).
std::optional<std::int32_t> ParseInt32(std::string_view s);
/// Parses a whole string as a single-precision number (surrounding spaces allowed).
std::optional<float> ParseSingle(std::string_view s);
/// Formats a single-precision number the short way: 8.25 -> "8.25", 8 -> "8".
std::string FormatSingle(float value);

/// The outer geometry of the main window, in twips.
struct Geometry {
  std::optional<std::int32_t> width, height, left, top;
};

/// Everything the main window reads at start-up, already interpreted.
struct StartupSettings {
  Geometry geometry;                       ///< each value only when stored and a number
  bool on_top = true;                      ///< "ontop" exactly "true" or empty
  std::string font_name;                   ///< "font", or "tahoma"
  float font_size = 8;                     ///< "font size" when a number from 1 to 72, else 8
  bool toolbar_shown = true;               ///< "toolbar" exactly "use" or empty
  std::optional<std::int32_t> back_color;  ///< "backcolor" when stored and a number
  std::optional<std::int32_t> fore_color;  ///< "forecolor" when stored and a number
  bool bold = false, italic = false, underline = false, strikethru = false;
};

/// The font sizes the Preferences offer, in points; others read as missing.
inline constexpr float kMinFontSize = 1;
inline constexpr float kMaxFontSize = 72;

/// Reads the start-up settings by the table's rules.
StartupSettings ReadStartupSettings(const SettingsStore& store);

/// Stores the window's outer geometry in twips under "size".
void StoreGeometry(SettingsStore& store, std::int32_t width, std::int32_t height, std::int32_t left,
                   std::int32_t top);

/// A window's outer top-left corner, in twips.
struct Position {
  std::int32_t left = 0, top = 0;
};
/// The position remembered under `section` ("left" and "top"); none unless both are numbers.
std::optional<Position> ReadPosition(const SettingsStore& store, std::string_view section);
void StorePosition(SettingsStore& store, std::string_view section, Position position);

/// What the Preferences' OK stores: every key of "prefs" that the editor's look uses.
struct EditorPrefs {
  bool toolbar_shown = true;
  std::string font_name;
  float font_size = 8;
  std::int32_t back_color = 0, fore_color = 0;
  bool bold = false, italic = false, underline = false, strikethru = false;
};
void StorePrefs(SettingsStore& store, const EditorPrefs& prefs);

/// "true"/"false" for the on-top state.
void StoreOnTop(SettingsStore& store, bool on_top);
/// "use"/"no" for the toolbar state.
void StoreToolbar(SettingsStore& store, bool shown);

/// A check-box flag ("bold" and its kin): off only for "" and exactly "0".
bool ReadStyleFlag(std::string_view value);

/// `InsertDeclarations`: on when the stored value is missing, empty or exactly "true".
bool ReadInsertDeclarations(const SettingsStore& store);
void StoreInsertDeclarations(SettingsStore& store, bool on);

/// How the icon extractor saves a picture: "ico" or "bmp". Anything else reads as the icon.
enum class PicSave { kIco, kBmp };
PicSave ReadPicSave(const SettingsStore& store);
void StorePicSave(SettingsStore& store, PicSave how);

/// The "dir"/"path" value: the program's full path, ", " and the version as major, ".0",
/// minor (version 1.7 gives "1.07").
std::string ProgramPathValue(std::string_view program_path, int major, int minor);

/// Pixels <-> twips at a logical resolution (dots per inch).
std::int32_t PixelsToTwips(double pixels, double dpi);
double TwipsToPixels(std::int32_t twips, double dpi);

}  // namespace quillan::settings
