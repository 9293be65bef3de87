#include "document/qlp_codec.h"

#include <array>
#include <optional>

#include "text/vb_string.h"

namespace quillan::document {
namespace {

// Windows-1252 bytes 0x80-0x9F. The five bytes the code page leaves undefined map to the C1
// control of the same value, so that every byte survives a round trip.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

std::optional<unsigned char> ToCp1252(char16_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<unsigned char>(c);
  for (std::size_t i = 0; i < kCp1252High.size(); ++i) {
    if (kCp1252High[i] == c) return static_cast<unsigned char>(0x80 + i);
  }
  return std::nullopt;
}

// Appends text to out, turning lone CR and lone LF into CR LF.
void AppendNormalized(std::u16string& out, char16_t c, bool& pending_cr) {
  if (pending_cr) {
    out += u"\r\n";
    pending_cr = false;
    if (c == u'\n') return;
  }
  if (c == u'\r') {
    pending_cr = true;
  } else if (c == u'\n') {
    out += u"\r\n";
  } else {
    out.push_back(c);
  }
}

// The bytes with every lone CR or LF made CR LF.
void NormalizeLineEnds(std::string_view bytes, std::string& out) {
  out.reserve(bytes.size() + 2);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (c == '\r' || c == '\n') {
      out += "\r\n";
      if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    } else {
      out += c;
    }
  }
}

void DecodeUtf8(std::string_view bytes, std::u16string& out) {
  bool pending_cr = false;
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    if (b < 0x80) {
      AppendNormalized(out, b, pending_cr);
      ++i;
      continue;
    }
    char32_t cp;
    std::size_t len;
    if ((b & 0xE0) == 0xC0) {
      cp = b & 0x1Fu;
      len = 2;
    } else if ((b & 0xF0) == 0xE0) {
      cp = b & 0x0Fu;
      len = 3;
    } else {
      cp = b & 0x07u;
      len = 4;
    }
    for (std::size_t k = 1; k < len; ++k) cp = (cp << 6) | (bytes[i + k] & 0x3F);
    i += len;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      AppendNormalized(out, static_cast<char16_t>(0xD800 + (cp >> 10)), pending_cr);
      AppendNormalized(out, static_cast<char16_t>(0xDC00 + (cp & 0x3FF)), pending_cr);
    } else {
      AppendNormalized(out, static_cast<char16_t>(cp), pending_cr);
    }
  }
  if (pending_cr) out += u"\r\n";
}

void DecodeCp1252(std::string_view bytes, std::u16string& out) {
  bool pending_cr = false;
  for (char ch : bytes) {
    const auto b = static_cast<unsigned char>(ch);
    const char16_t c = (b >= 0x80 && b < 0xA0) ? kCp1252High[b - 0x80] : b;
    AppendNormalized(out, c, pending_cr);
  }
  if (pending_cr) out += u"\r\n";
}

constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";

void DecodeUtf16(std::string_view bytes, bool big_endian, std::u16string& out) {
  bool pending_cr = false;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto first = static_cast<unsigned char>(bytes[i]);
    const auto second = static_cast<unsigned char>(bytes[i + 1]);
    const auto unit =
        static_cast<char16_t>(big_endian ? (first << 8) | second : (second << 8) | first);
    AppendNormalized(out, unit, pending_cr);
  }
  if (pending_cr) out += u"\r\n";
}

void AppendUtf16(std::u16string_view text, bool big_endian, std::string& out) {
  for (char16_t unit : text) {
    const auto high = static_cast<char>(unit >> 8);
    const auto low = static_cast<char>(unit & 0xFF);
    out.push_back(big_endian ? high : low);
    out.push_back(big_endian ? low : high);
  }
}

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
  char32_t cp = 0;
  for (std::size_t i = 0; i < bytes.size();) {
    const std::size_t len = text::ValidUtf8SequenceAt(bytes, i, cp);
    if (len == 0) return false;
    i += len;
  }
  return true;
}

namespace {

bool MarkedUtf16(std::string_view bytes) {
  return bytes.size() % 2 == 0 &&
         (bytes.starts_with(kUtf16LeBom) || bytes.starts_with(kUtf16BeBom));
}

// How many CRs and LFs in bytes are not part of a CR LF pair.
std::size_t LoneLineEnds(std::string_view bytes) {
  std::size_t lone = 0;
  for (std::size_t i = bytes.find_first_of("\r\n"); i != std::string_view::npos;
       i = bytes.find_first_of("\r\n", i + 1)) {
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
      ++i;
    } else {
      ++lone;
    }
  }
  return lone;
}

