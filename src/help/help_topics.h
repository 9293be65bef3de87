#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace quillan::help {

/// The help window's two lists, in order: the Contents and the Index (whose sub-entries
/// begin with four spaces).
std::span<const std::u16string_view> ContentsEntries();
std::span<const std::u16string_view> IndexEntries();

/// The description of the Contents entry or the Index entry at `index`; nullopt for an
/// entry with no description. A group topic's Contents description is its sentence, an
/// empty line and its lines; the Index gives the sentence alone or with one CR LF.
std::optional<std::u16string> ContentsDescription(std::size_t index);
std::optional<std::u16string> IndexDescription(std::size_t index);

/// The Index entry that Enter in the search box selects: the first after `selected` (from the
/// top when none is) whose text holds `text`, ignoring case; nullopt when no later one does.
std::optional<std::size_t> SearchIndex(std::optional<std::size_t> selected,
                                       std::u16string_view text);

/// The description box's first text, ending in the makers' address and CR LF.
std::u16string WelcomeText(std::u16string_view mail_address);

/// Shown for Display or a double-click with no entry selected.
inline constexpr std::u16string_view kSelectATopic =
    u"You must select a help topic to view a description of.";

}  // namespace quillan::help
