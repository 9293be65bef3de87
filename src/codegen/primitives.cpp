#include "codegen/primitives.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

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

// The last offset before `end` that holds c. Four units are tested at a time: a unit equal
// to c becomes zero after the XOR, and the borrow test finds a zero unit in the word.
std::size_t FindLastUnit(std::u16string_view text, std::size_t end, char16_t c) {
  constexpr std::uint64_t kOnes = 0x0001000100010001;
  constexpr std::uint64_t kHighs = 0x8000800080008000;
  const std::uint64_t pattern = kOnes * c;
  std::size_t pos = end;
  while (pos >= 4) {
    std::uint64_t word;
    std::memcpy(&word, text.data() + pos - 4, sizeof word);
    const std::uint64_t x = word ^ pattern;
    if (((x - kOnes) & ~x & kHighs) != 0) break;
    pos -= 4;
  }
  const std::size_t stop = pos >= 4 ? pos - 4 : 0;
  while (pos > stop) {
    if (text[--pos] == c) return pos;
  }
  return pos == 0 ? std::u16string_view::npos : FindLastUnit(text, pos, c);
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

// The text as it stands after `block` was inserted at `at`, asked only whether it contains
// key; nothing is copied but the few units around the block.
class TextWithBlock {
 public:
  TextWithBlock(std::u16string_view text, std::size_t at, const std::u16string& block)
      : text_(text), at_(at), block_(block) {}

  bool Contains(std::u16string_view key) const {
    if (block_.empty()) return Find(text_, key) != std::u16string_view::npos;
    if (key.empty()) return true;
    const std::u16string_view before = text_.substr(0, at_);
    const std::u16string_view after = text_.substr(at_);
    // A match that touches the block lies within m - 1 units of it on either side.
    const std::size_t reach = key.size() - 1;
    std::u16string around(before.substr(before.size() - std::min(before.size(), reach)));
    around.append(block_);
    around.append(after.substr(0, reach));
    return Find(before, key) != std::u16string_view::npos ||
           Find(after, key) != std::u16string_view::npos ||
           Find(around, key) != std::u16string_view::npos;
  }

 private:
  std::u16string_view text_;
  std::size_t at_;
  const std::u16string& block_;
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
  const TextWithBlock current(text, buffer.SelStart(), block);
  for (const KeyedLine& item : items) {
    if (current.Contains(item.key)) continue;
    block.append(item.line);
    block.append(item.blank ? kBlankLineEnd : text::kCrLf);
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
  const TextWithBlock current(text, place.caret, block);
  std::size_t final_caret = place.caret;
  for (const KeyedLine& item : items) {
    if (current.Contains(item.key)) {
      if (place.dim_stuck) final_caret = 0;
      continue;
    }
    std::u16string line(item.line);
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
      const TextWithBlock current(text, place.caret, block);
      for (const KeyedLine& item : items) {
        if (current.Contains(item.key) || ContainsKey(code, item.key)) continue;
        block.append(item.line);
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
