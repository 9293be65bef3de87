#include "help/help_topics.h"

#include <gtest/gtest.h>

namespace quillan::help {
namespace {

// Every description of both lists, as the help window shows it, entry by entry.
struct Lookup {
  bool index;
  std::size_t entry;
  std::u16string_view text;
};
const Lookup kLookups[] = {
    {false, 0,
     u"Create a new Quillan Project. This will completely wipe out the current project, but you "
     u"will be prompted to save before continuing if you have made changes to the current "
     u"project."},
    {false, 1,
     u"Open an existing Quillan Project. This will completely wipe out the current project, but "
     u"you will be prompted to save before continuing if you have made changes to the current "
     u"project."},
    {false, 2,
     u"Save the current Quillan Project. This will save the project to the current file name of "
     u"the project."},
    {false, 3,
     u"Save the current Quillan Project. This will prompt for a new file name to save the project "
     u"under."},
    {false, 4,
     u"This feature will make Quillan the top window all the time. To change the setting, check or "
     u"uncheck the menu item."},
    {false, 5, u"Cut the selected text in your Quillan project to the clipboard."},
    {false, 6, u"Copy the selected text in your Quillan project to the clipboard."},
    {false, 7, u"Paste text from the clipboard to your Quillan project."},
    {false, 8, u"Delete the selected text in your Quillan project."},
    {false, 9, u"Select all text in your Quillan project."},
    {false, 10, u"Find or replace text in your Quillan project."},
    {false, 11,
     u"Drag the cursor over a window to get the window's handle, text, and class, and get the "
     u"parent's handle, text, and class."},
    {false, 12,
     u"Drag the cursor over a window to get the window's handle. Then you can manipulate the "
     u"window with different functions.\r\n\r\nHide - Hides the window.\r\nShow - Shows the "
     u"window.\r\nCaption - Shows you the caption and gives the option of changing it.\r\nText - "
     u"Shows you the text and gives you the option of changing it.\r\nEnable - Enables the "
     u"window.\r\nDisable - Disables the window.\r\nMinimize - Minimizes the window.\r\nMaximize - "
     u"Maximizes the window.\r\nRestore - Restores the window.\r\nClose - Closes the window."},
    {false, 13,
     u"Drag the cursor over a window to generate the code for that window. You can use the code "
     u"for the window to send messages to it or manipulate it."},
    {false, 14,
     u"Drag the cursor over any window or part of your screen to get the color information from "
     u"it."},
    {false, 15,
     u"Select a .exe file and the program will extract the large and small icons from it. You can "
     u"save the large or small icon."},
    {false, 16,
     u"You can change the font, font size, font color, and background color of the editor to your "
     u"favorites. You can also choose to hide/show the toolbar."},
    {false, 17,
     u"These are different actions or manipulations to perform on the windows handle(hWnd). For "
     u"each different type of window (i.e. command button, label, list etc.) there are different "
     u"actions or manipulations that you can use."},
    {false, 18,
     u"These are different types of statements to insert into your project. Also, there is Pause, "
     u"Loop Until Window Appears/Disappears.\r\n\r\nIf/Then - Insert an If/Then "
     u"statement.\r\nIf/Then/Else - Insert an If/Then/Else statement.\r\nDo/Loop - Insert a "
     u"Do/Loop statement.\r\nDo/Loop Until - Insert a Do/Loop/Until statement.\r\nDo While/Loop - "
     u"Insert a Do While/Loop statement.\r\nFor/Next -  Insert a For/Next statement.\r\nPause - "
     u"Insert a pause.\r\nLoop Until Window Appears - Insert a loop that will continue looping "
     u"until the window you specify appears.\r\nLoop Until Window Is Gone - Insert a loop that "
     u"will continue looping until the window you specify disappears."},
    {false, 19,
     u"These are different codes I added in as presets that you can use freely.\r\n\r\nSave Text - "
     u"Insert a code to save text.\r\nLoad Text - Insert a code to load text.\r\nSave List - "
     u"Insert a code to save a list.\r\nLoad List - Insert a code to load a list.\r\nEncrypt "
     u"String - Insert a code to encrypt a string.\r\nDecrypt String - Insert a code to decrypt a "
     u"string. This code will only decrypt strings encrypted with the preset code Encrypt "
     u"String.\r\nRun .exe - Insert a code to run an executable file.\r\nOpen URL In IE - Insert a "
     u"code to open a URL in internet explorer.\r\nForm On Top - Insert a code to set a form on "
     u"top.\r\nForm Not On Top - Insert a code to set a form not on top."},
    {false, 20,
     u"This will dim all the variables in your code. It will pick up Strings, Longs, Integers, "
     u"Singles, Doubles and Currency. Also if it is not one of those it will just do this: Dim "
     u"Variable, Variable represents the variable to be dimensioned."},
    {true, 0,
     u"Drag the cursor over a window to get the window's handle, text, and class, and get the "
     u"parent's handle, text, and class."},
    {true, 1,
     u"Drag the cursor over a window to generate the code for that window. You can use the code "
     u"for the window to send messages to it or manipulate it."},
    {true, 2,
     u"These are different types of statements to insert into your project. Also, there is Pause, "
     u"Loop Until Window Appears/Disappears."},
    {true, 3, u"Do While/Loop - Insert a Do While/Loop statement."},
    {true, 4, u"Do/Loop - Insert a Do/Loop statement."},
    {true, 5, u"Do/Loop Until - Insert a Do/Loop/Until statement."},
    {true, 6, u"For/Next -  Insert a For/Next statement."},
    {true, 7, u"If/Then - Insert an If/Then statement."},
    {true, 8, u"If/Then/Else - Insert an If/Then/Else statement."},
    {true, 9,
     u"Loop Until Window Appears - Insert a loop that will continue looping until the window you "
     u"specify appears."},
    {true, 10,
     u"Loop Until Window Is Gone - Insert a loop that will continue looping until the window you "
     u"specify disappears."},
    {true, 11, u"Pause - Insert a pause."},
    {true, 12, u"These are different codes I added in as presets that you can use freely.\r\n"},
    {true, 13,
     u"Decrypt String - Insert a code to decrypt a string. This code will only decrypt strings "
     u"encrypted with the preset code Encrypt String."},
    {true, 14, u"Encrypt String - Insert a code to encrypt a string."},
    {true, 15, u"Form Not On Top - Insert a code to set a form not on top."},
    {true, 16, u"Form On Top - Insert a code to set a form on top."},
    {true, 17, u"Load List - Insert a code to load a list."},
    {true, 18, u"Load Text - Insert a code to load text."},
    {true, 19, u"Open URL In IE - Insert a code to open a URL in internet explorer."},
    {true, 20, u"Run .exe - Insert a code to run an executable file."},
    {true, 21, u"Save List - Insert a code to save a list."},
    {true, 22, u"Save Text - Insert a code to save text."},
    {true, 23,
     u"Drag the cursor over any window or part of your screen to get the color information from "
     u"it."},
    {true, 24, u"Copy the selected text in your Quillan project to the clipboard."},
    {true, 25, u"Cut the selected text in your Quillan project to the clipboard."},
    {true, 26, u"Delete the selected text in your Quillan project."},
    {true, 27,
     u"This will dim all the variables in your code. It will pick up Strings, Longs, Integers, "
     u"Singles, Doubles and Currency. Also if it is not one of those it will just do this: Dim "
     u"Variable, Variable represents the variable to be dimensioned."},
    {true, 28, u"Find or replace text in your Quillan project."},
    {true, 29,
     u"Select a .exe file and the program will extract the large and small icons from it. You can "
     u"save the large or small icon."},
    {true, 30,
     u"These are different actions or manipulations to perform on the windows handle(hWnd). For "
     u"each different type of window (i.e. command button, label, list etc.) there are different "
     u"actions or manipulations that you can use."},
    {true, 31,
     u"Create a new Quillan Project. This will completely wipe out the current project, but you "
     u"will be prompted to save before continuing if you have made changes to the current "
     u"project."},
    {true, 32,
     u"Open an existing Quillan Project. This will completely wipe out the current project, but "
     u"you will be prompted to save before continuing if you have made changes to the current "
     u"project."},
    {true, 33, u"Paste text from the clipboard to your Quillan project."},
    {true, 34,
     u"You can change the font, font size, font color, and background color of the editor to your "
     u"favorites. You can also choose to hide/show the toolbar."},
    {true, 35,
     u"Save the current Quillan Project. This will save the project to the current file name of "
     u"the project."},
    {true, 36,
     u"Save the current Quillan Project. This will prompt for a new file name to save the project "
     u"under."},
    {true, 37, u"Select all text in your Quillan project."},
    {true, 38,
     u"This feature will make Quillan the top window all the time. To change the setting, check or "
     u"uncheck the menu item."},
    {true, 39,
     u"Drag the cursor over a window to get the window's handle. Then you can manipulate the "
     u"window with different functions.\r\n"},
    {true, 40,
     u"Caption - Shows you the caption and gives the option of changing it. This is a window "
     u"manipulation found in the Window Spy."},
    {true, 41,
     u"Close - Closes the window. This is a window manipulation found in the Window Spy."},
    {true, 42,
     u"Disable - Disables the window. This is a window manipulation found in the Window Spy."},
    {true, 43,
     u"Enable - Enables the window. This is a window manipulation found in the Window Spy."},
    {true, 44, u"Hide - Hides the window. This is a window manipulation found in the Window Spy."},
    {true, 45,
     u"Maximize - Maximizes the window. This is a window manipulation found in the Window Spy."},
    {true, 46,
     u"Minimize - Minimizes the window. This is a window manipulation found in the Window Spy."},
    {true, 47,
     u"Restore - Restores the window. This is a window manipulation found in the Window Spy."},
    {true, 48, u"Show - Shows the window. This is a window manipulation found in the Window Spy."},
    {true, 49,
     u"Text - Shows you the text and gives you the option of changing it. This is a window "
     u"manipulation found in the Window Spy."},
};

TEST(HelpTopics, EveryEntryOfBothListsShowsItsDescription) {
  ASSERT_EQ(ContentsEntries().size(), 21u);
  ASSERT_EQ(IndexEntries().size(), 50u);
  ASSERT_EQ(std::size(kLookups), 71u);
  for (const Lookup& l : kLookups) {
    const auto text = l.index ? IndexDescription(l.entry) : ContentsDescription(l.entry);
    ASSERT_TRUE(text) << l.index << " " << l.entry;
    EXPECT_TRUE(*text == l.text) << l.index << " " << l.entry;
  }
  EXPECT_FALSE(ContentsDescription(21));
  EXPECT_EQ(IndexEntries()[9], u"    Loop Until Win...");
  EXPECT_EQ(IndexEntries()[10], u"    Loop Until Win...");
}

TEST(HelpTopics, SearchWalksForwardAndStopsAtTheEnd) {
  // "spy" from nothing selected: API Spy, Color Spy, Window Spy, then nothing more.
  std::optional<std::size_t> at;
  std::vector<std::u16string_view> found;
  while ((at = SearchIndex(at, u"SPY"))) found.push_back(IndexEntries()[*at]);
  EXPECT_EQ(found, (std::vector<std::u16string_view>{u"API Spy", u"Color Spy", u"Window Spy"}));
  EXPECT_EQ(SearchIndex(std::nullopt, u""), 0u);
  EXPECT_EQ(SearchIndex(3, u""), 4u);
  EXPECT_FALSE(SearchIndex(49, u""));
  EXPECT_TRUE(WelcomeText(u"a@b").ends_with(u"feel free to email me: a@b.\r\n"));
}

}  // namespace
}  // namespace quillan::help
