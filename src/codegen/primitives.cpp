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

// Inserts line + ending at the caret as one change of the buffer.
void InsertLine(text::CodeBuffer& buffer, std::u16string_view line, std::u16string_view ending) {
  std::u16string piece;
  piece.reserve(line.size() + ending.size());
  piece.append(line);
  piece.append(ending);
  buffer.SetSelText(piece);
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
    for (std::size_t pos = text::FindUnit(text, 0, first);
         open > 0 && pos != std::u16string_view::npos; pos = text::FindUnit(text, pos + 1, first)) {
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
    return text::FindKey(around, key) != std::u16string_view::npos;
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
    return text::FindKey(item.line, kDimAnchor) != std::u16string_view::npos &&
           item.line.find(text::kCrLf) == std::u16string_view::npos;
  });
}

}  // namespace

DimPlace FindDimPlace(std::u16string_view text) {
  std::size_t anchor = text::FindLastKey(text, kDimAnchor);
  const bool is_dim = anchor != std::u16string_view::npos;
  if (!is_dim) anchor = text::FindLastKey(text, kDeclareAnchor);
  if (anchor == std::u16string_view::npos) return {};
  const std::size_t line_end = text.find(text::kCrLf, anchor);
  if (line_end == std::u16string_view::npos) return {0, true, is_dim};
  return {line_end + text::kCrLf.size(), false, false};
}

bool ContainsKey(std::u16string_view text, std::u16string_view key) {
  return text::FindKey(text, key) != std::u16string_view::npos;
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
                               text::FindKey(code, kDimAnchor) == std::u16string_view::npos &&
                               text::FindKey(code, kDeclareAnchor) == std::u16string_view::npos;
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

InsertionOutcome FinishInsertion(text::CodeBuffer& buffer, bool declarations_on) {
  if (!declarations_on) buffer.SetSelStart(buffer.Length());
  return {true, {}};
}

}  // namespace quillan::codegen
