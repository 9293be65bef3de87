// Project files come from anywhere: any bytes must open, and open-save-open must be stable.
// A UTF-8 project kept as UTF-8 for the editor must hold exactly the text it decodes to.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "document/qlp_codec.h"
#include "text/code_buffer.h"
#include "text/vb_string.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quillan::document;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const DecodedProject first = DecodeProject(bytes);
  const EncodedProject saved = EncodeProject(first.text, first.encoding);
  const DecodedProject second = DecodeProject(saved.bytes);
  if (second.text != first.text) std::abort();
  if (EncodeProject(second.text, second.encoding).bytes != saved.bytes) std::abort();
  const DecodedProject kept = DecodeProject(bytes, /*keep_utf8=*/true);
  if (kept.encoding != first.encoding) std::abort();
  if (kept.in_utf8) {
    if (!kept.text.empty() || quillan::text::FromUtf8(kept.utf8) != first.text) std::abort();
    if (quillan::text::LongestLineUtf8(kept.utf8) != quillan::text::LongestLine(first.text)) {
      std::abort();
    }
  } else if (kept.text != first.text) {
    std::abort();
  }
  return 0;
}
