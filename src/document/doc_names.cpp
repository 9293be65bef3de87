#include "document/doc_names.h"

namespace quillan::document {

std::u16string FileNameFromPath(std::u16string_view path) {
  const auto p = path.rfind(kPathSeparator);
  if (p == std::u16string_view::npos) return {};
  return std::u16string(path.substr(p + 1));
}

std::u16string DocNameFromCaption(std::u16string_view caption) {
  std::size_t start = 0;  // 0-based index of the first character of t
  const auto sep = caption.rfind(kPathSeparator);
  if (sep != std::u16string_view::npos) {
    start = sep + 1;
  } else {
    const auto bracket = caption.find(u'[');
    start = bracket == std::u16string_view::npos ? 0 : bracket + 1;
  }
  std::u16string_view t = caption.substr(start);
  if (!t.empty()) t.remove_suffix(1);
  return std::u16string(t);
}

std::u16string AddBackslash(std::u16string_view folder) {
  std::u16string out(folder);
  if (out.empty() || out.back() != kPathSeparator) out.push_back(kPathSeparator);
  return out;
}

std::u16string TitleForName(std::u16string_view name) {
  std::u16string t = u"Quillan - [";
  t += name;
  t += u"]";
  return t;
}

std::u16string UntitledTitle() { return u"Quillan - [Untitled]"; }

}  // namespace quillan::document
