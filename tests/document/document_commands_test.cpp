#include "document/document_commands.h"

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <vector>

#include "document/find_replace.h"
#include "support/recorders.h"
#include "text/string_code_buffer.h"

namespace quillan::document {
namespace {

using ui::MessageAnswer;
using ui::MessageButtons;
using ui::MessageIcon;

using testing_support::RecordingMessenger;
using testing_support::ScriptedChooser;

// Files in memory. A file's stamp is its size and a count of its writes, which another
// program's change bumps too, unless it keeps the stamp (`ChangeKeepingStamp`).
struct MemoryFiles : FileStore {
  std::map<std::u16string, std::string> files;
  std::map<std::u16string, std::int64_t> writes;
  std::map<std::u16string, std::u16string> write_errors;
  bool racy = false;
  ReadResult Read(std::u16string_view path) override {
    ReadResult r;
    auto it = files.find(std::u16string(path));
    if (it == files.end()) {
      r.error = u"No such file or directory";
    } else {
      r.bytes = it->second;
      r.stamp = *Stamp(path);
    }
    return r;
  }
  std::optional<std::u16string> Write(std::u16string_view path, std::string_view bytes) override {
    auto err = write_errors.find(std::u16string(path));
    if (err != write_errors.end()) return err->second;
    files[std::u16string(path)] = std::string(bytes);
    ++writes[std::u16string(path)];
    return std::nullopt;
  }
  std::optional<FileStamp> Stamp(std::u16string_view path) override {
    auto it = files.find(std::u16string(path));
    if (it == files.end()) return std::nullopt;
    return FileStamp{1, 1, it->second.size(), writes[it->first], racy};
  }
  char16_t PathSeparator() const override { return u'/'; }
  void ChangeKeepingStamp(const std::u16string& path, std::string bytes) {
    files[path] = std::move(bytes);
  }
};

class DocumentCommands : public testing::Test {
 protected:
  DocumentCommands() {
    buffer.SetChangeListener([this] { doc.TextChanged(); });
  }
  DocumentContext ctx() { return {buffer, doc, messenger, chooser, files}; }
  void Type(std::u16string_view s) {
    buffer.SetSelStart(buffer.Length());
    buffer.SetSelText(s);
  }

