#include "document/recovery.h"

#include <charconv>

#include "text/vb_string.h"

namespace quillan::document {

namespace {

constexpr std::string_view kMagic = "Quillan recovery copy 1\n";

struct EncodingName {
  Encoding encoding;
  std::string_view name;
};
constexpr EncodingName kEncodingNames[] = {
    {Encoding::kUtf8, "utf-8"},         {Encoding::kUtf8Bom, "utf-8-bom"},
    {Encoding::kWindows1252, "cp1252"}, {Encoding::kUtf16Le, "utf-16le"},
    {Encoding::kUtf16Be, "utf-16be"},
};

bool IsSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDFFF; }

// A path on one line: UTF-8, with the backslash, the line ends and the lone surrogates that
// hold a file name's stray bytes written as escapes.
std::string EscapePath(std::u16string_view path) {
  std::string out;
  for (std::size_t i = 0; i < path.size(); ++i) {
    const char16_t c = path[i];
    const bool pair = c >= 0xD800 && c <= 0xDBFF && i + 1 < path.size() && path[i + 1] >= 0xDC00 &&
                      path[i + 1] <= 0xDFFF;
    if (c == u'\\') {
      out += "\\\\";
    } else if (c == u'\n') {
      out += "\\n";
    } else if (c == u'\r') {
      out += "\\r";
    } else if (IsSurrogate(c) && !pair) {
      static constexpr char kHex[] = "0123456789ABCDEF";
      out += "\\u";
      for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(c >> shift) & 0xF];
    } else {
      text::AppendUtf8(path.substr(i, pair ? 2 : 1), out);
      if (pair) ++i;
    }
  }
  return out;
}

std::optional<std::u16string> UnescapePath(std::string_view s) {
  std::u16string out;
  std::size_t plain = 0;  // start of the run of plain text not yet converted
  auto flush = [&](std::size_t end) { out += text::FromUtf8(s.substr(plain, end - plain)); };
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '\\') continue;
    flush(i);
    if (i + 1 >= s.size()) return std::nullopt;
    const char next = s[i + 1];
    if (next == '\\' || next == 'n' || next == 'r') {
      out += next == '\\' ? u'\\' : next == 'n' ? u'\n' : u'\r';
      i += 1;
    } else if (next == 'u' && i + 6 <= s.size()) {
      unsigned value = 0;
      const auto [end, error] = std::from_chars(s.data() + i + 2, s.data() + i + 6, value, 16);
      if (error != std::errc() || end != s.data() + i + 6) return std::nullopt;
      out += static_cast<char16_t>(value);
      i += 5;
    } else {
      return std::nullopt;
    }
    plain = i + 1;
  }
  flush(s.size());
  return out;
}

template <typename T>
bool ReadNumber(std::string_view& s, T& value) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), value);
  if (error != std::errc() || end == s.data()) return false;
  s.remove_prefix(static_cast<std::size_t>(end - s.data()));
  return true;
}

}  // namespace

std::string RecoveryHeader(const RecoveryInfo& info, std::size_t text_bytes) {
  std::string header(kMagic);
  header += "path " + EscapePath(info.path) + "\n";
  for (const EncodingName& e : kEncodingNames) {
    if (e.encoding == info.encoding) header += "encoding " + std::string(e.name) + "\n";
  }
  header += "written " + std::to_string(info.written_at) + "\n";
  if (info.disk) {
    const FileStamp& s = info.disk->stamp;
    header += "disk " + std::to_string(s.device) + " " + std::to_string(s.inode) + " " +
              std::to_string(s.size) + " " + std::to_string(s.mtime_ns) + " " +
              (s.racy ? "1" : "0") + " " + std::to_string(info.disk->content_hash) + "\n";
  }
  header += "text " + std::to_string(text_bytes) + "\n";
  return header;
}

