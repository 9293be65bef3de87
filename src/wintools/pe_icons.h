#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quillan::wintools {

/// Random access to the bytes of a file, so that only the headers and the resource bytes
/// needed are read, never the whole file.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual std::uint64_t Size() const = 0;
  /// The n bytes at offset; false when they are not all there.
  virtual bool Read(std::uint64_t offset, std::size_t n, std::string& out) = 0;
};

/// A ByteSource over bytes in memory (tests, fuzzing).
class MemoryBytes final : public ByteSource {
 public:
  explicit MemoryBytes(std::string bytes) : bytes_(std::move(bytes)) {}
  std::uint64_t Size() const override { return bytes_.size(); }
  bool Read(std::uint64_t offset, std::size_t n, std::string& out) override;

 private:
  std::string bytes_;
};

/// One entry of an icon group (`GRPICONDIRENTRY`): the size and depth the directory claims
/// (0 for 256 already turned into 256) and the ID of its RT_ICON.
struct IconDirectoryEntry {
  int width = 0;
  int height = 0;
  int bit_count = 0;
  std::uint16_t id = 0;
};

/// One image of an icon, as stored: a DIB (BITMAPINFOHEADER, colours, XOR and AND masks) or a
/// PNG file. Its size comes from the image's own header, which is trusted over the group's
/// directory.
struct IconImage {
  std::string bytes;
  int width = 0;
  int height = 0;
  int bit_count = 0;
  bool png = false;
};

/// The icon the Windows shell shows for a PE file: the images of its first RT_GROUP_ICON that
/// fit 32 x 32 and 16 x 16 best.
struct ShellIcons {
  std::optional<IconImage> large;
  std::optional<IconImage> small;
  /// One image of the group fits both sizes best: `small` is a copy of `large`.
  bool same_image = false;
};

/// The entry of `entries` that fits width x height best by the shell's rule: the smallest
/// |dw| + |dh|, then the depth closest to 32 bits, ties to the earlier entry; -1 for none.
int BestIconEntry(const std::vector<IconDirectoryEntry>& entries, int width, int height);

/// Reads the shell's icon out of a PE32 or PE32+ file. Anything else (not a PE file, no
/// resources, no icon group, a malformed or hostile file) gives no images; every read is
/// bounds-checked, the resource tree is walked three levels deep at most without revisiting
/// a directory, and nothing is allocated from a size the file has not proven.
ShellIcons ExtractShellIcons(ByteSource& file);

/// An icon's pixels, top row first, each 0xAARRGGBB with straight (not premultiplied) alpha.
struct IconPixels {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> argb;
  bool operator==(const IconPixels&) const = default;
};

/// Decodes a DIB icon image of 1, 4, 8, 16, 24 or 32 bits per pixel with its AND mask; 32-bit
/// images use their alpha unless every alpha is 0. nullopt for a PNG image or a DIB whose
/// pixels are not all there.
std::optional<IconPixels> DecodeDib(const IconImage& image);

/// An ICO file holding the pixels as one 32-bit image with its AND mask: what
/// "Save as .ico" writes.
std::string IcoFileOf(const IconPixels& pixels);

/// An icon image (a DIB or PNG as stored in an executable or ICO file) with the size and
/// depth of its own header; nullopt for bytes that are neither or no icon's size.
std::optional<IconImage> IconImageOf(std::string bytes);

/// What a PNG image's header (IHDR) says about its pixel data, and where that data lies.
struct PngLayout {
  int width = 0;
  int height = 0;
  /// The size of the pixel data once inflated: for each row (of each of the seven passes of
  /// an interlaced image), one filter byte and the row's pixels.
  std::uint64_t raw_bytes = 0;
  /// The contents of the IDAT chunks in order, each as offset and length in the PNG's bytes:
  /// together the zlib stream of the pixel data.
  std::vector<std::pair<std::size_t, std::size_t>> data;
};

/// The layout of a PNG image; nullopt when the bytes are no PNG, its header is not valid (a
/// depth its colour type does not allow, an unknown method), a side is 0 or larger than an
/// icon may be (1024), or a chunk before IEND runs past the end of the bytes.
std::optional<PngLayout> ReadPngLayout(std::string_view png);

}  // namespace quillan::wintools