  text::StringCodeBuffer buffer;
  Document doc;
  RecordingMessenger messenger;
  ScriptedChooser chooser;
  MemoryFiles files;
};

TEST_F(DocumentCommands, UnmodifiedDocumentIsNeverAskedAbout) {
  auto c = ctx();
  New(c);
  EXPECT_TRUE(messenger.shown.empty());
  EXPECT_TRUE(ConfirmDiscardChanges(doc, messenger, u'/'));
  EXPECT_TRUE(messenger.shown.empty());
}

TEST_F(DocumentCommands, DiscardQuestionNamesTheDocumentAndNoAbandons) {
  Type(u"x = 1");
  EXPECT_EQ(doc.changed(), u"yes");
  messenger.answers = {MessageAnswer::kNo};
  auto c = ctx();
  New(c);
  ASSERT_EQ(messenger.shown.size(), 1u);
  EXPECT_EQ(messenger.shown[0].text,
            u"You have made changes to Untitled do you want to continue without saving?");
  EXPECT_EQ(messenger.shown[0].icon, MessageIcon::kCritical);
  EXPECT_EQ(messenger.shown[0].buttons, MessageButtons::kYesNo);
  EXPECT_EQ(messenger.shown[0].title, u"Quillan");
  EXPECT_EQ(buffer.Text(), u"x = 1");
  EXPECT_EQ(doc.changed(), u"yes");
}

TEST_F(DocumentCommands, SaveAsThenOpenRoundTripsAndSetsTitleAndPath) {
  Type(u"abc");
  chooser.answers = {u"/p/demo.qlp"};
  auto c = ctx();
  SaveAs(c);
  EXPECT_EQ(chooser.titles[0], u"Save Quillan Project");
  EXPECT_EQ(chooser.filters[0], u"Quillan Project(*.QLP)|*.qlp|");
  EXPECT_EQ(files.files[u"/p/demo.qlp"], "abc\r\n");
  EXPECT_EQ(doc.title(), u"Quillan - [demo.qlp]");
  EXPECT_EQ(doc.path(), u"/p/demo.qlp");
  EXPECT_EQ(doc.changed(), u"no");

  // The next Save writes the same file without a dialog.
  Type(u"d");
  Save(c);
  EXPECT_EQ(chooser.titles.size(), 1u);
  EXPECT_EQ(files.files[u"/p/demo.qlp"], "abcd\r\n");

  // Opening gives the text back without the appended line end, unmodified.
  chooser.answers = {u"/p/demo.qlp"};
  Open(c);
  EXPECT_EQ(chooser.titles[1], u"Open Quillan Project");
  EXPECT_EQ(chooser.filters[1], u"Quillan Projects(*.QLP)|*.qlp|");
  EXPECT_EQ(buffer.Text(), u"abcd");
  EXPECT_EQ(buffer.SelStart(), 0u);
  EXPECT_EQ(doc.changed(), u"no");
  Save(c);
  EXPECT_EQ(files.files[u"/p/demo.qlp"], "abcd\r\n");
}

TEST_F(DocumentCommands, NewMakesTheDocumentUntitledSoSaveCannotOverwriteTheOldFile) {
  files.files[u"/p/demo.qlp"] = "old\r\n";
  chooser.answers = {u"/p/demo.qlp"};
  auto c = ctx();
  Open(c);
  New(c);
  EXPECT_EQ(buffer.Text(), u"");
  EXPECT_EQ(doc.title(), u"Quillan - [Untitled]");
  EXPECT_EQ(doc.path(), u"");
  Type(u"new");
  Save(c);  // asks for a name; cancelled
  EXPECT_EQ(chooser.titles.back(), u"Save Quillan Project");
  EXPECT_EQ(files.files[u"/p/demo.qlp"], "old\r\n");
  EXPECT_EQ(doc.changed(), u"yes");
}

TEST_F(DocumentCommands, CancelledDialogsChangeNothing) {
  Type(u"keep");
  messenger.answers = {MessageAnswer::kYes};
  auto c = ctx();
  Open(c);  // discard answered Yes, then the dialog is cancelled
  SaveAs(c);
  EXPECT_EQ(buffer.Text(), u"keep");
  EXPECT_EQ(doc.changed(), u"yes");
  EXPECT_EQ(doc.title(), u"Quillan - [Untitled]");
  EXPECT_EQ(messenger.shown.size(), 1u);
  EXPECT_TRUE(files.files.empty());
}

TEST_F(DocumentCommands, FailedSaveReportsAndLeavesEverythingAsItWas) {
  files.files[u"/ro/demo.qlp"] = "old\r\n";
  chooser.answers = {u"/ro/demo.qlp"};
  auto c = ctx();
  Open(c);
  Type(u" edited");
  files.write_errors[u"/ro/demo.qlp"] = u"Permission denied";
  Save(c);
  ASSERT_EQ(messenger.shown.size(), 1u);
  EXPECT_EQ(messenger.shown[0].text, u"\"/ro/demo.qlp\": Permission denied.");
  EXPECT_EQ(messenger.shown[0].icon, MessageIcon::kCritical);
  EXPECT_EQ(messenger.shown[0].title, u"Quillan");
  EXPECT_EQ(files.files[u"/ro/demo.qlp"], "old\r\n");
  EXPECT_EQ(doc.changed(), u"yes");

  // Save As to a failing place keeps the old title and path.
  files.write_errors[u"/full/x.qlp"] = u"No space left on device";
  chooser.answers = {u"/full/x.qlp"};
  SaveAs(c);
  EXPECT_EQ(messenger.shown.back().text, u"\"/full/x.qlp\": No space left on device.");
  EXPECT_EQ(doc.title(), u"Quillan - [demo.qlp]");
  EXPECT_EQ(doc.path(), u"/ro/demo.qlp");
  EXPECT_EQ(doc.changed(), u"yes");
}

TEST_F(DocumentCommands, FailedOpenReportsAndKeepsTheDocument) {
  Type(u"mine");
  messenger.answers = {MessageAnswer::kYes};
  chooser.answers = {u"/p/missing.qlp"};
  auto c = ctx();
  Open(c);
  EXPECT_EQ(messenger.shown.back().text, u"\"/p/missing.qlp\": No such file or directory.");
  EXPECT_EQ(buffer.Text(), u"mine");
  EXPECT_EQ(doc.changed(), u"yes");
  EXPECT_EQ(doc.path(), u"");
}

TEST_F(DocumentCommands, PathWithoutSeparatorGivesEmptyBracketsAndSaveAsksForAName) {
  files.files[u"bare.qlp"] = "x\r\n";
  auto c = ctx();
  ASSERT_TRUE(LoadProject(c, u"bare.qlp"));
  EXPECT_EQ(doc.title(), u"Quillan - []");
  Save(c);
  EXPECT_EQ(chooser.titles.size(), 1u);
}

TEST_F(DocumentCommands, Windows1252ProjectThatGainsAForeignCharacterIsSavedAsUtf8AndSaysSo) {
  files.files[u"/p/old.qlp"] = "caf\xE9\r\n";
  auto c = ctx();
  ASSERT_TRUE(LoadProject(c, u"/p/old.qlp"));
  EXPECT_EQ(buffer.Text(), u"caf\u00E9");
  Save(c);
  EXPECT_EQ(files.files[u"/p/old.qlp"], "caf\xE9\r\n");
  EXPECT_TRUE(messenger.shown.empty());
  Type(u"\u0416");
  Save(c);
  EXPECT_EQ(files.files[u"/p/old.qlp"], "caf\xC3\xA9\xD0\x96\r\n");
  ASSERT_EQ(messenger.shown.size(), 1u);
  EXPECT_EQ(messenger.shown[0].icon, MessageIcon::kInformation);
  EXPECT_EQ(doc.encoding(), Encoding::kUtf8);
}

TEST_F(DocumentCommands, SaveAsksBeforeOverwritingAnotherProgramsChange) {
  const std::u16string path = u"/p/demo.qlp";
  const std::u16string question =
      u"The file \"/p/demo.qlp\" has been changed by another program since it was opened. Do "
      u"you want to overwrite it?";
  files.files[path] = "mine\r\n";
  auto c = ctx();
  ASSERT_TRUE(LoadProject(c, path));
  Type(u" edited");
  // Its stamp changed: No leaves both the file and the document.
  files.files[path] = "theirs\r\n";
  ++files.writes[path];
  messenger.answers = {MessageAnswer::kNo};
  Save(c);
  ASSERT_EQ(messenger.shown.size(), 1u);
  EXPECT_EQ(messenger.shown[0].text, question);
  EXPECT_EQ(messenger.shown[0].buttons, MessageButtons::kYesNo);
  EXPECT_EQ(files.files[path], "theirs\r\n");
  EXPECT_EQ(doc.changed(), u"yes");
  // Yes overwrites, and what was saved is the new reference: the next Save does not ask.
  messenger.answers = {MessageAnswer::kYes};
  Save(c);
  EXPECT_EQ(files.files[path], "mine edited\r\n");
  EXPECT_EQ(doc.changed(), u"no");
  Save(c);
  EXPECT_EQ(messenger.shown.size(), 2u);
  // Where the stamp cannot tell (changed within the clock's tick), the content does.
  files.racy = true;
  Save(c);
  EXPECT_EQ(messenger.shown.size(), 2u);
  files.ChangeKeepingStamp(path, "THEIRS edited\r\n");
  messenger.answers = {MessageAnswer::kNo};
  Save(c);
  EXPECT_EQ(messenger.shown.size(), 3u);
  EXPECT_EQ(files.files[path], "THEIRS edited\r\n");
  // Save As onto another file does not ask; a file that is gone is simply written again.
  chooser.answers = {u"/p/other.qlp"};
  SaveAs(c);
  files.files.erase(u"/p/other.qlp");
  Save(c);
  EXPECT_EQ(messenger.shown.size(), 3u);
  EXPECT_EQ(files.files[u"/p/other.qlp"], "mine edited\r\n");
}

}  // namespace
}  // namespace quillan::document

