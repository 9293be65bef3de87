#include "gui/widgets/editor_buffer.h"

#include <QTest>
#include <random>

#include "gui/widgets/code_editor.h"
#include "gui/widgets/qt_convert.h"
#include "support/gui_test_main.h"
#include "text/string_code_buffer.h"
#include "text/vb_string.h"

using quillan::gui::CodeEditor;
using quillan::gui::EditorBuffer;
using Sci = QsciScintillaBase;
using quillan::gui::ToQString;

// The editor adapter must behave exactly like the string buffer: CR LF counts two
// characters, the caret rules hold, and a command is one undo step.
class EditorBufferTest : public QObject {
  Q_OBJECT

 private slots:
  void offsetsCountCrLfAsTwoCharacters() {
    CodeEditor edit;
    EditorBuffer b(&edit);
    b.SetText(u"ab\r\ncd\r\n");
    QCOMPARE(edit.lines(), 3);
    QCOMPARE(b.Length(), std::size_t{8});
    QVERIFY(b.Text() == u"ab\r\ncd\r\n");
    b.SetSelStart(4);  // the start of "cd"
    QCOMPARE(b.SelStart(), std::size_t{4});
    b.SetSelLength(2);
    QVERIFY(b.SelText() == u"cd");
    b.SetSelStart(1);
    b.SetSelLength(4);
    QVERIFY(b.SelText() == u"b\r\nc");
    // An offset between CR and LF counts as the end of its line.
    b.SetSelStart(3);
    QCOMPARE(b.SelStart(), std::size_t{2});
    b.SetSelStart(999);
    QCOMPARE(b.SelStart(), std::size_t{8});
    QCOMPARE(b.SelLength(), std::size_t{0});
    // Offsets are UTF-16 units however many bytes the editor needs: a pair of surrogates is
    // two, a lone one becomes U+FFFD, and NUL characters are text like any other.
    b.SetText(std::u16string(u"\u00e9\U0001F600\0x\xD800y", 7));
    QCOMPARE(b.Length(), std::size_t{7});
    QVERIFY(b.Text() == std::u16string(u"\u00e9\U0001F600\0x\uFFFDy", 7));
    b.SetSelStart(3);
    QCOMPARE(edit.Send(Sci::SCI_GETCURRENTPOS), 6L);
    b.SetSelLength(2);
    QVERIFY(b.SelText() == std::u16string(u"\0x", 2));
    b.SetSelText(std::u16string(u"\0\0", 2));
    QCOMPARE(b.SelStart(), std::size_t{5});
    QVERIFY(b.Text() == std::u16string(u"\u00e9\U0001F600\0\0\uFFFDy", 7));
    // Only CR and LF end lines: the Unicode separators and noncharacters are text.
    b.SetText(u"a\u2029b\uFDD0c\uFDD1d\u2028");
    QCOMPARE(edit.lines(), 1);
    QVERIFY(b.Text() == u"a\u2029b\uFDD0c\uFDD1d\u2028");
  }

  void aLargeTextGoesInWholeWhereverItsPiecesEnd() {
    // A text goes in piece by piece; a piece boundary falls inside a CR LF, a character of
    // three bytes and a pair of surrogates here, in the UTF-16 and the UTF-8 form.
    constexpr std::size_t first = EditorBuffer::kFirstPieceUnits;
    constexpr std::size_t second = first - 1 + EditorBuffer::kPieceUnits;
    std::u16string text(first - 1, u'a');
    text += u"\r\n\u20AC";
    text.resize(second - 1, u'b');
    text += u"\U0001F600\r\nEnd Sub";
    std::string utf8(first - 1, 'a');
    utf8 += "\u20AC\r\n";
    utf8.resize(second - 1, 'b');
    utf8 += "\r\n\U0001F600 End Sub";
    CodeEditor edit;
    EditorBuffer b(&edit);
    for (const bool from_utf8 : {false, true}) {
      if (from_utf8) {
        b.SetTextUtf8(utf8);
      } else {
        b.SetText(text);
      }
      const std::u16string expected = from_utf8 ? quillan::text::FromUtf8(utf8) : text;
      QVERIFY(b.Text() == expected);
      QCOMPARE(edit.lines(), 3);
      QVERIFY(!edit.isUndoAvailable());
      // The caret is at the start, and typing there goes in front of it all.
      QCOMPARE(b.SelStart(), std::size_t{0});
      b.SetSelText(u"x");
      QVERIFY(b.Text() == u"x" + expected);
    }
  }