std::optional<RecoveryCopy> ParseRecoveryCopy(std::string_view bytes) {
  if (!bytes.starts_with(kMagic)) return std::nullopt;
  bytes.remove_prefix(kMagic.size());
  RecoveryCopy copy;
  bool have_path = false, have_encoding = false;
  for (;;) {
    const std::size_t end = bytes.find('\n');
    if (end == std::string_view::npos) return std::nullopt;
    std::string_view line = bytes.substr(0, end);
    bytes.remove_prefix(end + 1);
    const std::size_t space = line.find(' ');
    if (space == std::string_view::npos) return std::nullopt;
    const std::string_view key = line.substr(0, space);
    std::string_view value = line.substr(space + 1);
    if (key == "path") {
      auto path = UnescapePath(value);
      if (!path) return std::nullopt;
      copy.info.path = std::move(*path);
      have_path = true;
    } else if (key == "encoding") {
      for (const EncodingName& e : kEncodingNames) {
        if (e.name == value) {
          copy.info.encoding = e.encoding;
          have_encoding = true;
        }
      }
      if (!have_encoding) return std::nullopt;
    } else if (key == "written") {
      if (!ReadNumber(value, copy.info.written_at) || !value.empty()) return std::nullopt;
    } else if (key == "disk") {
      Document::DiskState disk;
      int racy = 0;
      if (!ReadNumber(value, disk.stamp.device) || !ReadNumber(value, disk.stamp.inode) ||
          !ReadNumber(value, disk.stamp.size) || !ReadNumber(value, disk.stamp.mtime_ns) ||
          !ReadNumber(value, racy) || !ReadNumber(value, disk.content_hash) || !value.empty()) {
        return std::nullopt;
      }
      disk.stamp.racy = racy != 0;
      copy.info.disk = disk;
    } else if (key == "text") {
      std::size_t length = 0;
      if (!ReadNumber(value, length) || !value.empty() || length != bytes.size()) {
        return std::nullopt;
      }
      if (!have_path || !have_encoding) return std::nullopt;
      copy.text = bytes;
      return copy;
    }
    // A line this version does not know is passed over.
  }
}

std::u16string FirstLineOf(std::string_view utf8, std::size_t max_chars) {
  auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!utf8.empty()) {
    std::size_t end = utf8.find_first_of("\r\n");
    if (end == std::string_view::npos) end = utf8.size();
    std::string_view line = utf8.substr(0, end);
    utf8.remove_prefix(end);
    while (!utf8.empty() && (utf8.front() == '\r' || utf8.front() == '\n')) utf8.remove_prefix(1);
    while (!line.empty() && blank(line.front())) line.remove_prefix(1);
    while (!line.empty() && blank(line.back())) line.remove_suffix(1);
    if (line.empty()) continue;
    // Enough bytes for max_chars characters of any width, then cut by characters.
    std::u16string shown = text::FromUtf8(line.substr(0, 4 * (max_chars + 1)));
    if (shown.size() > max_chars) {
      std::size_t cut = max_chars - 1;
      if (cut > 0 && shown[cut - 1] >= 0xD800 && shown[cut - 1] <= 0xDBFF) --cut;
      shown.resize(cut);
      shown += u'\u2026';
    }
    return shown;
  }
  return {};
}

std::optional<std::u16string> MemoryRecoveryStore::Write(std::string_view header,
                                                         std::string_view text) {
  if (!failure_.empty()) return failure_;
  own_ = std::string(header) + std::string(text);
  return std::nullopt;
}

std::vector<LeftCopy> MemoryRecoveryStore::ClaimLeft(std::string_view id) {
  std::vector<LeftCopy> found;
  for (const auto& [name, bytes] : left_) {
    if ((!id.empty() && name != id) || claimed_.count(name) != 0) continue;
    claimed_[name] = true;
    found.push_back({name, bytes});
  }
  return found;
}

void MemoryRecoveryStore::Adopt(std::string_view id) {
  const auto it = left_.find(std::string(id));
  if (it == left_.end()) return;
  own_ = it->second;
  left_.erase(it);
  claimed_.erase(std::string(id));
}

}  // namespace quillan::document