namespace quillan::document {
namespace {

// A line longer than the editor takes is refused whole, by opening or by Replace All, and
// says so; a line within the limit, however it arises, is not.
TEST_F(DocumentCommands, LinesTooLongForTheEditorAreRefusedWithoutLoss) {
  Type(u"mine");
  files.files[u"/p/long.qlp"] = "x\r\n" + std::string(text::kMaxLineLength + 1, 'y') + "\r\n";
  files.files[u"/p/edge.qlp"] = std::string(text::kMaxLineLength, 'y') + "\r\n";
  auto c = ctx();
  EXPECT_FALSE(LoadProject(c, u"/p/long.qlp"));
  EXPECT_EQ(messenger.shown.back().text,
            u"\"/p/long.qlp\" was not opened: it would make a line of 1,000,001 characters, and "
            u"the editor shows lines of up to 1,000,000 characters without holding up the "
            u"window.");
  EXPECT_EQ(buffer.Text(), u"mine");
  EXPECT_TRUE(LoadProject(c, u"/p/edge.qlp"));

  // Two occurrences on one line, each made half a million characters long, would pass the
  // limit; on separate lines they do not.
  FindReplace engine;
  buffer.SetText(u"a a\r\na");
  const std::u16string half(text::kMaxLineLength / 2, u'z');
  EXPECT_EQ(engine.ReplaceAll(buffer, messenger, u"a", half), 0u);
  EXPECT_TRUE(messenger.shown.back().text.starts_with(
      u"Nothing was replaced: it would make a line of 1,000,001 characters"));
  EXPECT_EQ(buffer.Text(), u"a a\r\na");
  buffer.SetText(u"a\r\na");
  EXPECT_EQ(engine.ReplaceAll(buffer, messenger, u"a", half), 2u);
  EXPECT_EQ(text::LongestLine(buffer.Text()), half.size());
}

// A recovery copy comes back as the document it was, still unsaved; one the editor cannot
// take leaves the document alone.
TEST_F(DocumentCommands, RecoveryCopyRestoresTheUnsavedDocument) {
  RecoveryCopy copy;
  copy.info.path = u"/p/demo.qlp";
  copy.info.encoding = Encoding::kWindows1252;
  copy.info.disk = Document::DiskState{FileStamp{1, 2, 3, 4, false}, 5};
  copy.text = "a\r\n\xC3\xA9";
  auto c = ctx();
  ASSERT_TRUE(RestoreRecoveryCopy(c, copy));
  EXPECT_EQ(buffer.Text(), u"a\r\n\u00E9");
  EXPECT_EQ(doc.path(), u"/p/demo.qlp");
  EXPECT_EQ(doc.title(), u"Quillan - [demo.qlp]");
  EXPECT_EQ(doc.encoding(), Encoding::kWindows1252);
  EXPECT_EQ(doc.changed(), u"yes");
  ASSERT_TRUE(doc.disk_state());
  EXPECT_EQ(doc.disk_state()->content_hash, 5u);

  // Untitled, with line ends and bytes the editor would not hold as they are.
  copy.info = RecoveryInfo{};
  copy.text = "x\ny\xFF";
  ASSERT_TRUE(RestoreRecoveryCopy(c, copy));
  EXPECT_EQ(buffer.Text(), u"x\r\ny\uFFFD");
  EXPECT_EQ(doc.title(), u"Quillan - [Untitled]");
  EXPECT_FALSE(doc.disk_state());

  const std::string long_line(text::kMaxLineLength + 1, 'y');
  copy.text = long_line;
  EXPECT_FALSE(RestoreRecoveryCopy(c, copy));
  EXPECT_TRUE(messenger.shown.back().text.starts_with(
      u"The unsaved work of \"Untitled\" was not restored: it would make a line of 1,000,001"));
  EXPECT_EQ(buffer.Text(), u"x\r\ny\uFFFD");
}

}  // namespace
}  // namespace quillan::document
