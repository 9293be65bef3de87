#include "codegen/dim_all.h"

#include <algorithm>
#include <cstdint>
#include <unordered_map>

#include "codegen/primitives.h"
#include "text/vb_string.h"

namespace quillan::codegen {

namespace {

constexpr std::u16string_view kDim = u"Dim ";

// The type-declaration characters and the text each adds after the name; index + 1 is the
// type code, 7 (no character) adds nothing.
struct TypeEntry {
  char16_t character;
  std::u16string_view text;
};
constexpr TypeEntry kTypes[] = {{u'&', u" As Long"},   {u'%', u" As Integer"},
                                {u'$', u" As String"}, {u'!', u" As Single"},
                                {u'#', u" As Double"}, {u'@', u" As Currency"}};
constexpr int kUntyped = 7;

// Statement keywords that the extraction leaves at the front of a name: "For i% = 1" gives
// "For i% ". Each is a sequence of words separated by one or more spaces.
constexpr std::u16string_view kKeywordFor[] = {u"for"};
constexpr std::u16string_view kKeywordDoWhile[] = {u"do", u"while"};
constexpr std::u16string_view kKeywordIf[] = {u"if"};
constexpr std::u16string_view kKeywordLoopUntil[] = {u"loop", u"until"};
constexpr std::span<const std::u16string_view> kKeywords[] = {kKeywordFor, kKeywordDoWhile,
                                                              kKeywordIf, kKeywordLoopUntil};

bool IsWordCharacter(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
         c == u'_' || c >= 0x80;
}

std::size_t SkipSpaces(std::u16string_view s, std::size_t pos) {
  while (pos < s.size() && s[pos] == u' ') ++pos;
  return pos;
}

// The end of `keyword` standing as whole words at `pos` of s; npos when it does not.
std::size_t MatchKeyword(std::u16string_view s, std::size_t pos,
                         std::span<const std::u16string_view> keyword) {
  for (std::size_t w = 0; w < keyword.size(); ++w) {
    if (w > 0) {
      const std::size_t after_spaces = SkipSpaces(s, pos);
      if (after_spaces == pos) return std::u16string_view::npos;
      pos = after_spaces;
    }
    const std::u16string_view word = keyword[w];
    if (s.size() - pos < word.size()) return std::u16string_view::npos;
    for (std::size_t i = 0; i < word.size(); ++i) {
      if (text::FoldCase(s[pos + i]) != word[i]) return std::u16string_view::npos;
    }
    pos += word.size();
  }
  if (pos < s.size() && IsWordCharacter(s[pos])) return std::u16string_view::npos;
  return pos;
}

std::u16string DimKey(std::u16string_view name) {
  std::u16string key(kDim);
  key.append(name);
  return key;
}

std::u16string DimLine(std::u16string_view name, int type_code) {
  std::u16string line = DimKey(name);
  line.append(TypeText(type_code));
  return line;
}

// The names being declared, as a trie, to answer "does "Dim " + name occur in the code" for
// all of them in one pass: every "Dim " of the code is followed along the trie, and every name
// met on the way is present. Names hold no spaces, and every "Dim " ends in one, so the walks
// from different "Dim "s never overlap and the pass is linear in the code.
class DimKeyIndex {
 public:
  // Returns the id of `name`, adding it if new.
  std::uint32_t Add(std::u16string_view name) {
    std::uint32_t node = 0;
    for (char16_t c : name) {
      auto [it, added] = children_.try_emplace(EdgeKey(node, c), 0);
      if (added) {
        it->second = static_cast<std::uint32_t>(nodes_.size());
        nodes_.emplace_back();
      }
      node = it->second;
    }
    nodes_[node].is_name = true;
    return node;
  }

  // Marks the names that follow each "Dim " of s.
  void MarkOccurrences(std::u16string_view s) {
    for (std::size_t at = s.find(kDim); at != std::u16string_view::npos;
         at = s.find(kDim, at + kDim.size())) {
      Walk(s, at + kDim.size());
    }
  }

  bool IsPresent(std::uint32_t id) const { return nodes_[id].present; }

 private:
  struct Node {
    bool is_name = false;
    bool present = false;
  };

  static std::uint64_t EdgeKey(std::uint32_t node, char16_t c) {
    return (static_cast<std::uint64_t>(node) << 16) | c;
  }

  void Walk(std::u16string_view s, std::size_t pos) {
    std::uint32_t node = 0;
    for (;;) {
      if (nodes_[node].is_name) nodes_[node].present = true;
      if (pos == s.size()) return;
      const auto it = children_.find(EdgeKey(node, s[pos]));
      if (it == children_.end()) return;
      node = it->second;
      ++pos;
    }
  }

