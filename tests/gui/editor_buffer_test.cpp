#include "gui/editor_buffer.h"

#include <QPlainTextEdit>
#include <QTest>
#include <random>

#include "text/string_code_buffer.h"

using quillan::gui::EditorBuffer;

// The editor adapter must behave exactly like the string buffer: CR LF counts two
// characters, the caret rules hold, and a command is one undo step.
class EditorBufferTest : public QObject {
  Q_OBJECT

 private slots:
  void offsetsCountCrLfAsTwoCharacters() {
    QPlainTextEdit edit;
    EditorBuffer b(&edit);
    b.SetText(u"ab\r\ncd\r\n");
    QCOMPARE(edit.document()->blockCount(), 3);
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
  }

  void selTextReplacesAndLeavesTheCaretBehind() {
    QPlainTextEdit edit;
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
    QPlainTextEdit edit;
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
    QCOMPARE(edit.textCursor().position(), 25);
    QVERIFY(b.Text() == u"Public Const SW_SHOW = 5\r\nstart\r\nCall ShowWindow(w, SW_SHOW)\r\n");
    edit.undo();
    QVERIFY(b.Text() == u"start");
  }

  void aCommandThatChangesNothingReportsNoChange() {
    QPlainTextEdit edit;
    EditorBuffer b(&edit);
    b.SetText(u"keep");
    int changes = 0;
    connect(&edit, &QPlainTextEdit::textChanged, this, [&changes] { ++changes; });
    {
      EditorBuffer::Command command(b);
      b.SetSelStart(2);
      QVERIFY(b.Text() == u"keep");
    }
    QCOMPARE(changes, 0);
    QVERIFY(!edit.document()->isUndoAvailable());
  }

  void randomEditsInsideACommandMatchTheStringBuffer() {
    static const std::u16string kPieces[] = {u"",       u"a",  u"\r\n",
                                             u"x\r\ny", u"\n", u"Dim q\r\n\r\n"};
    std::mt19937 rng(7);
    QPlainTextEdit edit;
    EditorBuffer b(&edit);
    quillan::text::StringCodeBuffer mirror;
    for (int round = 0; round < 20; ++round) {
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
        b.SetSelText(piece);
        mirror.SetSelText(normalized);
        QVERIFY2(b.Text() == mirror.Text(),
                 qPrintable(QString("round %1 step %2").arg(round).arg(step)));
        QCOMPARE(b.SelStart(), mirror.SelStart());
        QCOMPARE(b.Length(), mirror.Length());
      }
    }
  }
};

QTEST_MAIN(EditorBufferTest)
#include "editor_buffer_test.moc"
