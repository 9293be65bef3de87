#include "text/vb_lexer.h"

#include <algorithm>
#include <array>
#include <string>

namespace quillan::text {

namespace {

// The reserved words and built-in names of the language, lower case, in order.
constexpr std::array<std::string_view, 114> kKeywords = {
    "access",     "addressof",  "alias",   "and",      "any",      "append",  "as",
    "attribute",  "base",       "boolean", "byref",    "byte",     "byval",   "call",
    "case",       "close",      "const",   "currency", "date",     "decimal", "declare",
    "defbool",    "defint",     "deflng",  "defstr",   "dim",      "do",      "double",
    "each",       "else",       "elseif",  "empty",    "end",      "enum",    "eqv",
    "erase",      "error",      "event",   "exit",     "explicit", "false",   "for",
    "friend",     "function",   "get",     "global",   "gosub",    "goto",    "if",
    "imp",        "implements", "in",      "input",    "integer",  "is",      "let",
    "lib",        "like",       "load",    "lock",     "long",     "loop",    "lset",
    "me",         "mod",        "new",     "next",     "not",      "nothing", "null",
    "object",     "on",         "open",    "option",   "optional", "or",      "output",
    "paramarray", "preserve",   "print",   "private",  "property", "public",  "put",
    "raiseevent", "random",     "read",    "redim",    "resume",   "return",  "rset",
    "select",     "set",        "shared",  "single",   "static",   "step",    "stop",
    "string",     "sub",        "then",    "to",       "true",     "type",    "typeof",
    "unload",     "until",      "variant", "wend",     "while",    "with",    "withevents",
    "write",      "xor",
};
static_assert(std::is_sorted(kKeywords.begin(), kKeywords.end()));

bool IsKeyword(std::string_view word) {
  std::string lower(word);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return std::binary_search(kKeywords.begin(), kKeywords.end(), std::string_view(lower));
}

bool IsLetter(unsigned char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }
bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
// Names may hold letters, digits, underscores and any non-ASCII character.
bool IsNameChar(unsigned char c) { return IsLetter(c) || IsDigit(c) || c == '_' || c >= 0x80; }
bool IsTypeCharacter(unsigned char c) {
  return c == '%' || c == '&' || c == '!' || c == '#' || c == '@' || c == '$';
}

bool EqualsNoCase(std::string_view a, std::string_view lower) {
  if (a.size() != lower.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(a[i]);
    if ((IsLetter(c) ? (c | 0x20) : c) != static_cast<unsigned char>(lower[i])) return false;
  }
  return true;
}

}  // namespace

bool EndsInContinuation(std::string_view line) {
  while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
  return line.size() >= 2 && line.back() == '_' &&
         (line[line.size() - 2] == ' ' || line[line.size() - 2] == '\t');
}

bool StyleVbLine(std::string_view line, bool in_comment, std::span<VbStyle> styles) {
  const std::size_t n = std::min(line.size(), styles.size());
  auto fill = [&styles](std::size_t from, std::size_t to, VbStyle style) {
    std::fill(styles.begin() + static_cast<std::ptrdiff_t>(from),
              styles.begin() + static_cast<std::ptrdiff_t>(to), style);
  };
  if (in_comment) {
    fill(0, n, VbStyle::kComment);
    return EndsInContinuation(line);
  }
  fill(0, n, VbStyle::kDefault);
  bool statement_start = true;  // where Rem may begin a comment
  bool after_dot = false;       // a member's name is no keyword: Text1.Text, Me.Print
  int declare_state = 0;        // 1 after Declare, 2 after its Sub or Function
  std::size_t i = 0;
  while (i < n) {
    const auto c = static_cast<unsigned char>(line[i]);
    if (c == ' ' || c == '\t') {
      ++i;
      continue;
    }
    if (c == '\'') {
      fill(i, n, VbStyle::kComment);
      return EndsInContinuation(line);
    }
    if (c == '"') {
      std::size_t j = i + 1;
      while (j < n) {
        if (line[j] == '"') {
          if (j + 1 < n && line[j + 1] == '"') {
            j += 2;  // a doubled quote stands for one inside the string
            continue;
          }
          ++j;
          break;
        }
        ++j;
      }
      fill(i, j, VbStyle::kString);
      i = j;
      statement_start = false;
      continue;
    }
    if (IsDigit(c) || (c == '.' && i + 1 < n && IsDigit(static_cast<unsigned char>(line[i + 1]))) ||
        (c == '&' && i + 1 < n && ((line[i + 1] | 0x20) == 'h' || (line[i + 1] | 0x20) == 'o'))) {
      std::size_t j = i;
      if (c == '&') {
        j += 2;
        while (j < n && (IsDigit(static_cast<unsigned char>(line[j])) ||
                         ((line[j] | 0x20) >= 'a' && (line[j] | 0x20) <= 'f'))) {
          ++j;
        }
      } else {
        while (j < n && (IsDigit(static_cast<unsigned char>(line[j])) || line[j] == '.')) ++j;
        if (j < n && ((line[j] | 0x20) == 'e' || (line[j] | 0x20) == 'd')) {
          std::size_t k = j + 1;
          if (k < n && (line[k] == '+' || line[k] == '-')) ++k;
          if (k < n && IsDigit(static_cast<unsigned char>(line[k]))) {
            j = k;
            while (j < n && IsDigit(static_cast<unsigned char>(line[j]))) ++j;
          }
        }
      }
      fill(i, j, VbStyle::kNumber);
      if (j < n && IsTypeCharacter(static_cast<unsigned char>(line[j]))) {
        styles[j++] = VbStyle::kTypeCharacter;
      }
      i = j;
      statement_start = false;
      continue;
    }
    if (c == '#' && statement_start && i + 1 < n &&
        IsLetter(static_cast<unsigned char>(line[i + 1]))) {
      std::size_t j = i + 1;
      while (j < n && IsNameChar(static_cast<unsigned char>(line[j]))) ++j;
      fill(i, j, VbStyle::kPreprocessor);
      i = j;
      statement_start = false;
      continue;
    }
    if (IsLetter(c) || c == '_' || c >= 0x80 || c == '[') {
      std::size_t j = i + 1;
      if (c == '[') {
        // A bracketed name may hold anything up to its closing bracket.
        while (j < n && line[j] != ']') ++j;
        if (j < n) ++j;
      } else {
        while (j < n && IsNameChar(static_cast<unsigned char>(line[j]))) ++j;
      }
      const std::string_view word = line.substr(i, j - i);
      if (statement_start && EqualsNoCase(word, "rem") &&
          (j == n || line[j] == ' ' || line[j] == '\t')) {
        fill(i, n, VbStyle::kComment);
        return EndsInContinuation(line);
      }
      const bool keyword = c != '[' && !after_dot && IsKeyword(word);
      if (declare_state == 2 && !keyword) {
        fill(i, j, VbStyle::kDeclaredName);
        declare_state = 0;
      } else if (keyword) {
        fill(i, j, VbStyle::kKeyword);
        if (EqualsNoCase(word, "declare")) declare_state = 1;
        if (declare_state == 1 && (EqualsNoCase(word, "sub") || EqualsNoCase(word, "function"))) {
          declare_state = 2;
        }
      }
      if (j < n && IsTypeCharacter(static_cast<unsigned char>(line[j])) &&
          (j + 1 == n || !IsNameChar(static_cast<unsigned char>(line[j + 1])))) {
        styles[j++] = VbStyle::kTypeCharacter;
      }
      i = j;
      statement_start = false;
      after_dot = false;
      continue;
    }
    // Operators and punctuation; a colon starts the next statement.
    styles[i] = VbStyle::kOperator;
    statement_start = c == ':';
    after_dot = c == '.';
    ++i;
  }
  return false;
}

}  // namespace quillan::text
