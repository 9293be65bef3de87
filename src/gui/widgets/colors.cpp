#include "gui/widgets/colors.h"

#include <QGuiApplication>
#include <QPalette>

namespace quillan::gui {

std::optional<QColor> ColorFromStored(std::int32_t value) {
  if (value >= 0) {
    const auto v = static_cast<std::uint32_t>(value);
    if (v > 0xFFFFFF) return std::nullopt;
    return QColor(static_cast<int>(v & 0xFF), static_cast<int>((v >> 8) & 0xFF),
                  static_cast<int>((v >> 16) & 0xFF));
  }
  const auto index = static_cast<std::uint32_t>(value) & 0x7FFFFFFFu;
  const QPalette p = QGuiApplication::palette();
  switch (index) {
    case 5:
      return p.color(QPalette::Base);  // window background
    case 8:
      return p.color(QPalette::Text);  // window text
    case 15:
      return p.color(QPalette::Button);  // button face
    case 18:
      return p.color(QPalette::ButtonText);  // button text
    case 13:
      return p.color(QPalette::Highlight);  // highlight
    case 14:
      return p.color(QPalette::HighlightedText);  // highlighted text
    case 17:
      return p.color(QPalette::Disabled, QPalette::Text);  // grey text
    case 24:
      return p.color(QPalette::ToolTipBase);  // tooltip background
    case 23:
      return p.color(QPalette::ToolTipText);  // tooltip text
    default:
      return std::nullopt;
  }
}

std::int32_t StoredFromColor(const QColor& color) {
  const QColor c = color.toRgb();
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(c.red()) |
                                   (static_cast<std::uint32_t>(c.green()) << 8) |
                                   (static_cast<std::uint32_t>(c.blue()) << 16));
}

}  // namespace quillan::gui
