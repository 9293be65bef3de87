#include "document/document.h"

namespace quillan::document {

void Document::SetPath(std::u16string_view path) {
  if (path_ == path) return;
  path_ = path;
  Notify();
}

void Document::SetChanged(std::u16string_view flag) {
  if (changed_ == flag) return;
  changed_ = flag;
  Notify();
}

void Document::SetTitle(std::u16string_view title) {
  if (title_ == title) return;
  title_ = title;
  Notify();
}

}  // namespace quillan::document
