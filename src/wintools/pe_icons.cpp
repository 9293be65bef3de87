#include "wintools/pe_icons.h"

#include <algorithm>
#include <cstdlib>
#include <unordered_set>

namespace quillan::wintools {

namespace {

constexpr std::uint32_t kRtIcon = 3;
constexpr std::uint32_t kRtGroupIcon = 14;
// No icon image or group is larger than this; a data entry that claims more is not trusted.
constexpr std::uint32_t kMaxResourceBytes = 16u << 20;
// The PE format allows no more sections than this.
constexpr std::uint16_t kMaxSections = 96;
// An image wider or higher than this is no icon.
constexpr int kMaxIconSide = 1024;

std::uint16_t Le16(const std::string& s, std::size_t i) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(s[i]) |
                                    static_cast<unsigned char>(s[i + 1]) << 8);
}
std::uint32_t Le32(const std::string& s, std::size_t i) {
  return static_cast<std::uint32_t>(Le16(s, i)) | static_cast<std::uint32_t>(Le16(s, i + 2)) << 16;
}
std::uint32_t Be32(std::string_view s, std::size_t i) {
  std::uint32_t v = 0;
  for (std::size_t k = 0; k < 4; ++k) v = v << 8 | static_cast<unsigned char>(s[i + k]);
  return v;
}

// Reads of the file that are checked against its size in 64-bit arithmetic first.
class Reader {
 public:
  explicit Reader(ByteSource& source) : source_(source) {}
  std::optional<std::string> Bytes(std::uint64_t offset, std::uint64_t n) {
    const std::uint64_t size = source_.Size();
    if (offset > size || n > size - offset) return std::nullopt;
    std::string out;
    if (!source_.Read(offset, static_cast<std::size_t>(n), out) || out.size() != n) {
      return std::nullopt;
    }
    return out;
  }

 private:
  ByteSource& source_;
};

struct Section {
  std::uint32_t virtual_address = 0;
  std::uint32_t virtual_size = 0;
  std::uint32_t raw_size = 0;
  std::uint32_t raw_pointer = 0;
};

struct ResourceEntry {
  std::uint32_t name = 0;    // the ID, or the offset of the name when `named`
  std::uint32_t offset = 0;  // from the start of the resource section
  bool named = false;
  bool directory = false;
};

class PeResources {
 public:
  explicit PeResources(ByteSource& file) : reader_(file) { valid_ = Parse(); }
  bool valid() const { return valid_; }

  // The first directory entry of `type`, and under it the entry with `id` (or, with no id,
  // the first in stored order), down to its first data entry: the resource's bytes.
  std::optional<std::string> Resource(std::uint32_t type, std::optional<std::uint32_t> id) {
    std::unordered_set<std::uint32_t> visited;
    const auto types = Directory(0, visited);
    const auto type_entry = std::find_if(
        types.begin(), types.end(),
        [type](const ResourceEntry& e) { return !e.named && e.name == type && e.directory; });
    if (type_entry == types.end()) return std::nullopt;
    const auto names = Directory(type_entry->offset, visited);
    const auto name_entry = std::find_if(names.begin(), names.end(), [&id](const ResourceEntry& e) {
      return e.directory && (!id || (!e.named && e.name == *id));
    });
    if (name_entry == names.end()) return std::nullopt;
    const auto languages = Directory(name_entry->offset, visited);
    const auto data = std::find_if(languages.begin(), languages.end(),
                                   [](const ResourceEntry& e) { return !e.directory; });
    if (data == languages.end()) return std::nullopt;
    return Data(data->offset);
  }

