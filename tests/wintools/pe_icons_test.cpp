#include "wintools/pe_icons.h"

#include <gtest/gtest.h>

#include <map>

namespace quillan::wintools {
namespace {

void Put16(std::string& s, std::size_t at, std::uint32_t v) {
  s[at] = static_cast<char>(v & 0xFF);
  s[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& s, std::size_t at, std::uint32_t v) {
  Put16(s, at, v & 0xFFFF);
  Put16(s, at + 2, v >> 16);
}

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

// A group directory with (side, bits, id) entries.
std::string Group(std::initializer_list<std::tuple<int, int, int>> images) {
  std::string g(6 + 14 * images.size(), '\0');
  Put16(g, 2, 1);
  Put16(g, 4, static_cast<std::uint32_t>(images.size()));
  std::size_t at = 6;
  for (const auto& [side, bits, id] : images) {
    g[at] = static_cast<char>(side == 256 ? 0 : side);
    g[at + 1] = static_cast<char>(side == 256 ? 0 : side);
    Put16(g, at + 4, 1);
    Put16(g, at + 6, static_cast<std::uint32_t>(bits));
    Put16(g, at + 12, static_cast<std::uint32_t>(id));
    at += 14;
  }
  return g;
}

// A PE32 file with one resource section: RT_ICON images by ID and one RT_GROUP_ICON.
// Offsets inside the section: directories, then data entries, then the bytes.
struct PeBuilder {
  std::map<int, std::string> icons;
  std::string group;
  int group_id = 7;

  std::string Build() const {
    constexpr std::uint32_t kRva = 0x1000, kRaw = 0x200;
    std::string rsrc;
    auto dir = [&rsrc](std::vector<std::pair<std::uint32_t, std::uint32_t>> entries) {
      const std::size_t at = rsrc.size();
      rsrc.resize(at + 16 + 8 * entries.size());
      Put16(rsrc, at + 14, static_cast<std::uint32_t>(entries.size()));
      for (std::size_t i = 0; i < entries.size(); ++i) {
        Put32(rsrc, at + 16 + 8 * i, entries[i].first);
        Put32(rsrc, at + 20 + 8 * i, entries[i].second);
      }
      return static_cast<std::uint32_t>(at);
    };
    // Fixed-size directories first, with their targets patched below.
    const std::uint32_t root = dir({{3, 0}, {14, 0}});
    std::vector<std::pair<std::uint32_t, std::uint32_t>> ids;
    for (const auto& [id, bytes] : icons) ids.emplace_back(static_cast<std::uint32_t>(id), 0);
    const std::uint32_t icon_dir = dir(ids);
    const std::uint32_t group_dir = dir({{static_cast<std::uint32_t>(group_id), 0}});
    std::vector<std::uint32_t> lang_dirs;
    for (std::size_t i = 0; i <= icons.size(); ++i) lang_dirs.push_back(dir({{1033, 0}}));
    Put32(rsrc, root + 20, 0x80000000 | icon_dir);
    Put32(rsrc, root + 28, 0x80000000 | group_dir);
    for (std::size_t i = 0; i < icons.size(); ++i) {
      Put32(rsrc, icon_dir + 20 + 8 * i, 0x80000000 | lang_dirs[i]);
    }
    Put32(rsrc, group_dir + 20, 0x80000000 | lang_dirs.back());
    std::vector<const std::string*> blobs;
    for (const auto& [id, bytes] : icons) blobs.push_back(&bytes);
    blobs.push_back(&group);
    std::vector<std::uint32_t> data_entries;
    for (std::size_t i = 0; i < blobs.size(); ++i) {
      data_entries.push_back(static_cast<std::uint32_t>(rsrc.size()));
      rsrc.resize(rsrc.size() + 16);
      Put32(rsrc, lang_dirs[i] + 20, data_entries[i]);
    }
    for (std::size_t i = 0; i < blobs.size(); ++i) {
      const auto at = static_cast<std::uint32_t>(rsrc.size());
      rsrc += *blobs[i];
      Put32(rsrc, data_entries[i], kRva + at);
      Put32(rsrc, data_entries[i] + 4, static_cast<std::uint32_t>(blobs[i]->size()));
    }
    std::string file(kRaw, '\0');
    file[0] = 'M';
    file[1] = 'Z';
    Put32(file, 0x3C, 0x40);
    file.replace(0x40, 4, std::string("PE\0\0", 4));
    Put16(file, 0x46, 1);      // one section
    Put16(file, 0x54, 224);    // optional header size
    Put16(file, 0x58, 0x10B);  // PE32
    Put32(file, 0x58 + 92, 16);
    Put32(file, 0x58 + 96 + 16, kRva);
    Put32(file, 0x58 + 96 + 20, static_cast<std::uint32_t>(rsrc.size()));
    const std::size_t section = 0x58 + 224;
    file.replace(section, 5, ".rsrc");
    Put32(file, section + 8, static_cast<std::uint32_t>(rsrc.size()));
    Put32(file, section + 12, kRva);
    Put32(file, section + 16, static_cast<std::uint32_t>(rsrc.size()));
    Put32(file, section + 20, kRaw);
    return file + rsrc;
  }
};

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
  // The ICO container holds the image behind a one-entry directory.
  const std::string ico = IcoFileOf(*icons.large);
  EXPECT_EQ(ico.size(), 22 + icons.large->bytes.size());
  EXPECT_EQ(ico.substr(0, 6), std::string("\0\0\1\0\1\0", 6));
  EXPECT_EQ(ico[6], 32);
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
