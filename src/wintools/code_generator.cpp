#include "wintools/code_generator.h"

#include <algorithm>
#include <unordered_set>

#include "codegen/primitives.h"
#include "wintools/api_spy.h"

namespace quillan::wintools {

namespace {

// A chain longer than this is a loop in what the window system reports, never a real
// window tree.
constexpr std::size_t kMaxSteps = 100000;

std::u16string Trimmed(std::u16string_view s) {
  const std::size_t first = s.find_first_not_of(u' ');
  if (first == std::u16string_view::npos) return {};
  const std::size_t last = s.find_last_not_of(u' ');
  return std::u16string(s.substr(first, last - first + 1));
}

void RemoveAll(std::u16string& s, char16_t c) {
  s.erase(std::remove(s.begin(), s.end(), c), s.end());
}

std::u16string Quoted(std::u16string_view s) {
  std::u16string quoted;
  quoted.reserve(s.size() + 2);
  quoted.push_back(u'"');
  quoted.append(s);
  quoted.push_back(u'"');
  return quoted;
}

// The preview is built by putting each line above what is there. The lines are kept in the
// order they are put, each with how often it is put in a row, and read backwards at the end:
// putting each one in front of a long preview would copy the preview each time.
class Preview {
 public:
  void Prepend(std::u16string line, std::size_t times = 1) {
    if (times > 0) lines_.push_back({std::move(line), times});
  }
  std::u16string Text() const {
    std::size_t size = 0;
    for (const Line& line : lines_) size += (line.text.size() + 2) * line.times;
    std::u16string text;
    text.reserve(size);
    for (auto line = lines_.rbegin(); line != lines_.rend(); ++line) {
      for (std::size_t i = 0; i < line->times; ++i) text.append(line->text).append(u"\r\n");
    }
    return text;
  }

 private:
  struct Line {
    std::u16string text;
    std::size_t times;
  };
  std::vector<Line> lines_;
};

constexpr std::u16string_view kFindWindowKey = u"Declare Function FindWindow";
constexpr std::u16string_view kFindWindowLine =
    uR"vb(Public Declare Function FindWindow Lib "user32" Alias "FindWindowA" (ByVal lpClassName As String, ByVal lpWindowName As String) As Long)vb";
constexpr std::u16string_view kFindWindowExKey = u"Declare Function FindWindowEx";
constexpr std::u16string_view kFindWindowExLine =
    uR"vb(Public Declare Function FindWindowEx Lib "user32" Alias "FindWindowExA" (ByVal hWnd1 As Long, ByVal hWnd2 As Long, ByVal lpsz1 As String, ByVal lpsz2 As String) As Long)vb";

}  // namespace

std::u16string MakeVariableName(std::u16string_view s) {
  std::u16string r = Trimmed(s);
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (i < r.size() && r[i] == u'_') RemoveAll(r, u'_');
    if (i < r.size() && r[i] == u' ') RemoveAll(r, u' ');
  }
  return r;
}

std::vector<ChainLevel> BuildChain(WindowSystem& windows, Hwnd picked) {
  std::vector<ChainLevel> chain{{picked, windows.GetClassName(picked, kTextBufferSize)}};
  std::unordered_set<Hwnd> seen{picked};
  for (Hwnd p = windows.GetParent(picked); p != 0 && chain.size() < kMaxSteps;
       p = windows.GetParent(p)) {
    if (!seen.insert(p).second) break;
    chain.push_back({p, windows.GetClassName(p, kTextBufferSize)});
  }
  return chain;
}

std::u16string GenerateFinderCode(WindowSystem& windows, Hwnd picked) {
  if (!windows.IsWindow(picked)) return {};
  const std::vector<ChainLevel> chain = BuildChain(windows, picked);
  const std::size_t top = chain.size() - 1;
  std::vector<std::u16string> names;
  std::vector<std::u16string> display;
  for (const ChainLevel& level : chain) {
    names.push_back(MakeVariableName(Quoted(level.class_name)));
    display.push_back(names.back());
    RemoveAll(display.back(), u'"');
  }

  Preview preview;
  for (std::size_t j = 0; j <= top; ++j) {
    const ChainLevel& level = chain[j];
    const std::u16string quoted = Quoted(level.class_name);
    if (j == top) {
      preview.Prepend(display[j] + u"& = FindWindow(" + quoted + u", vbNullString)");
      continue;
    }
    // The children of its class under its parent (the next level up) that the searches of
    // the algorithm step through, in one request: the window is the m-th of them, met after
    // m - 1 stepping searches.
    const std::vector<Hwnd> same_class =
        windows.FindAllWindowsEx(chain[j + 1].handle, level.class_name);
    const auto at = std::find(same_class.begin(), same_class.end(), level.handle);
    if (at == same_class.end()) {
      // Not among them (an owned window, or one the search does not reach): found at the top.
      preview.Prepend(display[j] + u"& = FindWindow(" + quoted + u", vbNullString)");
      continue;
    }
    const auto steps = static_cast<std::size_t>(at - same_class.begin());
    const std::u16string& up = display[j + 1];
    preview.Prepend(display[j] + u"& = FindWindowEx(" + up + u"&, " + display[j] + u"&, " + quoted +
                        u", vbNullString)",
                    steps);
    preview.Prepend(display[j] + u"& = FindWindowEx(" + up + u"&, 0&, " + quoted +
                    u", vbNullString)");
  }

  // Of several levels with one name, only the highest-numbered keeps it for its Dim line.
  std::unordered_set<std::u16string> higher;
  for (std::size_t j = top + 1; j-- > 0;) {
    if (!higher.insert(names[j]).second) names[j].clear();
  }
  for (std::size_t j = 0; j <= top; ++j) {
    if (!Trimmed(names[j]).empty()) preview.Prepend(u"Dim " + display[j] + u" As Long");
  }
  return preview.Text();
}

bool InsertFinderCode(std::u16string_view preview, text::CodeBuffer& buffer,
                      codegen::InsertDeclarations& option, ui::Messenger& messenger) {
  if (preview.empty()) {
    messenger.Show(u"You have no code to insert!", ui::MessageIcon::kExclamation,
                   ui::MessageButtons::kOk);
    return false;
  }
  buffer.SetSelText(preview);
  if (option.IsOn()) {
    buffer.SetSelStart(0);
    codegen::EnsureDeclaration(buffer, kFindWindowKey, kFindWindowLine);
    codegen::EnsureDeclaration(buffer, kFindWindowExKey, kFindWindowExLine, codegen::Blank{});
  }
  option.Store();
  buffer.SetSelStart(buffer.Length());
  return true;
}

}  // namespace quillan::wintools