 private:
  bool Parse() {
    const auto dos = reader_.Bytes(0, 64);
    if (!dos || dos->compare(0, 2, "MZ") != 0) return false;
    const std::uint64_t pe = Le32(*dos, 0x3C);
    const auto header = reader_.Bytes(pe, 24);
    if (!header || header->compare(0, 4, std::string("PE\0\0", 4)) != 0) return false;
    const std::uint16_t sections = std::min(Le16(*header, 6), kMaxSections);
    const std::uint16_t optional_size = Le16(*header, 20);
    const auto optional = reader_.Bytes(pe + 24, optional_size);
    if (!optional || optional->size() < 2) return false;
    const std::uint16_t magic = Le16(*optional, 0);
    std::size_t count_at = 0, directories_at = 0;
    if (magic == 0x10B) {
      count_at = 92;
      directories_at = 96;
    } else if (magic == 0x20B) {
      count_at = 108;
      directories_at = 112;
    } else {
      return false;
    }
    if (optional->size() < directories_at + 3 * 8) return false;
    if (Le32(*optional, count_at) < 3) return false;  // no resource directory
    const std::uint32_t resource_rva = Le32(*optional, directories_at + 2 * 8);
    if (resource_rva == 0) return false;
    const auto table = reader_.Bytes(pe + 24 + optional_size, std::uint64_t{sections} * 40);
    if (!table) return false;
    for (std::uint16_t i = 0; i < sections; ++i) {
      const std::size_t at = std::size_t{i} * 40;
      sections_.push_back({Le32(*table, at + 12), Le32(*table, at + 8), Le32(*table, at + 16),
                           Le32(*table, at + 20)});
    }
    const auto base = FileOffset(resource_rva);
    if (!base) return false;
    resource_base_ = *base;
    return true;
  }

  // The file offset of a relative virtual address, inside the raw data of its section.
  std::optional<std::uint64_t> FileOffset(std::uint32_t rva) const {
    for (const Section& s : sections_) {
      const std::uint64_t span = std::max(s.virtual_size, s.raw_size);
      if (rva >= s.virtual_address && rva - s.virtual_address < span &&
          rva - s.virtual_address < s.raw_size) {
        return std::uint64_t{s.raw_pointer} + (rva - s.virtual_address);
      }
    }
    return std::nullopt;
  }

  // One directory's entries, named ones first as stored, then IDs. A directory already seen
  // (a loop in the tree) has none.
  std::vector<ResourceEntry> Directory(std::uint32_t offset,
                                       std::unordered_set<std::uint32_t>& visited) {
    std::vector<ResourceEntry> entries;
    if (!visited.insert(offset).second) return entries;
    const auto header = reader_.Bytes(resource_base_ + offset, 16);
    if (!header) return entries;
    const std::uint64_t count = std::uint64_t{Le16(*header, 12)} + Le16(*header, 14);
    const auto table = reader_.Bytes(resource_base_ + offset + 16, count * 8);
    if (!table) return entries;
    for (std::uint64_t i = 0; i < count; ++i) {
      const std::uint32_t name = Le32(*table, static_cast<std::size_t>(i * 8));
      const std::uint32_t target = Le32(*table, static_cast<std::size_t>(i * 8 + 4));
      entries.push_back(
          {name & 0x7FFFFFFF, target & 0x7FFFFFFF, (name >> 31) != 0, (target >> 31) != 0});
    }
    return entries;
  }

  // A data entry's bytes; its offset is a relative virtual address, not a section offset.
  std::optional<std::string> Data(std::uint32_t offset) {
    const auto entry = reader_.Bytes(resource_base_ + offset, 16);
    if (!entry) return std::nullopt;
    const std::uint32_t size = Le32(*entry, 4);
    const auto at = FileOffset(Le32(*entry, 0));
    if (!at || size == 0 || size > kMaxResourceBytes) return std::nullopt;
    return reader_.Bytes(*at, size);
  }

  Reader reader_;
  std::vector<Section> sections_;
  std::uint64_t resource_base_ = 0;
  bool valid_ = false;
};

std::vector<IconDirectoryEntry> GroupEntries(const std::string& group) {
  std::vector<IconDirectoryEntry> entries;
  if (group.size() < 6 || Le16(group, 2) != 1) return entries;
  const std::size_t count = std::min<std::size_t>(Le16(group, 4), (group.size() - 6) / 14);
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t at = 6 + i * 14;
    const auto side = [](unsigned char b) { return b == 0 ? 256 : int{b}; };
    entries.push_back({side(static_cast<unsigned char>(group[at])),
                       side(static_cast<unsigned char>(group[at + 1])), Le16(group, at + 6),
                       Le16(group, at + 12)});
  }
  return entries;
}

void PutLe16(std::string& out, std::uint32_t v) {
  out.push_back(static_cast<char>(v & 0xFF));
  out.push_back(static_cast<char>((v >> 8) & 0xFF));
}

