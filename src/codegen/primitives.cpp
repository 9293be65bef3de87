#include "codegen/primitives.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "text/vb_string.h"

namespace quillan::codegen {

namespace {

constexpr std::u16string_view kDimAnchor = u"Dim ";
constexpr std::u16string_view kDeclareAnchor = u"Declare";
constexpr std::u16string_view kBlankLineEnd = u"\r\n\r\n";

// Keys are searched in documents of many megabytes, several times per command, so the
// forward search skips ahead (Horspool). Shifts are bucketed by the low byte of each UTF-16 unit,
// taking the smallest shift of a bucket, which keeps them safe for every unit.
using ShiftTable = std::array<std::size_t, 256>;

std::size_t Find(std::u16string_view text, std::u16string_view key) {
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
  return std::u16string_view::npos;
}

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

// The first offset at or after `from` that holds c.
std::size_t FindUnit(std::u16string_view text, std::size_t from, char16_t c) {
  const std::uint64_t pattern = kUnitOnes * c;
  std::size_t pos = from;
  while (pos + 4 <= text.size() && !WordHolds(text.data() + pos, pattern)) pos += 4;
  for (; pos < text.size(); ++pos) {
    if (text[pos] == c) return pos;
  }
  return std::u16string_view::npos;
}

// The last offset before `end` that holds c.
std::size_t FindLastUnit(std::u16string_view text, std::size_t end, char16_t c) {
  const std::uint64_t pattern = kUnitOnes * c;
  std::size_t pos = end;
  while (pos >= 4 && !WordHolds(text.data() + pos - 4, pattern)) pos -= 4;
  while (pos > 0) {
    if (text[--pos] == c) return pos;
  }
  return std::u16string_view::npos;
}

// The search for the last "Dim " crosses the whole module when its Dim lines are at the top.
std::size_t FindLast(std::u16string_view text, std::u16string_view key) {
  if (key.empty() || text.size() < key.size()) return text.rfind(key);
  for (std::size_t end = text.size() - key.size() + 1;;) {
    const std::size_t pos = FindLastUnit(text, end, key[0]);
    if (pos == std::u16string_view::npos) return pos;
    if (text.compare(pos, key.size(), key) == 0) return pos;
    end = pos;
  }
}

// Inserts line + ending at the caret as one change of the buffer.
void InsertLine(text::CodeBuffer& buffer, std::u16string_view line, std::u16string_view ending) {
  std::u16string piece;
  piece.reserve(line.size() + ending.size());
  piece.append(line);
  piece.append(ending);
  buffer.SetSelText(piece);
}

// Where EnsureDimLine puts the caret: after the line of the last "Dim ", else of the last
// "Declare", else at 0. `unended` tells that the anchor has no line end after it (the caret
// goes to 0 then too); `dim_stuck` that this anchor is a "Dim ", so that every line goes to
// the top and the anchor stays where it is.
struct DimPlace {
  std::size_t caret = 0;
  bool unended = false;
  bool dim_stuck = false;
};

DimPlace FindDimPlace(std::u16string_view text) {
  std::size_t anchor = FindLast(text, kDimAnchor);
  const bool is_dim = anchor != std::u16string_view::npos;
  if (!is_dim) anchor = FindLast(text, kDeclareAnchor);
  if (anchor == std::u16string_view::npos) return {};
  const std::size_t line_end = text.find(text::kCrLf, anchor);
  if (line_end == std::u16string_view::npos) return {0, true, is_dim};
  return {line_end + text::kCrLf.size(), false, false};
}

// Whether each of several keys occurs in a text, found with one pass per distinct first
// unit, and whether it occurs away from `split` (wholly before or wholly after it).
struct KeyPresence {
  bool anywhere = false;
  bool beside_split = false;
};

std::vector<KeyPresence> FindKeys(std::u16string_view text, std::size_t split,
                                  std::span<const KeyedLine> items) {
  std::vector<KeyPresence> found(items.size());
  std::vector<char16_t> firsts;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (items[i].key.empty()) {
      found[i] = {true, true};
    } else if (std::find(firsts.begin(), firsts.end(), items[i].key[0]) == firsts.end()) {
      firsts.push_back(items[i].key[0]);
    }
  }
  for (const char16_t first : firsts) {
    auto open_keys = [&] {
      std::size_t n = 0;
      for (std::size_t i = 0; i < items.size(); ++i) {
        if (!items[i].key.empty() && items[i].key[0] == first && !found[i].beside_split) ++n;
      }
      return n;
    };
    std::size_t open = open_keys();
    for (std::size_t pos = FindUnit(text, 0, first); open > 0 && pos != std::u16string_view::npos;
         pos = FindUnit(text, pos + 1, first)) {
      for (std::size_t i = 0; i < items.size(); ++i) {
        const std::u16string_view key = items[i].key;
        if (key.empty() || key[0] != first || found[i].beside_split) continue;
        if (text.compare(pos, key.size(), key) != 0) continue;
        found[i].anywhere = true;
        if (pos + key.size() <= split || pos >= split) {
          found[i].beside_split = true;
          --open;
        }
      }
    }
  }
  return found;
}

// The text as it stands after `block` was inserted at `at`, asked only whether it contains
// the keys of `items`; nothing is copied but the few units around the block.
class TextWithBlock {
 public:
  TextWithBlock(std::u16string_view text, std::size_t at, const std::u16string& block,
                std::span<const KeyedLine> items)
      : text_(text), at_(at), block_(block), items_(items), found_(FindKeys(text, at, items)) {}

