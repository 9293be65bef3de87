#include "platform/native_path.h"

#include "text/vb_string.h"

namespace quillan::platform {

namespace {

constexpr char16_t kEscapeBase = 0xDC00;

}  // namespace

std::u16string PathFromNative(std::string_view bytes) {
  std::u16string out;
  out.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size();) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    if (b < 0x80) {
      out.push_back(b);
      ++i;
      continue;
    }
    char32_t cp = 0;
    const std::size_t len = text::ValidUtf8SequenceAt(bytes, i, cp);
    if (len == 0) {
      out.push_back(static_cast<char16_t>(kEscapeBase + b));
      ++i;
    } else {
      text::AppendCodePoint(cp, out);
      i += len;
    }
  }
  return out;
}

std::string NativePath(std::u16string_view path) {
  std::string out;
  out.reserve(path.size());
  std::size_t run = 0;  // start of the units not yet written
  for (std::size_t i = 0; i < path.size(); ++i) {
    const char16_t c = path[i];
    const bool after_high = i > 0 && path[i - 1] >= 0xD800 && path[i - 1] <= 0xDBFF;
    if (c >= kEscapeBase + 0x80 && c <= kEscapeBase + 0xFF && !after_high) {
      text::AppendUtf8(path.substr(run, i - run), out);
      out.push_back(static_cast<char>(c - kEscapeBase));
      run = i + 1;
    }
  }
  text::AppendUtf8(path.substr(run), out);
  return out;
}

}  // namespace quillan::platform