void PutLe32(std::string& out, std::uint32_t v) {
  PutLe16(out, v & 0xFFFF);
  PutLe16(out, v >> 16);
}

// A DIB row's length in bytes: rows are padded to whole 32-bit words.
std::uint64_t RowBytes(int width, int bits) {
  return (std::uint64_t{static_cast<std::uint32_t>(width)} * static_cast<std::uint32_t>(bits) +
          31) /
         32 * 4;
}

}  // namespace

bool MemoryBytes::Read(std::uint64_t offset, std::size_t n, std::string& out) {
  if (offset > bytes_.size() || n > bytes_.size() - offset) return false;
  out.assign(bytes_, static_cast<std::size_t>(offset), n);
  return true;
}

std::optional<IconImage> IconImageOf(std::string bytes) {
  IconImage image;
  if (bytes.size() >= 24 && bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") == 0) {
    image.png = true;
    image.width = static_cast<int>(std::min<std::uint32_t>(Be32(bytes, 16), kMaxIconSide + 1));
    image.height = static_cast<int>(std::min<std::uint32_t>(Be32(bytes, 20), kMaxIconSide + 1));
    image.bit_count = 32;
  } else if (bytes.size() >= 40 && Le32(bytes, 0) >= 40) {
    // The height counts the XOR and the AND mask.
    const auto width = static_cast<std::int32_t>(Le32(bytes, 4));
    const auto height = static_cast<std::int32_t>(Le32(bytes, 8));
    image.width = width;
    image.height = height / 2;
    image.bit_count = Le16(bytes, 14);
  } else {
    return std::nullopt;
  }
  if (image.width <= 0 || image.height <= 0 || image.width > kMaxIconSide ||
      image.height > kMaxIconSide) {
    return std::nullopt;
  }
  image.bytes = std::move(bytes);
  return image;
}

std::optional<PngLayout> ReadPngLayout(std::string_view png) {
  constexpr std::string_view kSignature = "\x89PNG\r\n\x1a\n";
  // The signature, then IHDR first: length 13, type, 13 bytes, CRC.
  if (png.size() < 8 + 25 || !png.starts_with(kSignature) || Be32(png, 8) != 13 ||
      png.substr(12, 4) != "IHDR") {
    return std::nullopt;
  }
  PngLayout layout;
  const std::uint32_t width = Be32(png, 16), height = Be32(png, 20);
  const auto depth = static_cast<unsigned char>(png[24]);
  const auto colour = static_cast<unsigned char>(png[25]);
  const auto compression = static_cast<unsigned char>(png[26]);
  const auto filter = static_cast<unsigned char>(png[27]);
  const auto interlace = static_cast<unsigned char>(png[28]);
  constexpr auto kMaxSide = static_cast<std::uint32_t>(kMaxIconSide);
  if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide || compression != 0 ||
      filter != 0 || interlace > 1) {
    return std::nullopt;
  }
  // The samples per pixel and the depths each colour type allows.
  int channels = 0;
  bool depth_allowed = false;
  switch (colour) {
    case 0:  // grey
      channels = 1;
      depth_allowed = depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
      break;
    case 3:  // palette
      channels = 1;
      depth_allowed = depth == 1 || depth == 2 || depth == 4 || depth == 8;
      break;
    case 2:  // RGB
    case 4:  // grey and alpha
    case 6:  // RGBA
      channels = colour == 2 ? 3 : colour == 4 ? 2 : 4;
      depth_allowed = depth == 8 || depth == 16;
      break;
    default:
      break;
  }
  if (!depth_allowed) return std::nullopt;
  layout.width = static_cast<int>(width);
  layout.height = static_cast<int>(height);
  const std::uint64_t bits_per_pixel = std::uint64_t{depth} * static_cast<unsigned>(channels);
  const auto rows_of = [&](std::uint64_t columns, std::uint64_t rows) -> std::uint64_t {
    if (columns == 0 || rows == 0) return 0;  // an empty pass has no filter bytes either
    return rows * (1 + (columns * bits_per_pixel + 7) / 8);
  };
  if (interlace == 0) {
    layout.raw_bytes = rows_of(width, height);
  } else {
    // Adam7: each pass takes every dx-th column from x0 and every dy-th row from y0.
    constexpr std::uint32_t kPasses[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                             {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
    for (const auto& [x0, y0, dx, dy] : kPasses) {
      const std::uint64_t columns = width > x0 ? (width - x0 + dx - 1) / dx : 0;
      const std::uint64_t rows = height > y0 ? (height - y0 + dy - 1) / dy : 0;
      layout.raw_bytes += rows_of(columns, rows);
    }
  }
  // The chunks after IHDR, up to IEND: length, type, data, CRC.
  for (std::size_t at = 8 + 25; at < png.size();) {
    if (png.size() - at < 12) return std::nullopt;
    const std::uint32_t length = Be32(png, at);
    if (length > png.size() - at - 12) return std::nullopt;
    const std::string_view type = png.substr(at + 4, 4);
    if (type == "IEND") break;
    if (type == "IDAT") layout.data.emplace_back(at + 8, length);
    at += 12 + std::size_t{length};
  }
  return layout;
}

int BestIconEntry(const std::vector<IconDirectoryEntry>& entries, int width, int height) {
  int best = -1;
  int best_size = 0, best_depth = 0;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const int size = std::abs(entries[i].width - width) + std::abs(entries[i].height - height);
    const int depth = std::abs(entries[i].bit_count - 32);
    if (best < 0 || size < best_size || (size == best_size && depth < best_depth)) {
      best = static_cast<int>(i);
      best_size = size;
      best_depth = depth;
    }
  }
  return best;
}