  void selTextReplacesAndLeavesTheCaretBehind() {
    CodeEditor edit;
    EditorBuffer b(&edit);
    b.SetText(u"x = 1");
    b.SetSelStart(0);
    b.SetSelText(u"Dim x\r\n");
    QVERIFY(b.Text() == u"Dim x\r\nx = 1");
    QCOMPARE(b.SelStart(), std::size_t{7});
    // Lone line ends typed or pasted become CR LF.
    b.SetSelStart(b.Length());
    b.SetSelText(u"\na\rb");
    QVERIFY(b.Text() == u"Dim x\r\nx = 1\r\na\r\nb");
  }

  void aCommandIsOneUndoStepAndReadsItsOwnWrites() {
    CodeEditor edit;
    EditorBuffer b(&edit);
    b.SetText(u"start");
    {
      EditorBuffer::Command command(b);
      b.SetSelStart(b.Length());
      b.SetSelText(u"\r\nCall ShowWindow(w, SW_SHOW)\r\n");
      QVERIFY(b.Text().find(u"ShowWindow") != std::u16string::npos);
      b.SetSelStart(0);
      b.SetSelText(u"Public Const SW_SHOW = 5\r\n");
      QCOMPARE(b.SelStart(), std::size_t{26});
    }
    QCOMPARE(edit.Send(Sci::SCI_GETCURRENTPOS), 26L);
    QVERIFY(b.Text() == u"Public Const SW_SHOW = 5\r\nstart\r\nCall ShowWindow(w, SW_SHOW)\r\n");
    edit.undo();
    QVERIFY(b.Text() == u"start");
  }

  void replacingRangesIsOneUndoStep() {
    CodeEditor edit;
    EditorBuffer b(&edit);
    b.SetText(u"ab\r\nab\r\nb");
    const std::size_t starts[] = {1, 5, 8};
    b.ReplaceRanges(starts, 1, u"\r\nc");
    QVERIFY(b.Text() == u"a\r\nc\r\na\r\nc\r\n\r\nc");
    QCOMPARE(b.SelStart(), std::size_t{0});
    edit.undo();
    QVERIFY(b.Text() == u"ab\r\nab\r\nb");
  }

  void aCommandThatChangesNothingReportsNoChange() {
    CodeEditor edit;
    EditorBuffer b(&edit);
    b.SetText(u"keep");
    int changes = 0;
    connect(&edit, &CodeEditor::Changed, this, [&changes] { ++changes; });
    {
      EditorBuffer::Command command(b);
      b.SetSelStart(2);
      QVERIFY(b.Text() == u"keep");
    }
    QCOMPARE(changes, 0);
    QVERIFY(!edit.isUndoAvailable());
  }