// Makes each of the lone CRs and LFs a CR LF within the string's own memory (it has the
// room), working from the end.
void LineEndsToCrLfInPlace(std::string& bytes, std::size_t lone) {
  std::size_t from = bytes.size();
  bytes.resize(bytes.size() + lone);
  std::size_t to = bytes.size();
  while (from > 0) {
    const char c = bytes[--from];
    if (c == '\n' || c == '\r') {
      // A LF with its CR moves as a pair; a LF or CR alone becomes the pair.
      if (c == '\n' && from > 0 && bytes[from - 1] == '\r') --from;
      bytes[--to] = '\n';
      bytes[--to] = '\r';
    } else {
      bytes[--to] = c;
    }
  }
}

}  // namespace

bool LinesEndInCrLf(std::string_view bytes) { return LoneLineEnds(bytes) == 0; }

DecodedProject DecodeProject(std::string&& bytes, bool keep_utf8) {
  if (!keep_utf8 || MarkedUtf16(bytes)) return DecodeProject(std::string_view(bytes), keep_utf8);
  // The line ends are looked at first: a text that cannot take CR LF line ends where it is
  // is validated once, below.
  const std::size_t lone = LoneLineEnds(bytes);
  if (bytes.capacity() - bytes.size() < lone || !IsValidUtf8(bytes)) {
    return DecodeProject(std::string_view(bytes), keep_utf8);
  }
  if (lone > 0) LineEndsToCrLfInPlace(bytes, lone);
  // UTF-8 whose lines all end in CR LF is the editor's form already: it is kept, not copied.
  DecodedProject result;
  result.in_utf8 = true;
  if (bytes.starts_with(kBom)) {
    result.encoding = Encoding::kUtf8Bom;
    bytes.erase(0, kBom.size());
  }
  if (bytes.ends_with("\r\n")) bytes.resize(bytes.size() - 2);
  result.utf8 = std::move(bytes);
  return result;
}

DecodedProject DecodeProject(std::string_view bytes, bool keep_utf8) {
  DecodedProject result;
  if (MarkedUtf16(bytes)) {
    const bool big_endian = bytes.starts_with(kUtf16BeBom);
    result.encoding = big_endian ? Encoding::kUtf16Be : Encoding::kUtf16Le;
    result.text.reserve(bytes.size() / 2);
    DecodeUtf16(bytes.substr(2), big_endian, result.text);
  } else if (IsValidUtf8(bytes)) {
    if (bytes.substr(0, kBom.size()) == kBom) {
      result.encoding = Encoding::kUtf8Bom;
      bytes.remove_prefix(kBom.size());
    }
    if (keep_utf8) {
      result.in_utf8 = true;
      NormalizeLineEnds(bytes, result.utf8);
      if (result.utf8.ends_with("\r\n")) result.utf8.resize(result.utf8.size() - 2);
      return result;
    }
    result.text.reserve(bytes.size());
    DecodeUtf8(bytes, result.text);
  } else {
    result.encoding = Encoding::kWindows1252;
    result.text.reserve(bytes.size());
    DecodeCp1252(bytes, result.text);
  }
  // Every save appends one CR LF; take exactly that one back off.
  if (result.text.size() >= 2 && result.text.compare(result.text.size() - 2, 2, u"\r\n") == 0) {
    result.text.resize(result.text.size() - 2);
  }
  return result;
}

EncodedProject EncodeProject(std::u16string_view text, Encoding encoding) {
  EncodedProject result;
  result.encoding = encoding;
  if (encoding == Encoding::kWindows1252) {
    result.bytes.reserve(text.size() + 2);
    bool ok = true;
    for (char16_t c : text) {
      const auto b = ToCp1252(c);
      if (!b) {
        ok = false;
        break;
      }
      result.bytes.push_back(static_cast<char>(*b));
    }
    result.bytes += "\r\n";
    // Text that begins with "ÿþ" or "þÿ" would read back as UTF-16 from its own mark; such
    // a file is written as UTF-8, which opens as what was saved.
    const bool reads_as_utf16 =
        result.bytes.size() % 2 == 0 &&
        (result.bytes.starts_with(kUtf16LeBom) || result.bytes.starts_with(kUtf16BeBom));
    if (ok && !reads_as_utf16) return result;
    result.bytes.clear();
    result.encoding = Encoding::kUtf8;
    result.fell_back_to_utf8 = true;
  }
  if (encoding == Encoding::kUtf16Le || encoding == Encoding::kUtf16Be) {
    const bool big_endian = encoding == Encoding::kUtf16Be;
    result.bytes.reserve(2 * text.size() + 6);
    result.bytes += big_endian ? kUtf16BeBom : kUtf16LeBom;
    AppendUtf16(text, big_endian, result.bytes);
    AppendUtf16(text::kCrLf, big_endian, result.bytes);
    return result;
  }
  result.bytes.reserve(text.size() + text.size() / 8 + 8);
  if (result.encoding == Encoding::kUtf8Bom) result.bytes += kBom;
  text::AppendUtf8(text, result.bytes);
  result.bytes += "\r\n";
  return result;
}

}  // namespace quillan::document
