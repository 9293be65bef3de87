// Recovery copies are read back at every start: any bytes must be refused or read, and a copy
// read back must write the same header again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "document/recovery.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quillan::document;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const auto copy = ParseRecoveryCopy(bytes);
  if (!copy) return 0;
  const std::string again = RecoveryHeader(copy->info, copy->text.size()) + std::string(copy->text);
  const auto reread = ParseRecoveryCopy(again);
  if (!reread || reread->info.path != copy->info.path || reread->text != copy->text ||
      reread->info.encoding != copy->info.encoding ||
      reread->info.written_at != copy->info.written_at) {
    std::abort();
  }
  FirstLineOf(copy->text, 80);
  return 0;
}
