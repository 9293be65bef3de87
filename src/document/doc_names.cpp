#include "document/doc_names.h"

namespace quillan::document {

std::u16string FileNameFromPath(std::u16string_view path, char16_t separator) {
  const auto p = path.rfind(separator);
  if (p == std::u16string_view::npos) return {};
  return std::u16string(path.substr(p + 1));
}

std::u16string DocNameFromCaption(std::u16string_view caption, char16_t separator) {
  std::size_t start = 0;  // 0-based index of the first character of t
  const auto sep = caption.rfind(separator);
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

std::u16string AddBackslash(std::u16string_view folder, char16_t separator) {
  std::u16string out(folder);
  if (out.empty() || out.back() != separator) out.push_back(separator);
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
