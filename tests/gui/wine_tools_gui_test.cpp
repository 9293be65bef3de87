// The window tools over Windows programs under Wine, through the real program and the window
// system it chooses for the session (X11, with a Wine prefix's programs answered by the
// prefix's helper), on the X server, window manager and Wine prefix that wine_tools_test.sh
// sets up. The pointer moves for real (XTest), as a user's would; what the tools show and do is
// checked against what user32 reports inside the prefix, by the window maker and the finder
// runner.
#include <unistd.h>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>

#include "gui/widgets/picker_arrow.h"
#include "gui/windows/code_generator_window.h"
#include "platform/window_maker_client.h"
#include "support/child_processes.h"
#include "support/golden.h"
#include "support/gui_test_main.h"
#include "support/window_fixture.h"

using quillan::gui::CodeGeneratorWindow;
using quillan::gui::PickerArrow;
using quillan::gui::ToQString;

namespace {

// The pointer and its first button, moved and pressed through XTest.
class Pointer {
 public:
  Pointer() : c_(xcb_connect(nullptr, nullptr)) {
    root_ = xcb_setup_roots_iterator(xcb_get_setup(c_)).data->root;
  }
  ~Pointer() { xcb_disconnect(c_); }
  void MoveTo(QPoint p) { Fake(XCB_MOTION_NOTIFY, 0, root_, p); }
  void Press() { Fake(XCB_BUTTON_PRESS, 1, XCB_NONE, {}); }
  void Release() { Fake(XCB_BUTTON_RELEASE, 1, XCB_NONE, {}); }

 private:
  // Sends the event and waits until the server has handled it, then lets the program see it.
  void Fake(std::uint8_t type, std::uint8_t detail, xcb_window_t root, QPoint p) {
    xcb_test_fake_input(c_, type, detail, XCB_CURRENT_TIME, root, static_cast<std::int16_t>(p.x()),
                        static_cast<std::int16_t>(p.y()), 0);
    free(xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr));
    QTest::qWait(30);
  }
  xcb_connection_t* c_;
  xcb_window_t root_ = 0;
};

// Our children whose command line names the Wine helper.
int HelperChildren() { return quillan::testing_support::ChildProcesses("quillan-wine-helper"); }

QString Environment(const char* name) { return qEnvironmentVariable(name); }

// Runs a Windows program of the test in the prefix, with `input` on its standard input: what
// it printed.
QString RunInWine(const QString& program, const QStringList& arguments, const QString& input) {
  QProcess process;
  process.start(Environment("WINELOADER"), QStringList{program} + arguments);
  if (!process.waitForStarted(10000)) return "(not started)";
  process.write(input.toUtf8());
  process.closeWriteChannel();
  if (!process.waitForFinished(60000)) return "(no end)";
  return QString::fromUtf8(process.readAllStandardOutput()).trimmed() +
         QString::fromUtf8(process.readAllStandardError()).trimmed();
}

// The handle that finder code finds when it runs inside the prefix.
QString RunFinder(const QString& code) {
  return RunInWine(Environment("QUILLAN_TEST_FINDER_RUNNER"), {}, code);
}

// Saves the screen in the folder QUILLAN_TEST_SCREENSHOTS names, when a developer asks so.
void Screenshot(const char* name) {
  const QString folder = Environment("QUILLAN_TEST_SCREENSHOTS");
  if (!folder.isEmpty()) QProcess::execute("import", {"-window", "root", folder + "/" + name});
}

}  // namespace

class WineToolsGuiTest : public QObject {
  Q_OBJECT

  std::unique_ptr<quillan::testing_support::WindowFixture> f_;
  std::unique_ptr<quillan::platform::WindowMakerClient> maker_;
  std::unique_ptr<Pointer> pointer_;

  QString Ask(const QString& command) {
    return QString::fromStdString(maker_->Ask(command.toStdString()));
  }
  // A window the maker shows (see window_maker.cpp): its handle, "0" when none was made.
  QString Make(const QString& kind, const QString& parent, QRect r, const QString& class_name,
               const QString& text) {
    return Ask(QString("create %1 %2 %3 %4 %5 %6\t%7\t%8")
                   .arg(kind, parent)
                   .arg(r.left())
                   .arg(r.top())
                   .arg(r.right())
                   .arg(r.bottom())
                   .arg(class_name, text));
  }
  // The screen point of (x, y) in a Wine window's client area, as Wine has it.
  QPoint Screen(const QString& hwnd, int x, int y) {
    const QStringList xy = Ask(QString("screen %1 %2 %3").arg(hwnd).arg(x).arg(y)).split(' ');
    return xy.size() == 2 ? QPoint(xy[0].toInt(), xy[1].toInt()) : QPoint(-1, -1);
  }
  // "IsWindow IsWindowVisible IsWindowEnabled<TAB>text" as user32 reports it in the prefix,
  // line breaks in the text written \r and \n.
  QString State(const QString& hwnd) { return Ask("state " + hwnd); }

