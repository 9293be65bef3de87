// Project files come from anywhere: any bytes must open, and open-save-open must be stable.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "document/qlp_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quillan::document;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const DecodedProject first = DecodeProject(bytes);
  const EncodedProject saved = EncodeProject(first.text, first.encoding);
  const DecodedProject second = DecodeProject(saved.bytes);
  if (second.text != first.text) std::abort();
  if (EncodeProject(second.text, second.encoding).bytes != saved.bytes) std::abort();
  return 0;
}
