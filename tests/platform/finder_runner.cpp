// quillan-finder-runner.exe: runs the finder code the Code Generator writes, inside a Wine
// prefix, as a compiled Visual Basic program with the two Declare lines would: reads the lines
// on standard input,
//   Dim NAME As Long                                  declares; nothing to run
//   NAME& = FindWindow(ARG, ARG)                      FindWindowA
//   NAME& = FindWindowEx(HWND, HWND, ARG, ARG)        FindWindowExA
// (ARG: a string in double quotes, "" inside standing for one, or vbNullString; HWND: NAME&
// or 0&), runs the assignments in order with user32, and prints the value of the last one.
// A variable never assigned is 0, as in Visual Basic. Any other line ends it with exit code 2
// and the line on standard error.
#include <windows.h>

#include <cstdio>
#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

struct Argument {
  enum class Kind { kString, kNullString, kVariable, kZero } kind;
  std::string value;  // the string, or the variable's name
};

// The arguments between the parentheses, split at the commas outside strings.
std::optional<std::vector<Argument>> Arguments(const std::string& list) {
  std::vector<Argument> out;
  std::size_t i = 0;
  while (i <= list.size()) {
    while (i < list.size() && list[i] == ' ') ++i;
    Argument a{};
    if (i < list.size() && list[i] == '"') {
      a.kind = Argument::Kind::kString;
      for (++i;; ++i) {
        if (i >= list.size()) return std::nullopt;
        if (list[i] == '"') {
          if (i + 1 < list.size() && list[i + 1] == '"') {
            a.value += '"';
            ++i;
            continue;
          }
          ++i;
          break;
        }
        a.value += list[i];
      }
    } else {
      const std::size_t end = list.find(',', i);
      std::string token = list.substr(i, end == std::string::npos ? std::string::npos : end - i);
      while (!token.empty() && token.back() == ' ') token.pop_back();
      i = end == std::string::npos ? list.size() : end;
      if (token == "vbNullString") {
        a.kind = Argument::Kind::kNullString;
      } else if (token == "0&") {
        a.kind = Argument::Kind::kZero;
      } else if (token.size() > 1 && token.back() == '&') {
        a.kind = Argument::Kind::kVariable;
        a.value = token.substr(0, token.size() - 1);
      } else {
        return std::nullopt;
      }
    }
    while (i < list.size() && list[i] == ' ') ++i;
    out.push_back(a);
    if (i >= list.size()) break;
    if (list[i] != ',') return std::nullopt;
    ++i;
  }
  return out;
}

const char* Text(const Argument& a) {
  if (a.kind == Argument::Kind::kNullString) return nullptr;
  return a.kind == Argument::Kind::kString ? a.value.c_str() : "";
}

bool IsText(const Argument& a) {
  return a.kind == Argument::Kind::kString || a.kind == Argument::Kind::kNullString;
}

}  // namespace

int main() {
  std::map<std::string, HWND> variables;
  HWND last = nullptr;
  std::string line;
  while (std::getline(std::cin, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || (line.rfind("Dim ", 0) == 0 && line.size() > 12 &&
                         line.compare(line.size() - 8, 8, " As Long") == 0)) {
      continue;
    }
    const std::size_t equals = line.find("& = ");
    const std::size_t open = line.find('(');
    bool done = false;
    if (equals != std::string::npos && open != std::string::npos && open > equals &&
        line.back() == ')') {
      const std::string name = line.substr(0, equals);
      const std::string call = line.substr(equals + 4, open - equals - 4);
      const auto args = Arguments(line.substr(open + 1, line.size() - open - 2));
      auto handle = [&](const Argument& a) -> std::optional<HWND> {
        if (a.kind == Argument::Kind::kZero) return nullptr;
        if (a.kind == Argument::Kind::kVariable) return variables[a.value];
        return std::nullopt;
      };
      if (args && call == "FindWindow" && args->size() == 2 && IsText((*args)[0]) &&
          IsText((*args)[1])) {
        last = variables[name] = ::FindWindowA(Text((*args)[0]), Text((*args)[1]));
        done = true;
      } else if (args && call == "FindWindowEx" && args->size() == 4 && IsText((*args)[2]) &&
                 IsText((*args)[3])) {
        const auto parent = handle((*args)[0]);
        const auto after = handle((*args)[1]);
        if (parent && after) {
          last = variables[name] =
              ::FindWindowExA(*parent, *after, Text((*args)[2]), Text((*args)[3]));
          done = true;
        }
      }
    }
    if (!done) {
      std::fprintf(stderr, "cannot run: %s\n", line.c_str());
      return 2;
    }
  }
  std::printf("%ld\n", static_cast<long>(HandleToLong(last)));
  return 0;
}
