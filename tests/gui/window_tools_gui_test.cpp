#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>

#include "gui/widgets/picker_arrow.h"
#include "gui/windows/code_generator_window.h"
#include "gui/windows/color_spy_window.h"
#include "gui/windows/tool_windows.h"
#include "platform/fake_window_system.h"
#include "support/gui_test_main.h"
#include "support/window_fixture.h"
#include "support/wine_fakes.h"

using quillan::gui::ToQString;
using quillan::wintools::Hwnd;

// The outline around the window under the arrow, as calls.
struct RecordingHighlight final : quillan::wintools::PickHighlight {
  QStringList calls;
  void Show(quillan::wintools::ScreenRect r) override {
    calls << QString("Show %1 %2 %3 %4").arg(r.left).arg(r.top).arg(r.right).arg(r.bottom);
  }
  void Hide() override { calls << "Hide"; }
};

// API Spy and the Code Generator through the real program, on the in-memory window tree: the
// menu item, the drag of the arrow, and what the windows show and insert.
class WindowToolsGuiTest : public QObject {
  Q_OBJECT

  struct Fixture : quillan::testing_support::WindowFixture {
    quillan::platform::FakeWindowSystem tree;
    RecordingHighlight highlight;
    Hwnd dialog = 0, first = 0, second = 0;
    Fixture() {
      dialog = tree.Add(u"#32770", u"Find", 0, {1000, 1000, 1400, 1300});
      first = tree.Add(u"Edit", u"one\r\ntwo", dialog, {1010, 1010, 1200, 1040});
      second = tree.Add(u"Edit", u"", dialog, {1010, 1060, 1200, 1090});
      ports.windows = &tree;
      ports.highlight = &highlight;
      Make(Plain());
      window->show();
    }
    // The tool window of this objectName, once it was made.
    static QWidget* Tool(const char* name) {
      for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->objectName() == name) return window;
      }
      return nullptr;
    }
    QString Field(const char* tool, const char* name) {
      return Tool(tool)->findChild<QLineEdit*>(name)->text();
    }
    // Presses the arrow, moves over `path` of other windows and releases.
    void Drag(const char* tool, std::initializer_list<quillan::wintools::ScreenPoint> path,
              Qt::MouseButton button = Qt::LeftButton) {
      QWidget* arrow = Tool(tool)->findChild<quillan::gui::PickerArrow*>("Picture1");
      QTest::mousePress(arrow, button, {}, QPoint(6, 2));
      for (const auto& p : path) MoveArrow(arrow, p, button);
      QTest::mouseRelease(arrow, button, {}, QPoint(6, 2));
    }
    void MoveArrow(QWidget* arrow, quillan::wintools::ScreenPoint p,
                   Qt::MouseButton button = Qt::LeftButton) {
      tree.SetCursor(p);
      QMouseEvent move(QEvent::MouseMove, QPointF(7, 3), QPointF(7, 3), Qt::NoButton, button,
                       Qt::NoModifier);
      QCoreApplication::sendEvent(arrow, &move);
    }
  };

 private slots:
  void windowSpyActsOnTheHandleInItsBox() {
    Fixture f;
    f.tree.SetCannotDo(quillan::wintools::Capability::kEnableDisable, u"not on this system");
    f.window->Action("Window_Spy")->trigger();
    QWidget* spy = f.Tool("frmWinSpy");
    QVERIFY(spy && spy->isVisible());
    auto* box = spy->findChild<QLineEdit*>("Text1");
    QCOMPARE(box->text(), QString("0"));
    auto button = [&](const char* name) { return spy->findChild<QPushButton*>(name); };
    // Moves over windows follow into the box; a move over nothing keeps the last handle.
    f.Drag("frmWinSpy", {{1100, 1020}, {5000, 5000}});
    QCOMPARE(box->text(), QString::number(f.first));
    button("SSCommand1")->click();
    QVERIFY(!f.tree.Find(f.first)->visible);
    // A handle typed by hand, and one that is no number.
    box->setText(QString::number(f.second));
    button("SSCommand7")->click();
    QCOMPARE(f.tree.Find(f.second)->show_state, quillan::wintools::kSwMinimize);
    box->setText("abc");
    button("SSCommand10")->click();
    QVERIFY(!f.tree.Find(f.second)->close_requested);
    // What the window system cannot do is said, not pretended.
    QVERIFY(!button("SSCommand6")->isEnabled());
    QCOMPARE(button("SSCommand6")->toolTip(), QString("not on this system"));

    // Modify Text: caption mode, Change sends, Close gives the input back.
    box->setText(QString::number(f.dialog));
    button("SSCommand3")->click();
    QWidget* dialog = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (w->objectName() == "frmText" && w->isVisible()) dialog = w;
    }
    QVERIFY(dialog != nullptr);
    QCOMPARE(dialog->windowTitle(), QString("Modify Caption"));
    QCOMPARE(dialog->findChild<QLineEdit*>("Text1")->text(), QString("Find"));
    QVERIFY(!f.window->isEnabled() && !spy->isEnabled());
    dialog->findChild<QLineEdit*>("Text1")->setText("Replace");
    dialog->findChild<QPushButton*>("SSCommand1")->click();
    QCOMPARE(f.tree.Find(f.dialog)->text, std::u16string(u"Replace"));
    QVERIFY(dialog->isVisible());  // it stays for further changes
    dialog->findChild<QPushButton*>("SSCommand2")->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(f.window->isEnabled() && spy->isEnabled());
    // Text mode, in the same frame, closed through it: the input comes back all the same.
    button("SSCommand4")->click();
    QVERIFY(!f.window->isEnabled());
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (w->objectName() != "frmText" || !w->isVisible()) continue;
      QCOMPARE(w->windowTitle(), QString("Modify Text"));
      QCOMPARE(w->findChild<QGroupBox*>("Frame1")->title(), QString("Control"));
      w->close();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(f.window->isEnabled() && spy->isEnabled());

    // With nothing to minimize or maximize, those two say why; Restore still shows the
    // window hidden above, and says that this is all it does.
    f.tree.SetCannotDo(quillan::wintools::Capability::kMinimizeMaximize, u"No window manager.");
    box->setText(QString::number(f.first));
    QVERIFY(!button("SSCommand7")->isEnabled() && !button("SSCommand8")->isEnabled());
    QCOMPARE(button("SSCommand8")->toolTip(), QString("No window manager."));
    QVERIFY(button("SSCommand9")->isEnabled());
    QVERIFY(button("SSCommand9")->toolTip().startsWith("No window manager. "));
    button("SSCommand9")->click();
    QVERIFY(f.tree.Find(f.first)->visible);
  }

  void colorSpySamplesOnlyDuringTheDrag() {
    Fixture f;
    f.tree.SetPixel({10, 10}, 15 * 65536);
    f.tree.SetCursor({10, 10});
    f.window->Action("Color_Spy")->trigger();
    auto* spy = qobject_cast<quillan::gui::ColorSpyWindow*>(f.Tool("frmSpy"));
    QVERIFY(spy && spy->isVisible());
    QCOMPARE(spy->findChild<QLabel*>("Picture2")->pixmap().size(), QSize(187, 16));
    auto* arrow = spy->findChild<quillan::gui::PickerArrow*>("Picture1");
    QTest::mousePress(arrow, Qt::RightButton, {}, QPoint(6, 2));
    QVERIFY(!spy->sampling());  // the right button starts nothing
    QTest::mouseRelease(arrow, Qt::RightButton, {}, QPoint(6, 2));
    QTest::mousePress(arrow, Qt::LeftButton, {}, QPoint(6, 2));
    QVERIFY(spy->sampling());
    QTRY_COMPARE(f.Field("frmSpy", "txtHTML"), QString("#00000F"));
    QCOMPARE(f.Field("frmSpy", "txtColor"), QString("983040"));
    QCOMPARE(f.Field("frmSpy", "txtBlue"), QString("15"));
    QCOMPARE(spy->findChild<QFrame*>("picColor")->palette().color(QPalette::Window),
             QColor(0, 0, 15));
    // The Visual Basic forms, one of them copied; the pointer's pixel in the middle of the
    // magnified view, and the screen's edge around it.
    QCOMPARE(f.Field("frmSpy", "txtVBHex"), QString("&H000F0000&"));
    QCOMPARE(f.Field("frmSpy", "txtVBRGB"), QString("RGB(0, 0, 15)"));
    spy->findChild<QRadioButton*>("optVBRGB")->click();
    spy->findChild<QPushButton*>("cmdCopy")->click();
    QCOMPARE(QGuiApplication::clipboard()->text(), QString("RGB(0, 0, 15)"));
    const QImage zoom = spy->findChild<quillan::gui::Magnifier*>("picZoom")->image();
    QCOMPARE(zoom.pixelColor(5, 5), QColor(0, 0, 15));
    QCOMPARE(zoom.pixelColor(0, 0), QColor(0, 0, 0));
    // Off the screen the pixel cannot be read: the values stay.
    f.tree.SetCursor({-5, -5});
    QTest::qWait(20);
    QCOMPARE(f.Field("frmSpy", "txtHTML"), QString("#00000F"));
    QTest::mouseRelease(arrow, Qt::LeftButton, {}, QPoint(6, 2));
    QVERIFY(!spy->sampling());
  }

  void apiSpyShowsTheWindowUnderTheArrow() {
    Fixture f;
    QTest::mouseClick(f.window->findChild<QToolButton*>("btnAPI"), Qt::LeftButton);
    QWidget* spy = f.Tool("frmAPISpy");
    QVERIFY(spy && spy->isVisible() && f.window->isEnabled());
    QVERIFY(spy->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QCOMPARE(spy->windowTitle(), QString("API Spy"));
    QCOMPARE(f.Field("frmAPISpy", "txtHandle"), QString("0"));
    f.Drag("frmAPISpy", {{1100, 1020}});
    QCOMPARE(f.Field("frmAPISpy", "txtHandle"), QString::number(f.first));
    QCOMPARE(f.Field("frmAPISpy", "txtText"), QString("onetwo"));
    QCOMPARE(f.Field("frmAPISpy", "txtClass"), QString("Edit"));
    QCOMPARE(f.Field("frmAPISpy", "txtParHandle"), QString::number(f.dialog));
    QCOMPARE(f.Field("frmAPISpy", "txtParClass"), QString("#32770"));
    // The right button starts no drag, but its release inspects once: the bare desktop.
    f.tree.SetCursor({5000, 5000});
    f.Drag("frmAPISpy", {}, Qt::RightButton);
    QCOMPARE(f.Field("frmAPISpy", "txtHandle"), QString("0"));
    QCOMPARE(f.Field("frmAPISpy", "txtParText"), QString("NONE"));
    // Close only hides it; the fields and the last handle stay.
    spy->findChild<QPushButton*>("Command1")->click();
    QVERIFY(!spy->isVisible());
    f.window->Action("API_Spy")->trigger();
    QCOMPARE(f.Tool("frmAPISpy"), spy);
    QCOMPARE(f.Field("frmAPISpy", "txtParText"), QString("NONE"));
  }

  void codeGeneratorWritesAndInsertsTheFinderCode() {
    Fixture f;
    f.app->buffer().SetText(u"Sub A()\r\nEnd Sub");
    f.app->buffer().SetSelStart(9);
    f.window->Action("Code_Generator")->trigger();
    QWidget* generator = f.Tool("frmGenerator");
    QVERIFY(generator && generator->isVisible());
    auto* preview = generator->findChild<QPlainTextEdit*>("txtCode");
    // A release before anything was picked generates nothing.
    f.Drag("frmGenerator", {});
    QCOMPARE(preview->toPlainText(), QString());
    // Any button starts the drag; the picked window is the last one under the arrow.
    f.Drag("frmGenerator", {{1100, 1020}, {1100, 1070}}, Qt::LeftButton);
    QCOMPARE(static_cast<quillan::gui::CodeGeneratorWindow*>(generator)->picked(),
             std::optional<quillan::wintools::Hwnd>(f.second));
    QCOMPARE(preview->toPlainText(),
             QString("Dim #32770 As Long\nDim Edit As Long\n"
                     "#32770& = FindWindow(\"#32770\", vbNullString)\n"
                     "Edit& = FindWindowEx(#32770&, 0&, \"Edit\", vbNullString)\n"
                     "Edit& = FindWindowEx(#32770&, Edit&, \"Edit\", vbNullString)\n"));
    // The box is the shared option; off, Insert adds only the block, at the caret.
    generator->findChild<QCheckBox*>("Check1")->setChecked(false);
    QVERIFY(!f.app->insert_declarations().IsOn());
    generator->findChild<QPushButton*>("Command2")->click();
    QVERIFY(f.Text().startsWith("Sub A()\r\nDim #32770 As Long\r\n"));
    QVERIFY(f.Text().endsWith("vbNullString)\r\nEnd Sub"));
    QCOMPARE(f.app->buffer().SelStart(), f.app->buffer().Length());
    QCOMPARE(f.store.Get("decs", "value"), std::string("false"));
    QVERIFY(!generator->isVisible());
    QVERIFY(f.app->doc().IsModified());
    // An empty preview is refused, above the generator.
    f.window->Action("Code_Generator")->trigger();
    preview->clear();
    generator->findChild<QPushButton*>("Command2")->click();
    QCOMPARE(f.messenger.shown.back().text, std::u16string(u"You have no code to insert!"));
    QVERIFY(generator->isVisible());
  }

  void windowsProgramsUnderWineAnswerThroughTheirPrefix() {
    using State = quillan::platform::WineWorld::State;
    quillan::testing_support::WineScreen screen;
    screen.prefix().state = State::kStarting;
    screen.x11->screen.SetCannotDo(quillan::wintools::Capability::kEnableDisable, u"X11 cannot.");
    quillan::testing_support::WindowFixture f;
    f.ports.windows = screen.router.get();
    f.Make(f.Plain());
    f.window->show();
    auto class_field = [] { return Fixture::Tool("frmAPISpy")->findChild<QLineEdit*>("txtClass"); };

    // The press starts the helpers of the programs on the screen. While Notepad's starts,
    // X11's answer shows; once it is ready, Wine's, with the arrow held still.
    f.window->Action("API_Spy")->trigger();
    auto* arrow = Fixture::Tool("frmAPISpy")->findChild<quillan::gui::PickerArrow*>("Picture1");
    QTest::mousePress(arrow, Qt::LeftButton, {}, QPoint(6, 2));
    QCOMPARE(screen.prefix().started, 1);
    screen.x11->screen.SetCursor({600, 300});
    QMouseEvent move(QEvent::MouseMove, QPointF(7, 3), QPointF(7, 3), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(arrow, &move);
    QCOMPARE(class_field()->text(), QString("notepad.exe"));
    screen.prefix().state = State::kReady;
    QTRY_COMPARE(class_field()->text(), QString("Edit"));
    QCOMPARE(Fixture::Tool("frmAPISpy")->findChild<QLineEdit*>("txtParClass")->text(),
             QString("Notepad"));
    QTest::mouseRelease(arrow, Qt::LeftButton, {}, QPoint(6, 2));

    // Window Spy's buttons follow the window in its box: Wine's can be disabled, X11's not.
    f.window->Action("Window_Spy")->trigger();
    QWidget* spy = Fixture::Tool("frmWinSpy");
    auto* box = spy->findChild<QLineEdit*>("Text1");
    auto* disable = spy->findChild<QPushButton*>("SSCommand6");
    QVERIFY(!disable->isEnabled());
    box->setText(QString::number(screen.edit));
    QVERIFY(disable->isEnabled());
    QCOMPARE(disable->toolTip(), QString());
    disable->click();
    QVERIFY(!screen.prefix().tree.Find(screen.edit)->enabled);
    box->setText(QString::number(screen.xterm));
    QVERIFY(!disable->isEnabled());
    QCOMPARE(disable->toolTip(), QString("X11 cannot."));

    // The helper fails: the next pick says so above the tool, once.
    screen.prefix().state = State::kFailed;
    screen.prefix().why = u"the helper ended.";
    auto* spy_arrow = spy->findChild<quillan::gui::PickerArrow*>("Picture1");
    for (int pick = 0; pick < 2; ++pick) {
      QTest::mousePress(spy_arrow, Qt::LeftButton, {}, QPoint(6, 2));
      QCoreApplication::sendEvent(spy_arrow, &move);
      QTest::mouseRelease(spy_arrow, Qt::LeftButton, {}, QPoint(6, 2));
      QTest::qWait(10);
    }
    QCOMPARE(box->text(), QString::number(screen.notepad_x));
    QCOMPARE(f.messenger.shown.size(), std::size_t{1});
    QVERIFY(f.messenger.shown[0].text.starts_with(
        u"Quillan cannot see inside the Windows programs of the Wine prefix /home/u/wine: the "
        u"helper ended."));
  }

  void toolWindowsCascadeBesideTheMainWindowAndOpenWhereTheyWereClosed() {
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    // The tools and the help, in the order the Tools menu and then the Help menu open them.
    const char* const kWindows[][2] = {
        {"API_Spy", "frmAPISpy"}, {"Window_Spy", "frmWinSpy"}, {"Code_Generator", "frmGenerator"},
        {"Color_Spy", "frmSpy"},  {"Get_Icon", "frmIcon"},     {"Help_Contents", "frmHelp"}};
    QPoint spy_place;
    std::string kept[2];
    {
      Fixture first;
      first.window->move(area.topLeft());
      const QRect main = first.window->frameGeometry();
      std::vector<QRect> shown;
      for (const auto& [action, name] : kWindows) {
        first.window->Action(action)->trigger();
        const QRect outer = Fixture::Tool(name)->frameGeometry();
        // On the screen, off the main window, and clear of every title bar already there.
        QVERIFY2(area.contains(outer) && !outer.intersects(main), name);
        for (const QRect& earlier : shown) {
          QVERIFY2(!outer.intersects(QRect(earlier.topLeft(), QSize(earlier.width(), 20))), name);
        }
        shown.push_back(outer);
      }
      // Closing a tool keeps the place it was moved to; so does ending the session with the
      // others open.
      QWidget* spy = Fixture::Tool("frmWinSpy");
      spy->move(spy->pos() + QPoint(40, 60));
      spy_place = spy->frameGeometry().topLeft();
      spy->close();
      first.window->close();
      QVERIFY(!first.store.Get("help", "left").empty());
      kept[0] = first.store.Get("winspy", "left");
      kept[1] = first.store.Get("winspy", "top");
    }

    // The next session: the kept place comes back; one from a screen that is gone comes back
    // onto this one, at the nearest corner.
    Fixture next;
    next.store.Set("winspy", "left", kept[0]);
    next.store.Set("winspy", "top", kept[1]);
    next.store.Set("apispy", "left", "-200000");
    next.store.Set("apispy", "top", "200000");
    next.window->Action("Window_Spy")->trigger();
    next.window->Action("API_Spy")->trigger();
    QCOMPARE(Fixture::Tool("frmWinSpy")->frameGeometry().topLeft(), spy_place);
    const QRect api_spy = Fixture::Tool("frmAPISpy")->frameGeometry();
    QVERIFY(area.contains(api_spy));
    QCOMPARE(api_spy.bottomLeft(), area.bottomLeft());
  }

  void theOutlineFollowsTheWindowUnderTheArrowOncePerWindow() {
    Fixture f;
    using quillan::gui::PickerArrow;
    f.window->Action("Code_Generator")->trigger();
    auto* arrow = f.Tool("frmGenerator")->findChild<PickerArrow*>("Picture1");
    QTest::mousePress(arrow, Qt::LeftButton, {}, QPoint(6, 2));
    f.MoveArrow(arrow, {1100, 1020});
    // The repeats while the arrow rests, and moves within one window, move nothing.
    QTest::qWait(3 * PickerArrow::kRestInterval);
    f.MoveArrow(arrow, {1150, 1030});
    f.MoveArrow(arrow, {1100, 1070});
    f.MoveArrow(arrow, {1300, 1200});
    QTest::mouseRelease(arrow, Qt::LeftButton, {}, QPoint(6, 2));
    QCOMPARE(f.highlight.calls, QStringList({"Show 1010 1010 1200 1040", "Show 1010 1060 1200 1090",
                                             "Show 1000 1000 1400 1300", "Hide"}));

    // A tool closed during the drag (Escape) takes the outline with it.
    f.highlight.calls.clear();
    f.window->Action("API_Spy")->trigger();
    QWidget* spy = f.Tool("frmAPISpy");
    auto* spy_arrow = spy->findChild<PickerArrow*>("Picture1");
    QTest::mousePress(spy_arrow, Qt::LeftButton, {}, QPoint(6, 2));
    f.MoveArrow(spy_arrow, {1100, 1020});
    QTest::keyClick(spy, Qt::Key_Escape);
    QVERIFY(!spy->isVisible() && !spy_arrow->dragging());
    QCOMPARE(f.highlight.calls, QStringList({"Show 1010 1010 1200 1040", "Hide"}));

    // Color Spy picks no window: no outline.
    f.highlight.calls.clear();
    f.window->Action("Color_Spy")->trigger();
    f.Drag("frmSpy", {{1100, 1020}, {1100, 1070}});
    QCOMPARE(f.highlight.calls, QStringList());
  }

  void codeGeneratorLeavesThePreviewWhenThePickedWindowVanished() {
    Fixture f;
    f.window->Action("Code_Generator")->trigger();
    auto* preview = f.Tool("frmGenerator")->findChild<QPlainTextEdit*>("txtCode");
    f.Drag("frmGenerator", {{1100, 1070}});
    const QString generated = preview->toPlainText();
    QVERIFY(generated.endsWith("Edit& = FindWindowEx(#32770&, Edit&, \"Edit\", vbNullString)\n"));
    // The program closes the window; a release over nothing keeps its handle as the pick.
    f.tree.Remove(f.second);
    f.Drag("frmGenerator", {{5000, 5000}});
    QCOMPARE(preview->toPlainText(), generated);
    QVERIFY(f.messenger.shown.empty());
  }
};

QUILLAN_GUI_TEST_MAIN(WindowToolsGuiTest)
#include "window_tools_gui_test.moc"