  std::vector<Node> nodes_{Node{}};
  std::unordered_map<std::uint64_t, std::uint32_t> children_;
};

bool HasLineBreakCharacter(std::u16string_view s) {
  return s.find_first_of(u"\r\n") != std::u16string_view::npos;
}

}  // namespace

int TypeCode(std::u16string_view name) {
  if (name.empty()) return kUntyped;
  for (std::size_t i = 0; i < std::size(kTypes); ++i) {
    if (kTypes[i].character == name.back()) return static_cast<int>(i) + 1;
  }
  return kUntyped;
}

std::u16string_view TypeText(int type_code) {
  if (type_code < 1 || type_code > static_cast<int>(std::size(kTypes))) return {};
  return kTypes[type_code - 1].text;
}

DimVariable DeriveDimVariable(std::u16string_view assigned) {
  DimVariable result;
  result.type_code = TypeCode(StripSpaces(assigned));
  std::size_t pos = SkipSpaces(assigned, 0);
  for (const auto& keyword : kKeywords) {
    const std::size_t end = MatchKeyword(assigned, pos, keyword);
    if (end != std::u16string_view::npos) pos = SkipSpaces(assigned, end);
  }
  result.name = StripSpaces(assigned.substr(pos));
  if (result.type_code != kUntyped && !result.name.empty()) result.name.pop_back();
  return result;
}

void DeclareVariable(text::CodeBuffer& buffer, std::u16string_view name, int type_code) {
  EnsureDimLine(buffer, DimKey(name), DimLine(name, type_code));
}

void DeclareAllVariables(text::CodeBuffer& buffer, std::vector<std::u16string>& names) {
  if (names.empty()) return;
  RemoveDuplicateItems(names);
  std::vector<DimVariable> variables;
  variables.reserve(names.size());
  for (const std::u16string& name : names) variables.push_back(DeriveDimVariable(name));

  // A name holding a CR or LF (possible only in text with stray line-break characters) could
  // form a line end inside its Dim line or a "Dim " key across lines; then the places cannot
  // be foreseen, and each variable is declared on the text as it stands.
  if (std::any_of(variables.begin(), variables.end(),
                  [](const DimVariable& v) { return HasLineBreakCharacter(v.name); })) {
    for (const DimVariable& v : variables) DeclareVariable(buffer, v.name, v.type_code);
    return;
  }

  // Every Dim line holds "Dim " and ends in its only CR LF, so each inserted line becomes the
  // anchor of the next: the new lines form one block at the first place, in list order (or,
  // with a stuck anchor, each at the top). And since no key holds a line-break character, a
  // key can occur only inside the old text or inside one new line, never across the seams.
  const std::u16string& text = buffer.Text();
  const DimPlace place = FindDimPlace(text);
  DimKeyIndex index;
  std::vector<std::uint32_t> ids;
  ids.reserve(variables.size());
  for (const DimVariable& v : variables) ids.push_back(index.Add(v.name));
  index.MarkOccurrences(text);

  std::vector<std::u16string> lines;  // in insertion order
  bool last_inserted = false;
  for (std::size_t i = 0; i < variables.size(); ++i) {
    last_inserted = !index.IsPresent(ids[i]);
    if (!last_inserted) continue;
    std::u16string line = DimLine(variables[i].name, variables[i].type_code);
    line.append(text::kCrLf);
    index.MarkOccurrences(line);
    lines.push_back(std::move(line));
  }

  std::u16string block;
  if (place.dim_stuck) {
    for (auto it = lines.rbegin(); it != lines.rend(); ++it) block.append(*it);
  } else {
    for (const std::u16string& line : lines) block.append(line);
  }
  std::size_t caret = place.caret + block.size();
  if (place.dim_stuck) caret = last_inserted ? lines.back().size() : 0;

  buffer.SetSelStart(place.caret);
  if (!block.empty()) buffer.SetSelText(block);
  if (buffer.SelStart() != caret) buffer.SetSelStart(caret);
}

void DimAllVariables(text::CodeBuffer& buffer, PausePorts pause, ui::Messenger& messenger) {
  // The two work lists: the code's lines and the names assigned on them.
  std::vector<std::u16string> lines;
  std::vector<std::u16string> names;
  SplitLinesToList(buffer.Text(), lines);
  Pause(0, pause.clock, pause.pump);
  ExtractAssignedNames(lines, names);
  if (names.empty()) {
    ShowNoVariables(messenger);
    return;
  }
  Pause(0, pause.clock, pause.pump);
  DeclareAllVariables(buffer, names);
  Pause(0, pause.clock, pause.pump);
}

}  // namespace quillan::codegen
