#include "codegen/handle_variables.h"

#include <cmath>
#include <unordered_set>

#include "text/vb_string.h"

namespace quillan::codegen {

namespace {

// Whether s begins with `lower` (already in lower case), comparing case-insensitively.
bool StartsWithNoCase(std::u16string_view s, std::u16string_view lower) {
  if (s.size() < lower.size()) return false;
  for (std::size_t i = 0; i < lower.size(); ++i) {
    if (text::FoldCase(s[i]) != lower[i]) return false;
  }
  return true;
}

// The leading keywords a condition line loses before its name is taken, each with the
// number of characters dropped: "while " and "until " keep their space.
struct LeadingKeyword {
  std::u16string_view lower;
  std::size_t drop;
};
constexpr LeadingKeyword kLeadingKeywords[] = {{u"while ", 5}, {u"until ", 5}, {u"if ", 3}};

}  // namespace

void SplitLinesToList(std::u16string_view text, std::vector<std::u16string>& list) {
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find(text::kCrLf, start);
    if (end == std::u16string_view::npos) {
      list.emplace_back(text.substr(start));
      return;
    }
    list.emplace_back(text.substr(start, end - start));
    start = end + text::kCrLf.size();
  }
}

void ExtractAssignedNames(std::vector<std::u16string>& lines, std::vector<std::u16string>& names) {
  const std::size_t count = lines.size();
  for (std::size_t i = 0; i < count; ++i) {
    std::u16string& item = lines[i];
    if (item.find(u'=') == std::u16string::npos) continue;
    // "const" anywhere, also inside a longer word such as "constant", rules the line out.
    if (text::FindNoCase(item, u"const") != text::kNotFound) continue;
    for (const LeadingKeyword& keyword : kLeadingKeywords) {
      if (StartsWithNoCase(item, keyword.lower)) item.erase(0, keyword.drop);
    }
    names.emplace_back(item.substr(0, item.find(u'=')));
  }
}

std::u16string StripSpaces(std::u16string_view s) {
  std::u16string out;
  out.reserve(s.size());
  for (char16_t c : s) {
    if (c != u' ') out.push_back(c);
  }
  return out;
}

void RemoveDuplicateItems(std::vector<std::u16string>& list) {
  // Equality ignores spaces and case, so it is an equivalence: remembering the folded form of
  // every survivor gives the same survivors as comparing each item with all later ones.
  std::unordered_set<std::u16string> seen;
  seen.reserve(list.size());
  std::size_t kept = 0;
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (!seen.insert(text::FoldCase(StripSpaces(list[i]))).second) continue;
    if (kept != i) list[kept] = std::move(list[i]);
    ++kept;
  }
  list.resize(kept);
}

void Pause(int seconds, const ui::Clock& clock, ui::EventPump& pump) {
  // The start rounds half to even (the default rounding mode), as the timer function the
  // wait is modelled on does.
  const double start = clock.MonotonicSeconds();
  const double target = std::nearbyint(start) + seconds;
  if (start >= target) return;
  pump.ShowBusy(true);
  while (clock.MonotonicSeconds() < target) pump.ProcessPendingEvents();
  pump.ShowBusy(false);
}

void ShowNoVariables(ui::Messenger& messenger) {
  messenger.Show(u"You have no variables in your code!", ui::MessageIcon::kExclamation,
                 ui::MessageButtons::kOk);
}

void TakeCodeLines(const text::CodeBuffer& buffer, HandleVariableState& state, PausePorts pause) {
  SplitLinesToList(buffer.Text(), state.code_lines);
  Pause(1, pause.clock, pause.pump);
}

Discovery DiscoverHandleVariables(std::u16string_view tag, HandleVariableState& state,
                                  PausePorts pause, ui::Messenger& messenger) {
  ExtractAssignedNames(state.code_lines, state.names);
  if (state.names.empty()) {
    ShowNoVariables(messenger);
    state.code_lines.clear();
    return Discovery::kNoVariables;
  }
  Pause(1, pause.clock, pause.pump);
  // A dialog shown by a menu item chosen during the pause may have been dismissed meanwhile,
  // taking the names with it; there is then nothing left to offer.
  if (state.names.empty()) return Discovery::kNothingLeft;
  RemoveDuplicateItems(state.names);
  state.action_tag = tag;
  return Discovery::kShowDialog;
}

}  // namespace quillan::codegen
