#pragma once

// Small Windows executables built byte by byte, with the icon resources a test needs.

#include <cstdint>
#include <initializer_list>
#include <map>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace quillan::testing_support {

inline void Put16(std::string& s, std::size_t at, std::uint32_t v) {
  s[at] = static_cast<char>(v & 0xFF);
  s[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}
inline void Put32(std::string& s, std::size_t at, std::uint32_t v) {
  Put16(s, at, v & 0xFFFF);
  Put16(s, at + 2, v >> 16);
}

// A group directory with (side, bits, id) entries.
inline std::string Group(std::initializer_list<std::tuple<int, int, int>> images) {
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
  /// Where the resource section starts in the file; the headers fill the first 0x200 bytes.
  std::uint32_t raw_offset = 0x200;

  std::string Build() const {
    constexpr std::uint32_t kRva = 0x1000;
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
    std::string file(raw_offset, '\0');
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
    Put32(file, section + 20, raw_offset);
    return file + rsrc;
  }
};

// A DIB of w x h: header, palette, then the XOR and AND rows exactly as stored (bottom-up).
inline std::string DibOf(int w, int h, int bits, std::string palette, std::string rows) {
  std::string dib(40, '\0');
  Put32(dib, 0, 40);
  Put32(dib, 4, static_cast<std::uint32_t>(w));
  Put32(dib, 8, static_cast<std::uint32_t>(2 * h));
  Put16(dib, 12, 1);
  Put16(dib, 14, static_cast<std::uint32_t>(bits));
  Put32(dib, 32, static_cast<std::uint32_t>(palette.size() / 4));
  return dib + palette + rows;
}

}  // namespace quillan::testing_support
