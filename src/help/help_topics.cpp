#include "help/help_topics.h"

#include <algorithm>
#include <vector>

namespace quillan::help {

namespace {

// The lists as they stand in the window; sub-entries begin with four spaces.
constexpr std::u16string_view kContents[] = {
    u"New",
    u"Open",
    u"Save",
    u"Save As",
    u"Stay On Top",
    u"Cut",
    u"Copy",
    u"Paste",
    u"Delete",
    u"Select All",
    u"Find/Replace",
    u"API Spy",
    u"Window Spy",
    u"Code Generator",
    u"Color Spy",
    u"Get Icon From .exe",
    u"Preferences",
    u"If hWnd Is A...",
    u"Code Inserts",
    u"Code Presets",
    u"Dim All Variables",
};

constexpr std::u16string_view kIndex[] = {
    u"API Spy",
    u"Code Generator",
    u"Code Inserts",
    u"    Do While/Loop",
    u"    Do/Loop",
    u"    Do/Loop/Until",
    u"    For/Next",
    u"    If/Then",
    u"    If/Then/Else",
    u"    Loop Until Win...",
    u"    Loop Until Win...",
    u"    Pause",
    u"Code Presets",
    u"    Decrypt String",
    u"    Encrypt String",
    u"    Form Not Top",
    u"    Form On Top",
    u"    Load List",
    u"    Load Text",
    u"    Open URL In IE",
    u"    Run .exe",
    u"    Save List",
    u"    Save Text",
    u"Color Spy",
    u"Copy",
    u"Cut",
    u"Delete",
    u"Dim All Variables",
    u"Find/Replace",
    u"Get Icon From .exe",
    u"If hWnd Is A...",
    u"New",
    u"Open",
    u"Paste",
    u"Preferences",
    u"Save",
    u"Save As",
    u"Select All",
    u"Stay On Top",
    u"Window Spy",
    u"    Caption",
    u"    Close",
    u"    Disable",
    u"    Enable",
    u"    Hide",
    u"    Maximize",
    u"    Minimize",
    u"    Restore",
    u"    Show",
    u"    Text",
};

struct Topic {
  std::u16string_view key;
  std::u16string_view text;
};

// The descriptions both lookups share.
constexpr Topic kShared[] = {
    {u"new",
     u"Create a new Quillan Project. This will completely wipe out the current project, but you "
     u"will be prompted to save before continuing if you have made changes to the current "
     u"project."},
    {u"open",
     u"Open an existing Quillan Project. This will completely wipe out the current project, but "
     u"you will be prompted to save before continuing if you have made changes to the current "
     u"project."},
    {u"save",
     u"Save the current Quillan Project. This will save the project to the current file name of "
     u"the project."},
    {u"save as",
     u"Save the current Quillan Project. This will prompt for a new file name to save the project "
     u"under."},
    {u"stay on top",
     u"This feature will make Quillan the top window all the time. To change the setting, check or "
     u"uncheck the menu item."},
    {u"cut", u"Cut the selected text in your Quillan project to the clipboard."},
    {u"copy", u"Copy the selected text in your Quillan project to the clipboard."},
    {u"paste", u"Paste text from the clipboard to your Quillan project."},
    {u"delete", u"Delete the selected text in your Quillan project."},
    {u"select all", u"Select all text in your Quillan project."},
    {u"find/replace", u"Find or replace text in your Quillan project."},
    {u"api spy",
     u"Drag the cursor over a window to get the window's handle, text, and class, and get the "
     u"parent's handle, text, and class."},
    {u"code generator",
     u"Drag the cursor over a window to generate the code for that window. You can use the code "
     u"for the window to send messages to it or manipulate it."},
    {u"color spy",
     u"Drag the cursor over any window or part of your screen to get the color information from "
     u"it."},
    {u"get icon from .exe",
     u"Select a .exe file and the program will extract the large and small icons from it. You can "
     u"save the large or small icon."},
    {u"preferences",
     u"You can change the font, font size, font color, and background color of the editor to your "
     u"favorites. You can also choose to hide/show the toolbar."},
    {u"if hwnd is a...",
     u"These are different actions or manipulations to perform on the windows handle(hWnd). For "
     u"each different type of window (i.e. command button, label, list etc.) there are different "
     u"actions or manipulations that you can use."},
    {u"dim all variables",
     u"This will dim all the variables in your code. It will pick up Strings, Longs, Integers, "
     u"Singles, Doubles and Currency. Also if it is not one of those it will just do this: Dim "
     u"Variable, Variable represents the variable to be dimensioned."},
};

// The three group topics: a sentence and the lines of the group. The Contents shows both,
// the Index the sentence with the ending given.
struct Group {
  std::u16string_view key;
  std::u16string_view sentence;
  std::vector<std::u16string_view> lines;
  std::u16string_view index_ending;
};

const Group kGroups[] = {
    {u"window spy",
     u"Drag the cursor over a window to get the window's handle. Then you can manipulate the "
     u"window with different functions.",
     {u"Hide - Hides the window.", u"Show - Shows the window.",
      u"Caption - Shows you the caption and gives the option of changing it.",
      u"Text - Shows you the text and gives you the option of changing it.",
      u"Enable - Enables the window.", u"Disable - Disables the window.",
      u"Minimize - Minimizes the window.", u"Maximize - Maximizes the window.",
      u"Restore - Restores the window.", u"Close - Closes the window."},
     u"\r\n"},
    {u"code inserts",
     u"These are different types of statements to insert into your project. Also, there is Pause, "
     u"Loop Until Window Appears/Disappears.",
     {u"If/Then - Insert an If/Then statement.",
      u"If/Then/Else - Insert an If/Then/Else statement.", u"Do/Loop - Insert a Do/Loop statement.",
      u"Do/Loop Until - Insert a Do/Loop/Until statement.",
      u"Do While/Loop - Insert a Do While/Loop statement.",
      u"For/Next -  Insert a For/Next statement.", u"Pause - Insert a pause.",
      u"Loop Until Window Appears - Insert a loop that will continue looping until the window you "
      u"specify appears.",
      u"Loop Until Window Is Gone - Insert a loop that will continue looping until the window you "
      u"specify disappears."},
     u""},
    {u"code presets",
     u"These are different codes I added in as presets that you can use freely.",
     {u"Save Text - Insert a code to save text.", u"Load Text - Insert a code to load text.",
      u"Save List - Insert a code to save a list.", u"Load List - Insert a code to load a list.",
      u"Encrypt String - Insert a code to encrypt a string.",
      u"Decrypt String - Insert a code to decrypt a string. This code will only decrypt strings "
      u"encrypted with the preset code Encrypt String.",
      u"Run .exe - Insert a code to run an executable file.",
      u"Open URL In IE - Insert a code to open a URL in internet explorer.",
      u"Form On Top - Insert a code to set a form on top.",
      u"Form Not On Top - Insert a code to set a form not on top."},
     u"\r\n"},
};

// The Index's sub-entries.
constexpr Topic kIndexOnly[] = {
    {u"    hide",
     u"Hide - Hides the window. This is a window manipulation found in the Window Spy."},
    {u"    show",
     u"Show - Shows the window. This is a window manipulation found in the Window Spy."},
    {u"    caption",
     u"Caption - Shows you the caption and gives the option of changing it. This is a window "
     u"manipulation found in the Window Spy."},
    {u"    text",
     u"Text - Shows you the text and gives you the option of changing it. This is a window "
     u"manipulation found in the Window Spy."},
    {u"    enable",
     u"Enable - Enables the window. This is a window manipulation found in the Window Spy."},
    {u"    disable",
     u"Disable - Disables the window. This is a window manipulation found in the Window Spy."},
    {u"    minimize",
     u"Minimize - Minimizes the window. This is a window manipulation found in the Window Spy."},
    {u"    maximize",
     u"Maximize - Maximizes the window. This is a window manipulation found in the Window Spy."},
    {u"    restore",
     u"Restore - Restores the window. This is a window manipulation found in the Window Spy."},
    {u"    close",
     u"Close - Closes the window. This is a window manipulation found in the Window Spy."},
    {u"    if/then", u"If/Then - Insert an If/Then statement."},
    {u"    if/then/else", u"If/Then/Else - Insert an If/Then/Else statement."},
    {u"    do/loop", u"Do/Loop - Insert a Do/Loop statement."},
    {u"    do/loop/until", u"Do/Loop Until - Insert a Do/Loop/Until statement."},
    {u"    do while/loop", u"Do While/Loop - Insert a Do While/Loop statement."},
    {u"    for/next", u"For/Next -  Insert a For/Next statement."},
    {u"    pause", u"Pause - Insert a pause."},
    {u"    loop...win appear",
     u"Loop Until Window Appears - Insert a loop that will continue looping until the window you "
     u"specify appears."},
    {u"    loop...win gone",
     u"Loop Until Window Is Gone - Insert a loop that will continue looping until the window you "
     u"specify disappears."},
    {u"    save text", u"Save Text - Insert a code to save text."},
    {u"    load text", u"Load Text - Insert a code to load text."},
    {u"    save list", u"Save List - Insert a code to save a list."},
    {u"    load list", u"Load List - Insert a code to load a list."},
    {u"    encrypt string", u"Encrypt String - Insert a code to encrypt a string."},
    {u"    decrypt string",
     u"Decrypt String - Insert a code to decrypt a string. This code will only decrypt strings "
     u"encrypted with the preset code Encrypt String."},
    {u"    run .exe", u"Run .exe - Insert a code to run an executable file."},
    {u"    open url in ie", u"Open URL In IE - Insert a code to open a URL in internet explorer."},
    {u"    form on top", u"Form On Top - Insert a code to set a form on top."},
    {u"    form not top", u"Form Not On Top - Insert a code to set a form not on top."},
};

// Lower case the way the lists' texts need: they are ASCII.
std::u16string Lower(std::u16string_view s) {
  std::u16string out(s);
  for (char16_t& c : out) {
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  }
  return out;
}

std::optional<std::u16string> Shared(std::u16string_view key) {
  for (const Topic& t : kShared) {
    if (t.key == key) return std::u16string(t.text);
  }
  return std::nullopt;
}

const Group* GroupOf(std::u16string_view key) {
  for (const Group& g : kGroups) {
    if (g.key == key) return &g;
  }
  return nullptr;
}

// The Index lists "    Loop Until Win..." twice; the first stands for the loop until a
// window appears, the second for the loop until it is gone.
constexpr std::u16string_view kLoopEntry = u"    loop until win...";
constexpr std::size_t kFirstLoopEntry = 9;

}  // namespace

std::span<const std::u16string_view> ContentsEntries() { return kContents; }
std::span<const std::u16string_view> IndexEntries() { return kIndex; }

std::optional<std::u16string> ContentsDescription(std::size_t index) {
  if (index >= std::size(kContents)) return std::nullopt;
  const std::u16string key = Lower(kContents[index]);
  if (auto text = Shared(key)) return text;
  const Group* group = GroupOf(key);
  if (group == nullptr) return std::nullopt;
  std::u16string text(group->sentence);
  text += u"\r\n";
  for (std::u16string_view line : group->lines) {
    text += u"\r\n";
    text += line;
  }
  return text;
}

std::optional<std::u16string> IndexDescription(std::size_t index) {
  if (index >= std::size(kIndex)) return std::nullopt;
  std::u16string key = Lower(kIndex[index]);
  if (key == kLoopEntry) {
    key = index == kFirstLoopEntry ? u"    loop...win appear" : u"    loop...win gone";
  }
  if (auto text = Shared(key)) return text;
  if (const Group* group = GroupOf(key)) {
    return std::u16string(group->sentence) + std::u16string(group->index_ending);
  }
  for (const Topic& t : kIndexOnly) {
    if (t.key == key) return std::u16string(t.text);
  }
  return std::nullopt;
}

std::optional<std::size_t> SearchIndex(std::optional<std::size_t> selected,
                                       std::u16string_view text) {
  const std::u16string wanted = Lower(text);
  for (std::size_t i = selected ? *selected + 1 : 0; i < std::size(kIndex); ++i) {
    if (Lower(kIndex[i]).find(wanted) != std::u16string::npos) return i;
  }
  return std::nullopt;
}

std::u16string WelcomeText(std::u16string_view mail_address) {
  std::u16string text =
      u"Welcome to the Quillan help contents. This contains information on all features in "
      u"the application. If you have a question that the help contents doesn't answer then "
      u"feel free to email me: ";
  text += mail_address;
  text += u".\r\n";
  return text;
}

}  // namespace quillan::help
