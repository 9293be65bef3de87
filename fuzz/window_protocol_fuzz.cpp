// What the Wine helper and Quillan read from each other: any bytes decode completely or are
// refused, and whatever decodes encodes back to the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "wintools/window_protocol.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quillan::wintools::protocol;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  if (const auto request = DecodeRequest(bytes)) {
    if (EncodeRequest(*request) != bytes) std::abort();
    // The same bytes as the reply to a request of each operation.
    for (std::uint8_t op = kFirstOp; op <= kLastOp; ++op) {
      Request asked = *request;
      asked.op = static_cast<Op>(op);
      if (const auto reply = DecodeReply(bytes, asked)) {
        if (EncodeReply(*reply) != bytes) std::abort();
      }
    }
  }
  Request asked;
  asked.op = bytes.empty() ? Op::kGetClassName : static_cast<Op>(bytes[0]);
  asked.id = 1;
  asked.number = 100;
  if (const auto reply = DecodeReply(bytes, asked)) {
    if (reply->text.size() > 99) std::abort();
    if (EncodeReply(*reply) != bytes) std::abort();
  }
  // As a stream: frames come out whole, within the limit, and never past a broken length.
  FrameReader reader;
  reader.Feed(bytes);
  std::size_t taken = 0;
  while (const auto body = reader.Next()) {
    if (body->empty() || body->size() > kMaxFrame) std::abort();
    taken += 4 + body->size();
  }
  if (taken > bytes.size()) std::abort();
  IsHello(bytes);
  return 0;
}
