#include "gui/widgets/code_editor.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMenu>
#include <QPaintEvent>
#include <QScreen>
#include <QScrollBar>
#include <QTest>

#include "support/gui_test_main.h"
#include "support/window_fixture.h"

using quillan::gui::CodeEditor;
using quillan::gui::ToU16;
using quillan::text::VbStyle;
using Sci = QsciScintillaBase;

// The code editor through the real program: highlighting of what is shown, the status bar,
// the colours on the stored background, strikethrough and the right-click menu.
class CodeEditorTest : public QObject {
  Q_OBJECT

  struct Fixture : quillan::testing_support::WindowFixture {
    explicit Fixture(std::function<void(quillan::settings::MemorySettingsStore&)> seed = {}) {
      if (seed) seed(store);
      Make(Plain());
      window->show();
      QVERIFY(QTest::qWaitForWindowExposed(window));
    }
    CodeEditor* editor() const { return window->editor(); }
    void Paint() const {
      editor()->viewport()->repaint();
      QApplication::processEvents();
    }
    VbStyle StyleAtLine(long line, long column) const {
      return editor()->StyleAt(
          editor()->Send(Sci::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line)) + column);
    }
    QString Status(const char* name) const { return window->findChild<QLabel*>(name)->text(); }
  };

 private slots:
  void highlightsTheLinesShownWhenTheyAreShown() {
    Fixture f;
    std::u16string code;
    for (int i = 0; i < 100000; ++i) code += u"Dim x As Long ' note\r\n";
    code += u"x = \"text\" + 12";
    f.app->buffer().SetText(code);
    f.Paint();
    QCOMPARE(f.StyleAtLine(0, 0), VbStyle::kKeyword);
    QCOMPARE(f.StyleAtLine(0, 14), VbStyle::kComment);
    // Ctrl+End styles the end at once, and nothing between.
    QTest::keyClick(f.editor(), Qt::Key_End, Qt::ControlModifier);
    f.Paint();
    QCOMPARE(f.StyleAtLine(100000, 4), VbStyle::kString);
    QCOMPARE(f.StyleAtLine(100000, 13), VbStyle::kNumber);
    QCOMPARE(f.editor()->Send(Sci::SCI_GETLINESTATE, 50000), 0L);
    QCOMPARE(f.StyleAtLine(99999, 0), VbStyle::kKeyword);
    // A comment continued with " _" takes the next line along, and gives it back when the
    // " _" goes; a quote typed at a line's start makes it a comment, until undone.
    auto go_to = [&f](long position) {
      f.editor()->Send(Sci::SCI_GOTOPOS, static_cast<unsigned long>(position));
    };
    go_to(f.editor()->Send(Sci::SCI_GETLINEENDPOSITION, 99999));
    QTest::keyClicks(f.editor(), " _");
    f.Paint();
    QCOMPARE(f.StyleAtLine(100000, 4), VbStyle::kComment);
    QTest::keyClick(f.editor(), Qt::Key_Backspace);
    f.Paint();
    QCOMPARE(f.StyleAtLine(100000, 4), VbStyle::kString);
    go_to(f.editor()->Send(Sci::SCI_POSITIONFROMLINE, 100000));
    QTest::keyClick(f.editor(), Qt::Key_Apostrophe);
    f.Paint();
    QCOMPARE(f.StyleAtLine(100000, 5), VbStyle::kComment);
    f.editor()->undo();
    f.Paint();
    QCOMPARE(f.StyleAtLine(100000, 4), VbStyle::kString);
  }

  void aKeyRepaintsItsLineAndFarColoursAreDropped() {
    Fixture f;
    std::u16string code;
    for (int i = 0; i < 80000; ++i) code += u"Dim x As Long ' note\r\n";
    f.app->buffer().SetText(code);
    f.Paint();
    // A typed key repaints its line and the next one, not the whole view, and restyles it.
    struct PaintedHeight : QObject {
      int height = 0;
      bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
          height = std::max(height, static_cast<QPaintEvent*>(event)->rect().height());
        }
        return false;
      }
    } painted;
    f.editor()->viewport()->installEventFilter(&painted);
    f.editor()->setFocus();
    QTest::keyClick(f.editor(), Qt::Key_Apostrophe);
    QTest::qWait(100);
    f.editor()->viewport()->removeEventFilter(&painted);
    const long line_height = f.editor()->Send(Sci::SCI_TEXTHEIGHT, 0);
    QVERIFY(painted.height > 0);
    QVERIFY2(painted.height <= 2 * line_height, qPrintable(QString::number(painted.height)));
    QCOMPARE(f.StyleAtLine(0, 1), VbStyle::kComment);
    // Colours are kept for the lines around the view only, once many lines were shown: a
    // line shown early loses them, and has them again when it is shown again.
    const long screen = f.editor()->Send(Sci::SCI_LINESONSCREEN);
    auto show = [&f](long line) {
      f.editor()->Send(Sci::SCI_SETFIRSTVISIBLELINE, static_cast<unsigned long>(line));
      f.Paint();
    };
    show(1000);
    QCOMPARE(f.StyleAtLine(1000, 0), VbStyle::kKeyword);
    for (long line = 2000; line < 80000; line += 3 * screen) show(line);
    QCOMPARE(f.StyleAtLine(1000, 0), VbStyle::kDefault);
    show(1000);
    QCOMPARE(f.StyleAtLine(1000, 0), VbStyle::kKeyword);
    QCOMPARE(f.StyleAtLine(1000, 14), VbStyle::kComment);
  }

  void typingPastTheRightEdgeMovesThePixelsAndPaintsWhatIsNew() {
    Fixture f;
    // A short line to type at, over long ones that fill what scrolls into view.
    std::u16string code = u"Dim x As Long ' note (a, b)\r\n";
    for (int i = 0; i < 60; ++i) {
      for (int j = 0; j < 80; ++j) code += u"s = \"t\" ";
      code += u"\r\n";
    }
    f.app->buffer().SetText(code);
    CodeEditor* editor = f.editor();
    editor->Send(Sci::SCI_SETCARETPERIOD, 0);
    editor->setFocus();
    f.Paint();
    QWidget* view = editor->viewport();
    struct PaintedArea : QObject {
      long long most = 0;
      bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
          long long area = 0;
          for (const QRect& r : static_cast<QPaintEvent*>(event)->region()) {
            area += static_cast<long long>(r.width()) * r.height();
          }
          most = std::max(most, area);
        }
        return false;
      }
    } painted;
    // Typed at the end of the first line until the view has moved sideways several times
    // (brackets among the keys): once it has left the left end, no key repaints the view, and
    // what is on the screen is what a full repaint draws.
    QTest::keyClick(editor, Qt::Key_End);
    while (editor->Send(Sci::SCI_GETXOFFSET) == 0) QTest::keyClick(editor, 'x');
    QApplication::processEvents();
    view->installEventFilter(&painted);
    // The scroll bar, whose handle moves with the view, is painted after the typed line.
    struct Paints : QObject {
      int count = 0;
      bool eventFilter(QObject*, QEvent* event) override {
        count += event->type() == QEvent::Paint;
        return false;
      }
    } bar_paints;
    editor->horizontalScrollBar()->installEventFilter(&bar_paints);
    int moves = 0;
    for (int i = 0; i < 300; ++i) {
      const long offset = editor->Send(Sci::SCI_GETXOFFSET);
      const int bar_painted = bar_paints.count;
      QTest::keyClick(editor, i % 7 == 0 ? ')' : 'x');
      QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
      QCOMPARE(bar_paints.count, bar_painted);
      QApplication::processEvents();
      if (editor->Send(Sci::SCI_GETXOFFSET) != offset) {
        ++moves;
        QCOMPARE(bar_paints.count, bar_painted + 1);
      }
    }
    view->removeEventFilter(&painted);
    QVERIFY2(moves >= 10, qPrintable(QString::number(moves)));
    const long long whole = static_cast<long long>(view->width()) * view->height();
    QVERIFY2(2 * painted.most < whole, qPrintable(QString::number(painted.most)));
    const QRect at(view->mapTo(f.window, QPoint(0, 0)), view->size());
    auto shown = [&f, at] {
      return f.window->screen()->grabWindow(f.window->winId()).toImage().copy(at);
    };
    QTest::qWait(20);
    const QImage typed = shown();
    view->repaint();
    QCOMPARE(typed, shown());
    QVERIFY(editor->text(0).endsWith(QString(")xxxxxx").repeated(42) + ")xxxxx\r\n"));
  }

  void bracketsMatchNearby() {
    Fixture f;
    CodeEditor* editor = f.editor();
    const std::string far(CodeEditor::kBraceReach, ' ');
    const struct {
      std::string text;
      long brace, match;
    } cases[] = {
        {"f(a(b)c) ", 1, 7},      {"f(a(b)c) ", 7, 1},
        {"x = [<{}>]", 4, 9},     {"f(a(b)c", 1, -1},
        {"(" + far + ")", 0, -1}, {"(" + far.substr(1) + ")", 0, CodeEditor::kBraceReach},
    };
    for (const auto& c : cases) {
      editor->Send(Sci::SCI_SETTEXT, 0, reinterpret_cast<long>(c.text.c_str()));
      QCOMPARE(editor->MatchingBrace(c.brace), c.match);
    }
  }

  void statusBarShowsPositionEncodingLineEndsAndChanges() {
    Fixture f;
    QCOMPARE(f.Status("lblPosition"), QString("Ln 1, Col 1"));
    QCOMPARE(f.Status("lblEncoding"), QString("UTF-8"));
    QCOMPARE(f.Status("lblLineEnds"), QString("CR LF"));
    QCOMPARE(f.Status("lblModified"), QString());
    f.editor()->setFocus();
    QTest::keyClicks(f.editor(), "ab");
    QTest::keyClick(f.editor(), Qt::Key_Return);
    QTest::keyClicks(f.editor(), "c");
    f.Paint();
    QCOMPARE(f.Status("lblPosition"), QString("Ln 2, Col 2"));
    QCOMPARE(f.Status("lblModified"), QString("Modified"));
    QVERIFY(f.app->buffer().Text() == u"ab\r\nc");
    // A Windows-1252 project shows its encoding, unmodified.
    QTemporaryDir dir;
    QFile file(dir.filePath("old.qlp"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("caf\xE9\r\n");
    file.close();
    f.messenger.answers = {quillan::ui::MessageAnswer::kYes};
    f.chooser.answers = {ToU16(file.fileName())};
    f.window->Action("Open")->trigger();
    QCOMPARE(f.Status("lblEncoding"), QString("Windows-1252"));
    QCOMPARE(f.Status("lblModified"), QString());
  }

  void colorsReadOnTheStoredBackgroundAndStrikeoutCoversAllText() {
    // White text on black, struck through.
    Fixture f([](quillan::settings::MemorySettingsStore& s) {
      s.Set("prefs", "backcolor", "0");
      s.Set("prefs", "forecolor", "16777215");
      s.Set("prefs", "strikethru", "1");
    });
    for (int style = 0; style < quillan::text::kVbStyleCount; ++style) {
      const long bgr = f.editor()->Send(Sci::SCI_STYLEGETFORE, static_cast<unsigned long>(style));
      const QColor color(bgr & 255, (bgr >> 8) & 255, (bgr >> 16) & 255);
      QVERIFY2(quillan::gui::ContrastRatio(color, Qt::black) >= 4.5, qPrintable(color.name()));
    }
    f.app->buffer().SetText(u"Dim a");
    f.editor()->setFocus();
    QTest::keyClick(f.editor(), Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(f.editor(), " typed");
    f.Paint();
    for (long at : {0L, 4L, 8L}) {
      QCOMPARE(f.editor()->Send(Sci::SCI_INDICATORVALUEAT, 8, at), 1L);
    }
  }

  void screenReadersSeeTheTextInUtf16Offsets() {
    Fixture f;
    f.app->buffer().SetText(u"\u00e9t\u00e9\r\n\U0001F600 end");
    f.app->buffer().SetSelStart(7);
    QAccessibleTextInterface* text =
        QAccessible::queryAccessibleInterface(f.editor())->textInterface();
    QVERIFY(text != nullptr);
    QCOMPARE(text->characterCount(), 11);
    QCOMPARE(text->cursorPosition(), 7);
    QCOMPARE(text->text(3, 7), QString("\r\n\U0001F600"));
    text->setSelection(0, 0, 3);
    QVERIFY(f.app->buffer().SelText() == u"\u00e9t\u00e9");
  }

  void pastesThatWouldMakeATooLongLineAreRefused() {
    Fixture f;
    f.app->buffer().SetText(u"ab");
    f.editor()->setFocus();
    QGuiApplication::clipboard()->setText(QString(1'000'001, 'y'));
    QTest::keyClick(f.editor(), Qt::Key_V, Qt::ControlModifier);
    f.window->Action("Paste")->trigger();
    QCOMPARE(f.messenger.shown.size(), std::size_t{2});
    QVERIFY(
        f.messenger.shown[0].text.starts_with(u"The text was not pasted: it would make a line"));
    QVERIFY(f.app->buffer().Text() == u"ab");
    QGuiApplication::clipboard()->setText("ok\nthen");
    QTest::keyClick(f.editor(), Qt::Key_V, Qt::ControlModifier);
    QVERIFY(f.app->buffer().Text() == u"ok\r\nthenab");
  }

  void rightClickOffersShowToolbarWhileTheToolbarIsHidden() {
    Fixture f;
    auto menu_texts = [&f] {
      QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(20, 20),
                              f.editor()->mapToGlobal(QPoint(20, 20)));
      QApplication::sendEvent(f.editor()->viewport(), &event);
      QStringList texts;
      for (QMenu* menu : f.editor()->findChildren<QMenu*>()) {
        for (QAction* a : menu->actions()) texts << a->text();
        delete menu;
      }
      return texts;
    };
    const QStringList shown = menu_texts();
    QVERIFY(shown.contains("&Undo") && !shown.contains("Show Toolbar"));
    f.window->Action("Hide_toolbar")->trigger();
    const QStringList hidden = menu_texts();
    QVERIFY(hidden.contains("Show Toolbar"));
    QVERIFY(hidden.contains("&Undo"));
  }
};

QUILLAN_GUI_TEST_MAIN(CodeEditorTest)
#include "code_editor_test.moc"