  void randomEditsInsideACommandMatchTheStringBuffer() {
    static const std::u16string kPieces[] = {u"",       u"a",  u"\r\n",
                                             u"x\r\ny", u"\n", u"Dim q\r\n\r\n"};
    std::mt19937 rng(7);
    CodeEditor edit;
    EditorBuffer b(&edit);
    quillan::text::StringCodeBuffer mirror;
    for (int round = 0; round < 100; ++round) {
      b.SetText(u"one\r\ntwo\r\nthree");
      mirror.SetText(u"one\r\ntwo\r\nthree");
      EditorBuffer::Command command(b);
      for (int step = 0; step < 30; ++step) {
        // Offsets are chosen away from the middle of a CR LF pair, as the primitives do.
        std::size_t pos = rng() % (mirror.Length() + 1);
        while (pos > 0 && pos < mirror.Length() && mirror.Text()[pos] == u'\n') --pos;
        std::size_t len = rng() % 4;
        std::size_t end = std::min(pos + len, mirror.Length());
        while (end < mirror.Length() && end > 0 && mirror.Text()[end] == u'\n') ++end;
        const std::u16string& piece = kPieces[rng() % std::size(kPieces)];
        std::u16string normalized = piece == u"\n" ? u"\r\n" : piece;
        b.SetSelStart(pos);
        b.SetSelLength(end - pos);
        mirror.SetSelStart(pos);
        mirror.SetSelLength(end - pos);
        QCOMPARE(b.SelText() == mirror.SelText(), true);
        if (step % 10 == 9) {
          // Every "a" at once, as Replace All does.
          std::vector<std::size_t> starts;
          for (auto at = mirror.Text().find(u'a'); at != std::u16string::npos;
               at = mirror.Text().find(u'a', at + 1)) {
            starts.push_back(at);
          }
          b.ReplaceRanges(starts, 1, piece);
          mirror.ReplaceRanges(starts, 1, normalized);
        } else {
          b.SetSelText(piece);
          mirror.SetSelText(normalized);
        }
        QVERIFY2(b.Text() == mirror.Text(),
                 qPrintable(QString("round %1 step %2").arg(round).arg(step)));
        QCOMPARE(b.SelStart(), mirror.SelStart());
        QCOMPARE(b.Length(), mirror.Length());
      }
    }
  }

  void editsMadeOutsideTheBufferKeepItsTextCurrent() {
    // Typing, pasting, undo and Scintilla's own commands change the text behind the buffer's
    // back; its text must still match the editor after each of them.
    static const char* const kPieces[] = {
        "", "a", "\r\n", "x\r\ny", "Dim q\r\n\r\n", "\u00e9\U0001F600"};
    std::mt19937 rng(11);
    CodeEditor edit;
    EditorBuffer b(&edit);
    b.SetText(u"one\r\ntwo\r\nthree");
    b.Text();
    auto random_position = [&] { return b.ToEditorPosition(rng() % (b.Length() + 1)); };
    for (int step = 0; step < 400; ++step) {
      const int kind = static_cast<int>(rng() % 10);
      if (kind == 0 && edit.isUndoAvailable()) {
        edit.undo();
      } else if (kind == 1 && edit.isRedoAvailable()) {
        edit.redo();
      } else if (kind == 2) {
        // Several edits in one undo action.
        edit.Send(Sci::SCI_BEGINUNDOACTION);
        for (int i = 0; i < 3; ++i) {
          edit.SendScintilla(Sci::SCI_INSERTTEXT, static_cast<uintptr_t>(random_position()),
                             kPieces[rng() % std::size(kPieces)]);
        }
        edit.Send(Sci::SCI_ENDUNDOACTION);
      } else if (kind == 3) {
        edit.Send(Sci::SCI_LINEDUPLICATE);
      } else {
        const long from = random_position();
        const long to = std::max(from, random_position());
        edit.Send(Sci::SCI_SETSEL, static_cast<unsigned long>(from), to);
        edit.replaceSelectedText(QString::fromUtf8(kPieces[rng() % std::size(kPieces)]));
      }
      QVERIFY2(ToQString(b.Text()) == edit.text(), qPrintable(QString("step %1").arg(step)));
      QCOMPARE(b.Length(), static_cast<std::size_t>(edit.text().size()));
    }
    // The text was read whole once; every later change was applied to the copy.
    QCOMPARE(b.full_reads(), 1);
  }
};

QUILLAN_GUI_TEST_MAIN(EditorBufferTest)
#include "editor_buffer_test.moc"
