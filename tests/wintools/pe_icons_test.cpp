#include "wintools/pe_icons.h"

#include <gtest/gtest.h>

#include "support/pe_builder.h"

namespace quillan::wintools {
namespace {

using testing_support::DibOf;
using testing_support::Group;
using testing_support::PeBuilder;
using testing_support::Put16;
using testing_support::Put32;

// A DIB icon image's bytes: the header (height counting both masks) and some pixels.
std::string Dib(int side, int bits) {
  std::string dib(40 + 64, '\0');
  Put32(dib, 0, 40);
  Put32(dib, 4, static_cast<std::uint32_t>(side));
  Put32(dib, 8, static_cast<std::uint32_t>(2 * side));
  Put16(dib, 12, 1);
  Put16(dib, 14, static_cast<std::uint32_t>(bits));
  return dib;
}

TEST(BestIconEntry, ClosestSizeThenDepthThenTheEarlier) {
  const std::vector<IconDirectoryEntry> entries = {{48, 48, 32, 1}, {32, 32, 8, 2},
                                                   {32, 32, 32, 3}, {16, 16, 32, 4},
                                                   {32, 32, 32, 5}, {256, 256, 32, 6}};
  EXPECT_EQ(BestIconEntry(entries, 32, 32), 2);  // 32x32 at 32 bits, the earlier of two
  EXPECT_EQ(BestIconEntry(entries, 16, 16), 3);
  EXPECT_EQ(BestIconEntry(entries, 200, 200), 5);
  EXPECT_EQ(BestIconEntry({}, 32, 32), -1);
}

TEST(ExtractShellIcons, TheFirstGroupsBestImagesByTheirOwnHeaders) {
  PeBuilder pe;
  pe.icons = {{1, Dib(16, 4)}, {2, Dib(32, 8)}, {3, Dib(32, 32)}, {4, Dib(48, 32)}};
  // The directory lies about the third image's depth; the image's own header is believed.
  pe.group = Group({{16, 4, 1}, {32, 8, 2}, {32, 32, 3}, {48, 32, 4}});
  MemoryBytes file(pe.Build());
  const ShellIcons icons = ExtractShellIcons(file);
  ASSERT_TRUE(icons.large && icons.small);
  EXPECT_EQ(icons.large->bytes, Dib(32, 32));
  EXPECT_EQ(icons.large->width, 32);
  EXPECT_EQ(icons.small->bytes, Dib(16, 4));
  EXPECT_EQ(icons.small->height, 16);
  EXPECT_FALSE(icons.same_image);
  // One image that fits both sizes best: the small is the large, marked so.
  pe.group = Group({{48, 32, 4}});
  MemoryBytes single(pe.Build());
  const ShellIcons only = ExtractShellIcons(single);
  EXPECT_TRUE(only.same_image && only.small && only.small->bytes == Dib(48, 32));
}

// The size a PNG's pixel data may inflate to comes from its header alone (hand-counted rows
// and Adam7 passes); headers no icon has are refused, and so are chunks cut short.
TEST(ReadPngLayout, TheHeaderBoundsThePixelData) {
  struct Case {
    std::uint32_t width, height;
    char depth, colour, interlace;
    std::optional<std::uint64_t> raw_bytes;
  };
  const Case cases[] = {
      {16, 16, 8, 6, 0, 16 * (1 + 64)},
      {3, 5, 2, 3, 0, 5 * (1 + 1)},
      // Passes 1, 4, 5, 6 and 7 hold pixels of a 3 x 3 image, one or two rows of one byte.
      {3, 3, 1, 0, 1, 2 + 2 + 2 + 4 + 2},
      {1, 1, 16, 6, 1, 1 + 8},
      {1025, 1, 8, 6, 0, std::nullopt},
      {0, 1, 8, 6, 0, std::nullopt},
      {16, 16, 16, 3, 0, std::nullopt},
      {16, 16, 8, 6, 2, std::nullopt},
  };
  const std::string idat("\0\0\0\3IDATabc\0\0\0\0", 15);
  for (const Case& c : cases) {
    std::string png =
        "\x89PNG\r\n\x1a\n" + std::string("\0\0\0\x0DIHDR", 8) + std::string(17, '\0');
    for (int i = 0; i < 4; ++i) {
      png[16 + i] = static_cast<char>(c.width >> (24 - 8 * i));
      png[20 + i] = static_cast<char>(c.height >> (24 - 8 * i));
    }
    png[24] = c.depth;
    png[25] = c.colour;
    png[28] = c.interlace;
    png += idat + idat;
    const auto layout = ReadPngLayout(png);
    ASSERT_EQ(layout.has_value(), c.raw_bytes.has_value()) << c.width << "x" << c.height;
    if (!layout) continue;
    EXPECT_EQ(layout->raw_bytes, *c.raw_bytes);
    using Range = std::pair<std::size_t, std::size_t>;
    EXPECT_EQ(layout->data, (std::vector<Range>{{33 + 8, 3}, {33 + 15 + 8, 3}}));
    EXPECT_FALSE(ReadPngLayout(png.substr(0, png.size() - 1)));
  }
}

TEST(DecodeDib, DepthsMasksAlphaAndTheSavedRoundTrip) {
  const std::string pad3("\0\0\0", 3);
  struct Case {
    std::string dib;
    std::optional<std::vector<std::uint32_t>> top_down;
  };
  const Case cases[] = {
      // 4 bits, two colours (red, blue); the top-left pixel is masked out.
      {DibOf(2, 2, 4, std::string("\0\0\xFF\0\xFF\0\0\0", 8),
             "\x10" + pad3 + "\x01" + pad3 + std::string(4, '\0') + "\x80" + pad3),
       std::vector<std::uint32_t>{0, 0xFF0000FF, 0xFF0000FF, 0xFFFF0000}},
      // 32 bits whose alpha is all 0: the AND mask decides, here opaque.
      {DibOf(1, 1, 32, "", std::string("\x01\x02\x03\0", 4) + std::string(4, '\0')),
       std::vector<std::uint32_t>{0xFF030201}},
      // 32 bits with alpha: the alpha stands and the mask is ignored.
      {DibOf(2, 1, 32, "", std::string("\x01\x02\x03\x80\x04\x05\x06\0", 8) + "\xC0" + pad3),
       std::vector<std::uint32_t>{0x80030201, 0x00060504}},
      // 24 bits without its AND mask is drawn opaque; without all its pixels it is no image.
      {DibOf(1, 1, 24, "", std::string("\x0A\x0B\x0C\0", 4)),
       std::vector<std::uint32_t>{0xFF0C0B0A}},
      {DibOf(2, 2, 24, "", std::string(6, '\0')), std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(&c - cases);
    const auto image = IconImageOf(c.dib);
    ASSERT_TRUE(image);
    const auto pixels = DecodeDib(*image);
    ASSERT_EQ(pixels.has_value(), c.top_down.has_value());
    if (!pixels) continue;
    EXPECT_EQ(pixels->argb, *c.top_down);
    // What "Save as .ico" writes reads back as the same pixels.
    const std::string ico = IcoFileOf(*pixels);
    EXPECT_EQ(ico.substr(0, 6), std::string("\0\0\1\0\1\0", 6));
    const auto saved = IconImageOf(ico.substr(22));
    ASSERT_TRUE(saved);
    EXPECT_EQ(DecodeDib(*saved), pixels);
  }
}

TEST(ExtractShellIcons, AnyMalformedFileGivesNoIconAndNoCrash) {
  PeBuilder pe;
  pe.icons = {{1, Dib(32, 32)}};
  pe.group = Group({{32, 32, 1}});
  const std::string good = pe.Build();
  std::vector<std::string> bad = {"", "MZ",
                                  "\x7F"
                                  "ELF",
                                  good.substr(0, 0x80), good.substr(0, good.size() - 10)};
  // A resource tree that loops: the group's language directory points back at the root.
  std::string loop = good;
  const std::size_t rsrc = 0x200;
  Put32(loop, rsrc + 16 + 8 + 4, 0x80000000);  // RT_GROUP_ICON -> root
  bad.push_back(loop);
  // A resource directory whose address lies past the end of every section.
  for (const std::uint32_t address : {0xFFFFFFF0u, 0x7FFFFFFFu}) {
    std::string past = good;
    Put32(past, 0x58 + 96 + 16, address);
    bad.push_back(past);
  }

  for (std::size_t i = 0; i < bad.size(); ++i) {
    MemoryBytes file(bad[i]);
    const ShellIcons icons = ExtractShellIcons(file);
    EXPECT_FALSE(icons.large) << "case " << i;
  }
  // A section that claims gigabytes of raw data: only what is there is read, and it is found.
  std::string huge = good;
  Put32(huge, 0x58 + 224 + 16, 0xFFFFFFF0u);
  MemoryBytes huge_file(huge);
  EXPECT_TRUE(ExtractShellIcons(huge_file).large);
  // Every single-byte corruption of the good file either finds an icon or none; none crashes.
  for (std::size_t at = 0; at < good.size(); at += 3) {
    std::string flipped = good;
    flipped[at] = static_cast<char>(~flipped[at]);
    MemoryBytes file(flipped);
    ExtractShellIcons(file);
  }
}

}  // namespace
}  // namespace quillan::wintools
