#include "text/vb_string.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

namespace quillan::text {

char16_t FoldCase(char16_t c) {
  if (c >= u'A' && c <= u'Z') return static_cast<char16_t>(c + 32);
  if (c < 0x80) return c;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<char16_t>(c + 32);
  switch (c) {
    case 0x0160:
      return 0x0161;  // Š
    case 0x0152:
      return 0x0153;  // Œ
    case 0x017D:
      return 0x017E;  // Ž
    case 0x0178:
      return 0x00FF;  // Ÿ
    default:
      return c;
  }
}

namespace {

// Keys are searched in documents of many megabytes, several times per command, so the
// forward search skips ahead (Horspool). Shifts are bucketed by the low byte of each UTF-16 unit,
// taking the smallest shift of a bucket, which keeps them safe for every unit.
using ShiftTable = std::array<std::size_t, 256>;

}  // namespace

std::size_t FindKey(std::u16string_view text, std::u16string_view key) {
  const std::size_t m = key.size();
  if (m < 3 || text.size() < m) return text.find(key);
  ShiftTable shift;
  shift.fill(m);
  for (std::size_t i = 0; i + 1 < m; ++i) shift[key[i] & 0xFF] = m - 1 - i;
  const char16_t last = key[m - 1];
  for (std::size_t pos = 0; pos + m <= text.size();) {
    const char16_t c = text[pos + m - 1];
    if (c == last && text.compare(pos, m - 1, key.substr(0, m - 1)) == 0) return pos;
    pos += shift[c & 0xFF];
  }
  return kNotFound;
}

namespace {

// Offsets of one unit, found four units at a time: a unit equal to c becomes zero after the
// XOR, and the borrow test tells whether a word holds a zero unit.
constexpr std::uint64_t kUnitOnes = 0x0001000100010001;
constexpr std::uint64_t kUnitHighs = 0x8000800080008000;

bool WordHolds(const char16_t* units, std::uint64_t pattern) {
  std::uint64_t word;
  std::memcpy(&word, units, sizeof word);
  const std::uint64_t x = word ^ pattern;
  return ((x - kUnitOnes) & ~x & kUnitHighs) != 0;
}

}  // namespace

std::size_t FindUnit(std::u16string_view text, std::size_t from, char16_t c) {
  const std::uint64_t pattern = kUnitOnes * c;
  std::size_t pos = from;
  while (pos + 4 <= text.size() && !WordHolds(text.data() + pos, pattern)) pos += 4;
  for (; pos < text.size(); ++pos) {
    if (text[pos] == c) return pos;
  }
  return kNotFound;
}

std::size_t FindLastUnit(std::u16string_view text, std::size_t end, char16_t c) {
  const std::uint64_t pattern = kUnitOnes * c;
  std::size_t pos = end;
  while (pos >= 4 && !WordHolds(text.data() + pos - 4, pattern)) pos -= 4;
  while (pos > 0) {
    if (text[--pos] == c) return pos;
  }
  return kNotFound;
}

// The search for the last "Dim " of a module crosses all of it when its Dim lines are at the
// top, so it too goes four units at a time.
std::size_t FindLastKey(std::u16string_view text, std::u16string_view key) {
  if (key.empty() || text.size() < key.size()) return text.rfind(key);
  for (std::size_t end = text.size() - key.size() + 1;;) {
    const std::size_t pos = FindLastUnit(text, end, key[0]);
    if (pos == kNotFound) return pos;
    if (text.compare(pos, key.size(), key) == 0) return pos;
    end = pos;
  }
}

std::size_t ValidUtf8SequenceAt(std::string_view bytes, std::size_t i, char32_t& cp) {
  const auto b = static_cast<unsigned char>(bytes[i]);
  if (b < 0x80) {
    cp = b;
    return 1;
  }
  std::size_t len;
  if (b >= 0xC2 && b <= 0xDF) {
    len = 2;
    cp = b & 0x1Fu;
  } else if ((b & 0xF0) == 0xE0) {
    len = 3;
    cp = b & 0x0Fu;
  } else if (b >= 0xF0 && b <= 0xF4) {
    len = 4;
    cp = b & 0x07u;
  } else {
    return 0;
  }
  if (i + len > bytes.size()) return 0;
  for (std::size_t k = 1; k < len; ++k) {
    const auto c = static_cast<unsigned char>(bytes[i + k]);
    if ((c & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (c & 0x3Fu);
  }
  if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
      (cp >= 0xD800 && cp <= 0xDFFF)) {
    return 0;
  }
  return len;
}

std::u16string FoldCase(std::u16string_view s) {
  std::u16string out(s);
  for (char16_t& c : out) c = FoldCase(c);
  return out;
}

std::size_t FindNoCase(std::u16string_view haystack, std::u16string_view needle, std::size_t from) {
  if (from > haystack.size()) return kNotFound;
  if (needle.empty()) return from;
  const std::u16string folded_needle = FoldCase(needle);
  const char16_t first = folded_needle.front();
  const std::size_t n = folded_needle.size();
  if (haystack.size() < n) return kNotFound;
  const std::size_t last = haystack.size() - n;
  for (std::size_t i = from; i <= last; ++i) {
    if (FoldCase(haystack[i]) != first) continue;
    std::size_t k = 1;
    while (k < n && FoldCase(haystack[i + k]) == folded_needle[k]) ++k;
    if (k == n) return i;
  }
  return kNotFound;
}

std::u16string FromUtf8(std::string_view s) {
  std::u16string out;
  out.reserve(s.size());
  std::size_t i = 0;
  while (i < s.size()) {
    const auto b = static_cast<unsigned char>(s[i]);
    char32_t cp = 0xFFFD;
    std::size_t len = 1;
    if (b < 0x80) {
      cp = b;
    } else if ((b & 0xE0) == 0xC0 && i + 1 < s.size()) {
      cp = ((b & 0x1Fu) << 6) | (static_cast<unsigned char>(s[i + 1]) & 0x3Fu);
      len = 2;
    } else if ((b & 0xF0) == 0xE0 && i + 2 < s.size()) {
      cp = ((b & 0x0Fu) << 12) | ((static_cast<unsigned char>(s[i + 1]) & 0x3Fu) << 6) |
           (static_cast<unsigned char>(s[i + 2]) & 0x3Fu);
      len = 3;
    } else if ((b & 0xF8) == 0xF0 && i + 3 < s.size()) {
      cp = ((b & 0x07u) << 18) | ((static_cast<unsigned char>(s[i + 1]) & 0x3Fu) << 12) |
           ((static_cast<unsigned char>(s[i + 2]) & 0x3Fu) << 6) |
           (static_cast<unsigned char>(s[i + 3]) & 0x3Fu);
      len = 4;
    }
    AppendCodePoint(cp, out);
    i += len;
  }
  return out;
}

void AppendCodePoint(char32_t cp, std::u16string& out) {
  if (cp >= 0x10000) {
    cp -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
  } else {
    out.push_back(static_cast<char16_t>(cp));
  }
}

std::string ToUtf8(std::u16string_view s) {
  std::string out;
  out.reserve(s.size());
  AppendUtf8(s, out);
  return out;
}

void AppendUtf8(std::u16string_view s, std::string& out) {
  for (std::size_t i = 0; i < s.size(); ++i) {
    char32_t cp = s[i];
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
      continue;
    }
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 &&
        s[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
}

}  // namespace quillan::text
