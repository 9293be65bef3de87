#include "settings/settings_table.h"

#include <gtest/gtest.h>

namespace quillan::settings {
namespace {

TEST(StartupSettings, EmptyStoreGivesTheDefaults) {
  MemorySettingsStore store;
  const StartupSettings s = ReadStartupSettings(store);
  EXPECT_FALSE(s.geometry.width || s.geometry.height || s.geometry.left || s.geometry.top);
  EXPECT_TRUE(s.on_top);
  EXPECT_EQ(s.font_name, "tahoma");
  EXPECT_FLOAT_EQ(s.font_size, 8.0f);
  EXPECT_TRUE(s.toolbar_shown);
  EXPECT_FALSE(s.back_color);
  EXPECT_FALSE(s.fore_color);
  EXPECT_FALSE(s.bold || s.italic || s.underline || s.strikethru);
}

struct WordCase {
  const char* stored;
  bool on_top;   // "window"/"ontop"
  bool toolbar;  // "prefs"/"toolbar"
  bool style;    // "prefs"/"bold"
};

class ExactWords : public testing::TestWithParam<WordCase> {};

TEST_P(ExactWords, AreComparedExactly) {
  const WordCase& c = GetParam();
  MemorySettingsStore store;
  store.Set("window", "ontop", c.stored);
  store.Set("prefs", "toolbar", c.stored);
  store.Set("prefs", "bold", c.stored);
  store.Set("prefs", "strikethru", c.stored);
  const StartupSettings s = ReadStartupSettings(store);
  EXPECT_EQ(s.on_top, c.on_top);
  EXPECT_EQ(s.toolbar_shown, c.toolbar);
  EXPECT_EQ(s.bold, c.style);
  EXPECT_EQ(s.strikethru, c.style);
}

INSTANTIATE_TEST_SUITE_P(
    Words, ExactWords,
    testing::Values(WordCase{"", true, true, false}, WordCase{"true", true, false, true},
                    WordCase{"True", false, false, true}, WordCase{"false", false, false, true},
                    WordCase{"use", false, true, true}, WordCase{"Use", false, false, true},
                    WordCase{"0", false, false, false}, WordCase{"1", false, false, true},
                    WordCase{"2", false, false, true}, WordCase{"yes", false, false, true}));

TEST(StartupSettings, NumbersThatCannotBeParsedAreIgnored) {
  MemorySettingsStore store;
  store.Set("size", "width", "abc");
  store.Set("size", "height", "7200");
  store.Set("size", "left", " -300 ");
  store.Set("size", "top", "12x");
  store.Set("prefs", "font size", "big");
  store.Set("prefs", "backcolor", "16777215");
  store.Set("prefs", "forecolor", "-2147483640");
  const StartupSettings s = ReadStartupSettings(store);
  EXPECT_FALSE(s.geometry.width);
  EXPECT_EQ(s.geometry.height, 7200);
  EXPECT_EQ(s.geometry.left, -300);
  EXPECT_FALSE(s.geometry.top);
  EXPECT_FLOAT_EQ(s.font_size, 8.0f);
  EXPECT_EQ(s.back_color, 16777215);
  EXPECT_EQ(s.fore_color, -2147483640);
}

TEST(StartupSettings, FontNameAndFractionalSize) {
  MemorySettingsStore store;
  store.Set("prefs", "font", "Courier New");
  store.Set("prefs", "font size", "8.25");
  const StartupSettings s = ReadStartupSettings(store);
  EXPECT_EQ(s.font_name, "Courier New");
  EXPECT_FLOAT_EQ(s.font_size, 8.25f);
  // Sizes outside the 1 to 72 points the Preferences offer read as missing.
  for (const auto& [stored, size] : std::vector<std::pair<const char*, float>>{{"1", 1},
                                                                               {"72", 72},
                                                                               {"0.5", 8},
                                                                               {"72.5", 8},
                                                                               {"1e9", 8},
                                                                               {"1e-30", 8},
                                                                               {"3.4e38", 8},
                                                                               {"-12", 8},
                                                                               {"nan", 8},
                                                                               {"inf", 8}}) {
    store.Set("prefs", "font size", stored);
    EXPECT_FLOAT_EQ(ReadStartupSettings(store).font_size, size) << stored;
  }
}

TEST(Numbers, ParsingIsStrictAboutTrailingText) {
  EXPECT_EQ(ParseInt32("9600"), 9600);
  EXPECT_EQ(ParseInt32("9600.4"), 9600);
  EXPECT_FALSE(ParseInt32("99999999999"));
  EXPECT_FALSE(ParseInt32(""));
  EXPECT_FALSE(ParseSingle("nan"));
  EXPECT_EQ(FormatSingle(8.25f), "8.25");
  EXPECT_EQ(FormatSingle(8.0f), "8");
}

TEST(Storage, WritesTheWordsAndTwips) {
  MemorySettingsStore store;
  StoreOnTop(store, false);
  StoreToolbar(store, false);
  StoreGeometry(store, 9600, 7200, -15, 300);
  StoreInsertDeclarations(store, false);
  EXPECT_EQ(store.Get("window", "ontop"), "false");
  EXPECT_EQ(store.Get("prefs", "toolbar"), "no");
  EXPECT_EQ(store.Get("size", "width"), "9600");
  EXPECT_EQ(store.Get("size", "left"), "-15");
  // A tool window's place counts only whole: a corner with one number is no place.
  StorePosition(store, "apispy", {-20, 4500});
  EXPECT_EQ(ReadPosition(store, "apispy")->top, 4500);
  store.Set("apispy", "left", "far");
  EXPECT_FALSE(ReadPosition(store, "apispy"));
  EXPECT_EQ(store.Get("decs", "value"), "false");
  EXPECT_FALSE(ReadInsertDeclarations(store));
  store.Set("decs", "value", "TRUE");
  EXPECT_FALSE(ReadInsertDeclarations(store));
  store.Set("decs", "value", "");
  EXPECT_TRUE(ReadInsertDeclarations(store));
  // 640 pixels at 96 dots per inch are 9600 twips, and back.
  EXPECT_EQ(PixelsToTwips(640, 96), 9600);
  EXPECT_DOUBLE_EQ(TwipsToPixels(9600, 96), 640.0);
  EXPECT_EQ(PixelsToTwips(640, 192), 4800);
}

TEST(Storage, ProgramPathCarriesTheVersion) {
  EXPECT_EQ(ProgramPathValue("/opt/q/quillan", 1, 7), "/opt/q/quillan, 1.07");
  EXPECT_EQ(ProgramPathValue("/opt/q/quillan", 1, 0), "/opt/q/quillan, 1.00");
}

}  // namespace
}  // namespace quillan::settings