  // Opens a tool from the main window's menu and puts it at the right of the screen, away
  // from the Wine windows, which the tests show at the left.
  QWidget* OpenTool(const char* action, const char* name) {
    f_->window->Action(action)->trigger();
    QWidget* tool = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (w->objectName() == name) tool = w;
    }
    if (tool == nullptr || !QTest::qWaitForWindowExposed(tool)) return nullptr;
    tool->move(760, 420);
    QTest::qWait(300);
    return tool;
  }

  // Presses the tool's arrow, moves the pointer onto `target` in steps, rests there until
  // `arrived` (the helper may still be starting: until then the tool sees what X11 shows),
  // and releases.
  bool Drag(QWidget* tool, QPoint target, const std::function<bool()>& arrived) {
    auto* arrow = tool->findChild<PickerArrow*>("Picture1");
    const QPoint start = arrow->mapToGlobal(QPoint(8, 8));
    pointer_->MoveTo(start);
    pointer_->Press();
    const bool pressed = QTest::qWaitFor([&] { return arrow->dragging(); });
    for (int i = 1; i <= 10 && pressed; ++i) pointer_->MoveTo(start + (target - start) * i / 10);
    const bool there = pressed && QTest::qWaitFor(arrived, 30000);
    if (!there) Screenshot("failed-drag.png");
    pointer_->Release();
    return QTest::qWaitFor([&] { return !arrow->dragging(); }) && there;
  }

 private slots:
  void initTestCase() {
    maker_ = std::make_unique<quillan::platform::WindowMakerClient>();
    QCOMPARE(QString::fromStdString(maker_->error()), QString());
    QCOMPARE(Ask("sync"), QString("ok"));
    pointer_ = std::make_unique<Pointer>();
    f_ = std::make_unique<quillan::testing_support::WindowFixture>();
    f_->Make(quillan::testing_support::WindowFixture::Plain());
  }

  // A top-level dialog with two edit boxes, the arrow dropped on the second: the code the
  // generator writes, and the window that code finds when it runs inside the prefix.
  void codeGeneratorWritesCodeThatFindsTheWineWindow() {
    const QString dialog =
        Make("top", "0", QRect(QPoint(40, 60), QPoint(440, 300)), "#32770", "Quillan Find Test");
    const QString first = Make("child", dialog, QRect(QPoint(20, 20), QPoint(300, 50)), "Edit", "");
    const QString second =
        Make("child", dialog, QRect(QPoint(20, 80), QPoint(300, 110)), "Edit", "");
    QVERIFY(dialog != "0" && first != "0" && second != "0");

    QWidget* tool = OpenTool("Code_Generator", "frmGenerator");
    QVERIFY(tool);
    auto* generator = f_->app->tool_windows().Existing<CodeGeneratorWindow>();
    QVERIFY(
        Drag(tool, Screen(second, 40, 12), [&] { return generator->picked() == second.toInt(); }));
    QString preview = ToQString(generator->Preview());
    preview.replace("\r\n", "\n");
    QCOMPARE(preview,
             QString::fromStdString(quillan::testing_support::Golden(
                 QUILLAN_GUI_GOLDEN_DIR "/wine_code_generator.txt", preview.toStdString())));
    Screenshot("i23-codegen.png");

    QCOMPARE(RunFinder(preview), second);
    tool->findChild<QPushButton*>("Command1")->click();  // Close
    QCOMPARE(Ask("destroy " + dialog), QString("ok"));
  }

  // API Spy over the prefix's own Notepad: its edit box and its main window, with the handles
  // user32 gives inside the prefix.
  void apiSpyReadsWineNotepad() {
    QFile note(Environment("WINEPREFIX") + "/drive_c/quillan-note.txt");
    QVERIFY(note.open(QIODevice::WriteOnly));
    note.write("first line\r\nsecond line");
    note.close();
    QProcess notepad;
    notepad.start(Environment("WINELOADER"), {"notepad.exe", "C:\\quillan-note.txt"});
    QVERIFY(notepad.waitForStarted(10000));
    const QString find_main = "Notepad& = FindWindow(\"Notepad\", vbNullString)\n";
    const QString find_edit =
        find_main + "Edit& = FindWindowEx(Notepad&, 0&, \"Edit\", vbNullString)\n";
    QString main, edit, shown;
    const bool opened = QTest::qWaitFor(
        [&] {
          main = RunFinder(find_main);
          edit = RunFinder(find_edit);
          shown = State(edit);
          return main != "0" && edit != "0" && shown == "1 1 1\tfirst line\\r\\nsecond line";
        },
        60000);
    QVERIFY2(opened, qPrintable(QString("Notepad %1, its edit box %2: %3").arg(main, edit, shown)));
    const QString title = Ask("caption " + main);
    // Left of the tools, like the other Wine windows: the prefix's windows, which the window
    // manager does not manage, would stay above a tool they covered.
    QCOMPARE(Ask("move " + main + " 40 60 640 460"), QString("ok"));

    QWidget* tool = OpenTool("API_Spy", "frmAPISpy");
    QVERIFY(tool);
    auto field = [&](const char* name) { return tool->findChild<QLineEdit*>(name)->text(); };
    QVERIFY(Drag(tool, Screen(edit, 30, 10), [&] { return field("txtHandle") == edit; }));
    // Of another program's edit box, Win32 gives the caption it keeps, not the text typed in.
    QCOMPARE(field("txtText"), Ask("caption " + edit));
    QCOMPARE(field("txtClass"), QString("Edit"));
    QCOMPARE(field("txtParHandle"), main);
    QVERIFY(title.contains("quillan-note"));
    QCOMPARE(field("txtParText"), title);
    QCOMPARE(field("txtParClass"), QString("Notepad"));
    Screenshot("i23-apispy.png");
    tool->findChild<QPushButton*>("Command1")->click();  // Close

    notepad.kill();
    notepad.waitForFinished();
  }

  // Window Spy's buttons and Modify Text on a Wine window, each seen from inside the prefix.
  void windowSpyActsOnAWineWindow() {
    const QString target =
        Make("top", "0", QRect(QPoint(40, 60), QPoint(440, 300)), "QuillanTarget", "Before");
    QVERIFY(target != "0");
    QWidget* spy = OpenTool("Window_Spy", "frmWinSpy");
    QVERIFY(spy);
    auto* box = spy->findChild<QLineEdit*>("Text1");
    QVERIFY(Drag(spy, Screen(target, 60, 60), [&] { return box->text() == target; }));
    auto click = [](QWidget* window, const char* button) {
      window->findChild<QPushButton*>(button)->click();
    };
    const struct {
      const char* button;
      const char* state;  // IsWindow IsWindowVisible IsWindowEnabled afterwards
    } steps[] = {
        {"SSCommand1", "1 0 1"},  // Hide
        {"SSCommand2", "1 1 1"},  // Show
        {"SSCommand6", "1 1 0"},  // Disable
        {"SSCommand5", "1 1 1"},  // Enable
    };
    for (const auto& step : steps) {
      click(spy, step.button);
      QTRY_COMPARE(State(target), QString(step.state) + "\tBefore");
    }

    click(spy, "SSCommand3");  // Caption
    QWidget* modify = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (w->objectName() == "frmText") modify = w;
    }
    QVERIFY(modify && modify->isVisible());
    auto* text = modify->findChild<QLineEdit*>("Text1");
    QCOMPARE(text->text(), QString("Before"));
    text->setText("After");
    click(modify, "SSCommand1");  // Change
    QTRY_COMPARE(State(target), QString("1 1 1\tAfter"));
    click(modify, "SSCommand2");  // Close
    QTRY_VERIFY(!modify->isVisible());

    click(spy, "SSCommand10");  // Close: the window is gone
    QTRY_COMPARE(State(target).section('\t', 0, 0).left(1), QString("0"));
  }

  // The program's helper runs while the program does, and goes with it.
  void leavesNoHelperBehind() {
    QCOMPARE(HelperChildren(), 1);
    f_.reset();
    QCOMPARE(HelperChildren(), 0);
  }
};

QUILLAN_GUI_TEST_MAIN(WineToolsGuiTest)
#include "wine_tools_gui_test.moc"
