// Executables come from anywhere: any bytes must give an icon or none, never a crash, and
// whatever is found must be an image of icon size.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "wintools/pe_icons.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quillan::wintools;
  MemoryBytes file(std::string(reinterpret_cast<const char*>(data), size));
  const ShellIcons icons = ExtractShellIcons(file);
  for (const auto& image : {icons.large, icons.small}) {
    if (!image) continue;
    if (image->width <= 0 || image->height <= 0 || image->width > 1024 || image->height > 1024) {
      std::abort();
    }
    if (image->bytes.size() > size) std::abort();
    // A PNG's pixel data lies inside its bytes, and its bound is what an icon can hold.
    if (const auto layout = ReadPngLayout(image->bytes)) {
      // At most 8 bytes a pixel, and a filter byte for each of at most 2,048 rows of passes.
      if (layout->raw_bytes > std::uint64_t{1024} * 1024 * 8 + 2048 * 2) std::abort();
      for (const auto& [offset, length] : layout->data) {
        if (offset > image->bytes.size() || length > image->bytes.size() - offset) std::abort();
      }
    }
    // Decoded pixels survive the round trip through the ICO file that saving writes.
    const auto pixels = DecodeDib(*image);
    if (!pixels) continue;
    const auto saved = IconImageOf(IcoFileOf(*pixels).substr(22));
    if (!saved || DecodeDib(*saved) != pixels) std::abort();
  }
  return 0;
}
