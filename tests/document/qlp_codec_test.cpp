#include "document/qlp_codec.h"

#include <gtest/gtest.h>

#include <random>

namespace quillan::document {
namespace {

TEST(QlpCodec, SaveAppendsOneCrLfAndOpenTakesExactlyThatOneOff) {
  const EncodedProject saved = EncodeProject(u"abc", Encoding::kUtf8);
  EXPECT_EQ(saved.bytes, "abc\r\n");
  const DecodedProject opened = DecodeProject(saved.bytes);
  EXPECT_EQ(opened.text, u"abc");
  // Text that itself ends in an empty line keeps it.
  EXPECT_EQ(DecodeProject("abc\r\n\r\n").text, u"abc\r\n");
  EXPECT_EQ(DecodeProject("abc").text, u"abc");
  EXPECT_EQ(DecodeProject("").text, u"");
}

TEST(QlpCodec, LoneLineEndsOpenAsCrLf) {
  EXPECT_EQ(DecodeProject("a\nb\rc\r\nd\n\n").text, u"a\r\nb\r\nc\r\nd\r\n");
  EXPECT_EQ(DecodeProject("a\r").text, u"a");
  EXPECT_EQ(DecodeProject("\r\r").text, u"\r\n");
}

TEST(QlpCodec, ValidUtf8OpensAsUtf8AndKeepsItsByteOrderMark) {
  const DecodedProject plain = DecodeProject("caf\xC3\xA9");
  EXPECT_EQ(plain.encoding, Encoding::kUtf8);
  EXPECT_EQ(plain.text, u"caf\u00E9");
  const DecodedProject bom = DecodeProject("\xEF\xBB\xBFx = 1\r\n");
  EXPECT_EQ(bom.encoding, Encoding::kUtf8Bom);
  EXPECT_EQ(bom.text, u"x = 1");
  EXPECT_EQ(EncodeProject(bom.text, bom.encoding).bytes, "\xEF\xBB\xBFx = 1\r\n");
  EXPECT_EQ(DecodeProject("\xF0\x9F\x98\x80").text, u"\U0001F600");
}

TEST(QlpCodec, TakingTheBytesOverDecodesAsReadingThem) {
  // UTF-8 is kept where it is when it is in the editor's form already, or when the string has
  // the room to take CR LF line ends; anything else as before.
  for (const std::string& bytes : std::initializer_list<std::string>{
           "", "x\r\n", "a\r\nb\r\n\r\n", "\xEF\xBB\xBFx = 1\r\n", "\xEF\xBB\xBF", "a\nb\r\n",
           "a\r", "a\nb\rc\r\nd\n\n", "\r\r\n\n\r", "\xEF\xBB\xBF\xC3\xA9\n", "caf\xC3\xA9\r\n",
           "caf\xE9\r\n", "caf\xE9\n", std::string("\xFF\xFEx\0", 4)}) {
    const DecodedProject read = DecodeProject(std::string_view(bytes), true);
    for (const bool room : {false, true}) {
      std::string given(bytes);
      given.shrink_to_fit();
      if (room) given.reserve(2 * bytes.size() + 32);
      const char* where = given.data();
      const DecodedProject taken = DecodeProject(std::move(given), true);
      EXPECT_EQ(taken.encoding, read.encoding) << bytes;
      EXPECT_EQ(taken.in_utf8, read.in_utf8) << bytes;
      EXPECT_EQ(taken.utf8, read.utf8) << bytes;
      EXPECT_EQ(taken.text, read.text) << bytes;
      if (room && read.in_utf8) {
        EXPECT_EQ(taken.utf8.data(), where) << bytes;
      }
    }
  }
}

TEST(QlpCodec, Utf16WithItsByteOrderMarkRoundTripsByteForByte) {
  // "x = 1", CR LF, "Dim é", CR LF as another editor saves it, in both byte orders.
  const std::u16string text = u"x = 1\r\nDim \u00E9\r\n";
  for (const bool big : {false, true}) {
    std::string file = big ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t unit : text) {
      const char hi = static_cast<char>(unit >> 8), lo = static_cast<char>(unit & 0xFF);
      file += big ? std::string{hi, lo} : std::string{lo, hi};
    }
    ASSERT_EQ(file.size(), 30u);
    const DecodedProject opened = DecodeProject(file);
    EXPECT_EQ(opened.encoding, big ? Encoding::kUtf16Be : Encoding::kUtf16Le);
    EXPECT_EQ(opened.text, u"x = 1\r\nDim \u00E9");
    EXPECT_EQ(EncodeProject(opened.text, opened.encoding).bytes, file);
  }
  // Not whole units: not UTF-16, and still nothing is lost. Saved back in Windows-1252 the
  // bytes would come in whole units and read as UTF-16, so they are saved as UTF-8.
  const DecodedProject odd = DecodeProject(
      "\xFF\xFE"
      "ab\r");
  EXPECT_EQ(odd.encoding, Encoding::kWindows1252);
  const EncodedProject resaved = EncodeProject(odd.text, odd.encoding);
  EXPECT_TRUE(resaved.fell_back_to_utf8);
  EXPECT_EQ(DecodeProject(resaved.bytes).text, odd.text);
}

TEST(QlpCodec, OtherBytesOpenAsWindows1252ByteForByte) {
  // Every byte value except CR and LF survives open and save unchanged.
  std::string all;
  for (int b = 0; b < 256; ++b) {
    if (b != '\r' && b != '\n') all.push_back(static_cast<char>(b));
  }
  all += "\r\n";
  const DecodedProject opened = DecodeProject(all);
  EXPECT_EQ(opened.encoding, Encoding::kWindows1252);
  EXPECT_EQ(opened.text[0x80 - 2], u'\u20AC');  // 0x80 is the euro sign
  const EncodedProject saved = EncodeProject(opened.text, opened.encoding);
  EXPECT_FALSE(saved.fell_back_to_utf8);
  EXPECT_EQ(saved.bytes, all);
}

TEST(QlpCodec, CharacterOutsideWindows1252FallsBackToUtf8) {
  const EncodedProject saved = EncodeProject(u"x\u0416", Encoding::kWindows1252);
  EXPECT_TRUE(saved.fell_back_to_utf8);
  EXPECT_EQ(saved.encoding, Encoding::kUtf8);
  EXPECT_EQ(saved.bytes, "x\xD0\x96\r\n");
}

TEST(QlpCodec, Utf8ValidationRejectsMalformedSequences) {
  EXPECT_TRUE(IsValidUtf8("plain ascii"));
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));          // overlong
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));      // surrogate
  EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));  // above U+10FFFF
  EXPECT_FALSE(IsValidUtf8("\xE2\x82"));          // truncated
  EXPECT_FALSE(IsValidUtf8("caf\xE9"));           // a Windows-1252 é
}

TEST(QlpCodec, OpenSaveOpenIsStableOnRandomBytes) {
  std::mt19937 rng(42);
  for (int round = 0; round < 300; ++round) {
    std::string bytes(rng() % 64, '\0');
    for (char& c : bytes) c = static_cast<char>(rng() % 256);
    // A third of the rounds as UTF-16 of either byte order.
    if (round % 3 == 1) bytes.insert(0, "\xFF\xFE");
    if (round % 3 == 2) bytes.insert(0, "\xFE\xFF");
    const DecodedProject first = DecodeProject(bytes);
    const EncodedProject saved = EncodeProject(first.text, first.encoding);
    const DecodedProject second = DecodeProject(saved.bytes);
    ASSERT_EQ(second.text, first.text) << "round " << round;
    ASSERT_EQ(EncodeProject(second.text, second.encoding).bytes, saved.bytes);
  }
}

}  // namespace
}  // namespace quillan::document