  /// Whether the key of items[i] occurs in the text with the block as it is now.
  bool Contains(std::size_t i) const {
    // With nothing inserted yet, a match may span `at`; once the block is in, it no longer
    // exists, and matches that touch the block lie within m - 1 units of it on either side.
    if (block_.empty()) return found_[i].anywhere;
    if (found_[i].beside_split) return true;
    const std::u16string_view key = items_[i].key;
    const std::u16string_view before = text_.substr(0, at_);
    const std::size_t reach = key.size() - 1;
    std::u16string around(before.substr(before.size() - std::min(before.size(), reach)));
    around.append(block_);
    around.append(text_.substr(at_, reach));
    return Find(around, key) != std::u16string_view::npos;
  }

 private:
  std::u16string_view text_;
  std::size_t at_;
  const std::u16string& block_;
  std::span<const KeyedLine> items_;
  std::vector<KeyPresence> found_;
};

bool FitsDimBatch(std::span<const KeyedLine> items) {
  return std::all_of(items.begin(), items.end(), [](const KeyedLine& item) {
    return Find(item.line, kDimAnchor) != std::u16string_view::npos &&
           item.line.find(text::kCrLf) == std::u16string_view::npos;
  });
}

}  // namespace

bool ContainsKey(std::u16string_view text, std::u16string_view key) {
  return Find(text, key) != std::u16string_view::npos;
}

void AppendCode(text::CodeBuffer& buffer, std::u16string_view s) {
  // Beyond the end on purpose: the buffer clamps the caret to the end.
  buffer.SetSelStart(std::numeric_limits<std::size_t>::max());
  buffer.SetSelText(s);
}

void EnsureDeclaration(text::CodeBuffer& buffer, std::u16string_view key,
                       std::u16string_view line) {
  if (!ContainsKey(buffer.Text(), key)) InsertLine(buffer, line, text::kCrLf);
}

void EnsureDeclaration(text::CodeBuffer& buffer, std::u16string_view key, std::u16string_view line,
                       Blank) {
  if (!ContainsKey(buffer.Text(), key)) InsertLine(buffer, line, kBlankLineEnd);
}

void EnsureDimLine(text::CodeBuffer& buffer, std::u16string_view key, std::u16string_view line) {
  const std::u16string& text = buffer.Text();
  const std::size_t caret = FindDimPlace(text).caret;
  const bool present = ContainsKey(text, key);
  // The caret moves even when the line is already present.
  buffer.SetSelStart(caret);
  if (!present) InsertLine(buffer, line, text::kCrLf);
}

