#pragma once

#include <QColor>
#include <cstdint>
#include <optional>

namespace quillan::gui {

/// A stored colour: 0x00BBGGRR, or a negative system-colour code (0x80000000 + index),
/// which maps to the matching colour of the current palette. nullopt for codes we do not know.
std::optional<QColor> ColorFromStored(std::int32_t value);

/// The stored form of a colour: 0x00BBGGRR as a decimal number.
std::int32_t StoredFromColor(const QColor& color);

}  // namespace quillan::gui