ShellIcons ExtractShellIcons(ByteSource& file) {
  ShellIcons icons;
  PeResources resources(file);
  if (!resources.valid()) return icons;
  const auto group = resources.Resource(kRtGroupIcon, std::nullopt);
  if (!group) return icons;
  const std::vector<IconDirectoryEntry> entries = GroupEntries(*group);
  auto image_of = [&](int best) -> std::optional<IconImage> {
    if (best < 0) return std::nullopt;
    auto bytes = resources.Resource(kRtIcon, entries[static_cast<std::size_t>(best)].id);
    if (!bytes) return std::nullopt;
    return IconImageOf(std::move(*bytes));
  };
  const int large = BestIconEntry(entries, 32, 32), small = BestIconEntry(entries, 16, 16);
  icons.large = image_of(large);
  // One image that fits both sizes best is read once, so that its reader can decode it once.
  icons.same_image =
      icons.large && small >= 0 &&
      entries[static_cast<std::size_t>(small)].id == entries[static_cast<std::size_t>(large)].id;
  icons.small = icons.same_image ? icons.large : image_of(small);
  return icons;
}

std::optional<IconPixels> DecodeDib(const IconImage& image) {
  const std::string& b = image.bytes;
  if (image.png || b.size() < 40) return std::nullopt;
  const int bits = image.bit_count;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) {
    return std::nullopt;
  }
  if (Le32(b, 16) != 0) return std::nullopt;  // only uncompressed RGB
  const std::uint64_t header = Le32(b, 0);
  std::uint64_t colors = 0;
  if (bits <= 8) {
    colors = Le32(b, 32);
    if (colors == 0 || colors > (1u << bits)) colors = 1u << bits;
  }
  const int w = image.width, h = image.height;
  const std::uint64_t xor_at = header + 4 * colors;
  const std::uint64_t xor_row = RowBytes(w, bits), and_row = RowBytes(w, 1);
  const std::uint64_t and_at = xor_at + xor_row * static_cast<std::uint32_t>(h);
  if (and_at > b.size()) return std::nullopt;
  // An image cut short in its AND mask is drawn opaque.
  const bool has_mask = and_row * static_cast<std::uint32_t>(h) <= b.size() - and_at;
  const auto byte = [&b](std::uint64_t at) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(b[static_cast<std::size_t>(at)]));
  };
  const auto palette = [&](std::uint32_t index) -> std::uint32_t {
    if (index >= colors) return 0xFF000000;
    const std::uint64_t at = header + 4 * std::uint64_t{index};
    return 0xFF000000 | byte(at + 2) << 16 | byte(at + 1) << 8 | byte(at);
  };
  const auto five = [](std::uint32_t v) { return (v << 3) | (v >> 2); };

  IconPixels out{w, h, std::vector<std::uint32_t>(static_cast<std::size_t>(w) * h)};
  bool any_alpha = false;
  for (int y = 0; y < h; ++y) {
    // Rows are stored bottom-up.
    const std::uint64_t row = xor_at + xor_row * static_cast<std::uint32_t>(h - 1 - y);
    for (int x = 0; x < w; ++x) {
      const auto ux = static_cast<std::uint32_t>(x);
      std::uint32_t pixel = 0;
      switch (bits) {
        case 1:
          pixel = palette(byte(row + ux / 8) >> (7 - ux % 8) & 1);
          break;
        case 4:
          pixel = palette(byte(row + ux / 2) >> (ux % 2 == 0 ? 4 : 0) & 15);
          break;
        case 8:
          pixel = palette(byte(row + ux));
          break;
        case 16: {
          const std::uint32_t v = byte(row + 2 * ux) | byte(row + 2 * ux + 1) << 8;
          pixel = 0xFF000000 | five(v >> 10 & 31) << 16 | five(v >> 5 & 31) << 8 | five(v & 31);
          break;
        }
        case 24:
          pixel = 0xFF000000 | byte(row + 3 * ux + 2) << 16 | byte(row + 3 * ux + 1) << 8 |
                  byte(row + 3 * ux);
          break;
        default:
          pixel = byte(row + 4 * ux + 3) << 24 | byte(row + 4 * ux + 2) << 16 |
                  byte(row + 4 * ux + 1) << 8 | byte(row + 4 * ux);
          any_alpha = any_alpha || (pixel >> 24) != 0;
          break;
      }
      out.argb[static_cast<std::size_t>(y) * w + x] = pixel;
    }
  }
  if (bits == 32 && any_alpha) return out;
  for (int y = 0; y < h; ++y) {
    const std::uint64_t row = and_at + and_row * static_cast<std::uint32_t>(h - 1 - y);
    for (int x = 0; x < w; ++x) {
      std::uint32_t& pixel = out.argb[static_cast<std::size_t>(y) * w + x];
      const auto ux = static_cast<std::uint32_t>(x);
      const bool transparent = has_mask && (byte(row + ux / 8) >> (7 - ux % 8) & 1) != 0;
      pixel = transparent ? 0 : (pixel | 0xFF000000);
    }
  }
  return out;
}