void EnsureDeclarations(text::CodeBuffer& buffer, std::span<const KeyedLine> items) {
  if (buffer.SelLength() != 0) {
    // The first insertion would replace the selection; keep the plain sequence for that.
    for (const KeyedLine& item : items) {
      if (item.blank) {
        EnsureDeclaration(buffer, item.key, item.line, Blank{});
      } else {
        EnsureDeclaration(buffer, item.key, item.line);
      }
    }
    return;
  }
  // Each insertion leaves the caret behind itself, so the lines form one block at the caret.
  const std::u16string& text = buffer.Text();
  std::u16string block;
  const TextWithBlock current(text, buffer.SelStart(), block, items);
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (current.Contains(i)) continue;
    block.append(items[i].line);
    block.append(items[i].blank ? kBlankLineEnd : text::kCrLf);
  }
  if (!block.empty()) buffer.SetSelText(block);
}

void EnsureDimLines(text::CodeBuffer& buffer, std::span<const KeyedLine> items) {
  if (items.empty()) return;
  if (!FitsDimBatch(items)) {
    for (const KeyedLine& item : items) EnsureDimLine(buffer, item.key, item.line);
    return;
  }
  // Every line holds "Dim " and ends in CR LF, so each inserted line becomes the anchor of
  // the next call and the lines form one block at the first place, in order. The exception:
  // a "Dim " on the last line without a line end stays the anchor, so each line goes to the
  // top, above the one before.
  const std::u16string& text = buffer.Text();
  const DimPlace place = FindDimPlace(text);
  std::u16string block;
  const TextWithBlock current(text, place.caret, block, items);
  std::size_t final_caret = place.caret;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (current.Contains(i)) {
      if (place.dim_stuck) final_caret = 0;
      continue;
    }
    std::u16string line(items[i].line);
    line.append(text::kCrLf);
    if (place.dim_stuck) {
      final_caret = line.size();
      block.insert(0, line);
    } else {
      block.append(line);
      final_caret = place.caret + block.size();
    }
  }
  buffer.SetSelStart(place.caret);
  if (block.empty()) return;
  buffer.SetSelText(block);
  if (place.dim_stuck && final_caret != block.size()) buffer.SetSelStart(final_caret);
}

void AppendCodeWithDimLines(text::CodeBuffer& buffer, std::u16string_view code,
                            std::span<const KeyedLine> items) {
  // The Dim lines can go in first, before the code is appended, when the code cannot change
  // where they go or whether they are present: it starts on a new line and holds no anchor,
  // no key can run across a line end, and the anchor's line already ends in the text. The
  // text is then read once, before any change.
  const bool code_is_neutral = code.starts_with(text::kCrLf) &&
                               Find(code, kDimAnchor) == std::u16string_view::npos &&
                               Find(code, kDeclareAnchor) == std::u16string_view::npos;
  const bool keys_stay_on_a_line =
      std::none_of(items.begin(), items.end(), [](const KeyedLine& item) {
        return item.key.find_first_of(u"\r\n") != std::u16string_view::npos;
      });
  if (!items.empty() && code_is_neutral && keys_stay_on_a_line && FitsDimBatch(items)) {
    const std::u16string& text = buffer.Text();
    const DimPlace place = FindDimPlace(text);
    if (!place.unended) {
      std::u16string block;
      const TextWithBlock current(text, place.caret, block, items);
      for (std::size_t i = 0; i < items.size(); ++i) {
        if (current.Contains(i) || ContainsKey(code, items[i].key)) continue;
        block.append(items[i].line);
        block.append(text::kCrLf);
      }
      if (!block.empty()) {
        buffer.SetSelStart(place.caret);
        buffer.SetSelText(block);
      }
      AppendCode(buffer, code);
      return;
    }
  }
  AppendCode(buffer, code);
  EnsureDimLines(buffer, items);
  buffer.SetSelStart(buffer.Length());
}

void FinishInsertion(text::CodeBuffer& buffer, InsertionHost& host, bool declarations_on) {
  host.ResetVariableDialog();
  host.ClearWorkList();
  host.EnableAndFocusMainWindow();
  if (!declarations_on) buffer.SetSelStart(buffer.Length());
}

}  // namespace quillan::codegen