std::string IcoFileOf(const IconPixels& pixels) {
  const int w = pixels.width, h = pixels.height;
  const std::uint64_t xor_bytes = RowBytes(w, 32) * static_cast<std::uint32_t>(h);
  const std::uint64_t and_row = RowBytes(w, 1);
  const auto image_bytes = static_cast<std::uint32_t>(40 + xor_bytes + and_row * h);
  std::string out;
  PutLe16(out, 0);  // reserved
  PutLe16(out, 1);  // an icon
  PutLe16(out, 1);  // one image
  out.push_back(static_cast<char>(w >= 256 ? 0 : w));
  out.push_back(static_cast<char>(h >= 256 ? 0 : h));
  out.push_back(0);  // no palette
  out.push_back(0);
  PutLe16(out, 1);  // planes
  PutLe16(out, 32);
  PutLe32(out, image_bytes);
  PutLe32(out, 22);  // the image follows the 6 + 16 bytes of the directory
  // BITMAPINFOHEADER; the height counts the XOR and the AND mask.
  PutLe32(out, 40);
  PutLe32(out, static_cast<std::uint32_t>(w));
  PutLe32(out, static_cast<std::uint32_t>(2 * h));
  PutLe16(out, 1);
  PutLe16(out, 32);
  PutLe32(out, 0);
  PutLe32(out, image_bytes - 40);
  for (int i = 0; i < 4; ++i) PutLe32(out, 0);
  for (int y = h - 1; y >= 0; --y) {
    for (int x = 0; x < w; ++x) PutLe32(out, pixels.argb[static_cast<std::size_t>(y) * w + x]);
  }
  // The AND mask marks the fully transparent pixels, for readers that ignore alpha.
  for (int y = h - 1; y >= 0; --y) {
    std::string row(static_cast<std::size_t>(and_row), '\0');
    for (int x = 0; x < w; ++x) {
      if ((pixels.argb[static_cast<std::size_t>(y) * w + x] >> 24) == 0) {
        row[static_cast<std::size_t>(x / 8)] |= static_cast<char>(0x80 >> (x % 8));
      }
    }
    out += row;
  }
  return out;
}

}  // namespace quillan::wintools
