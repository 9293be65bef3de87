// Drives the window actions as a user does: the real menu items, the real Select Variable
// dialog and the real editor; and Dim All Variables from its menu item, Ctrl+D and the
// toolbar. The pauses run on a manual clock, so no test waits for real seconds.

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <chrono>
#include <cmath>
#include <memory>

#include "gui/commands/codegen_commands.h"
#include "gui/commands/window_action_commands.h"
#include "gui/widgets/qt_convert.h"
#include "gui/windows/main_window.h"
#include "gui/windows/select_variable_dialog.h"
#include "settings/settings_store.h"
#include "support/gui_test_main.h"
#include "support/window_fixture.h"
#include "ui/clock.h"

using quillan::gui::MainWindow;
using quillan::gui::SelectVariableDialog;
using quillan::gui::StartupOptions;
using quillan::gui::ToQString;
using quillan::gui::WindowActionCommands;
using quillan::settings::MemorySettingsStore;
using quillan::testing_support::RecordingMessenger;

namespace {

// Each round of a pause runs the pending events and moves the time on by a quarter second.
struct QuickTime : quillan::ui::Clock, quillan::ui::EventPump {
  double now = 43200.0;
  int rounds = 0;
  double MonotonicSeconds() const override { return now; }
  void ProcessPendingEvents() override {
    ++rounds;
    QCoreApplication::processEvents();
    now += 0.25;
  }
  void ShowBusy(bool) override {}
};

const QString kCode =
    "Dim hWnd As Long\r\n"
    "hWnd = FindWindow(\"Notepad\", vbNullString)\r\n"
    "hEdit& = FindWindowEx(hWnd, 0&, \"Edit\", vbNullString)\r\n"
    "HWND = 0";

}  // namespace

class WindowActionsGuiTest : public QObject {
  Q_OBJECT

 private:
  struct Fixture : quillan::testing_support::WindowFixture {
    QuickTime time;
    WindowActionCommands* commands = nullptr;

    explicit Fixture(const QString& code = kCode, bool real_messages_wanted = false) {
      real_messages = real_messages_wanted;
      ports.clock = &time;
      ports.pump = &time;
      Make(Plain());
      window->show();
      commands = &app->window_actions();
      window->editor()->setText(code);
    }
    ~Fixture() {
      // The dialog may still be up; it goes with the window.
      app.reset();
    }

    SelectVariableDialog* Dialog() const { return window->findChild<SelectVariableDialog*>(); }
    QListWidget* List() const { return Dialog()->findChild<QListWidget*>("List1"); }
    QCheckBox* Check() const { return Dialog()->findChild<QCheckBox*>("Check1"); }
    QString Tag() const { return Dialog()->findChild<QLabel*>("lblType")->text(); }

    void Choose(const QString& name) {
      const auto found = List()->findItems(name, Qt::MatchExactly);
      QCOMPARE(found.size(), 1);
      QTest::mouseClick(List()->viewport(), Qt::LeftButton, {},
                        List()->visualItemRect(found.front()).center());
    }
    void Press(const char* button) {
      QTest::mouseClick(Dialog()->findChild<QPushButton*>(button), Qt::LeftButton);
    }
    QStringList Messages() const {
      QStringList texts;
      for (const auto& m : messenger.shown) texts << ToQString(m.text);
      return texts;
    }
  };

 private slots:
  void dialogShowsTheNamesWithoutBlockingTheCaller() {
    Fixture f;
    f.window->Action("Window_Show")->trigger();
    // The trigger has returned while the dialog is up: it does not block.
    SelectVariableDialog* dialog = f.Dialog();
    QVERIFY(dialog != nullptr);
    QVERIFY(dialog->isVisible());
    QVERIFY(dialog->isEnabled());
    QVERIFY(!f.window->isEnabled());
    QVERIFY(dialog->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QCOMPARE(dialog->windowTitle(), QString("Select Variable"));
    QCOMPARE(dialog->findChild<QWidget*>("Frame1")->property("title").toString(),
             QString("Select Variable"));
    QCOMPARE(f.Check()->text(), QString("Insert Declarations with code."));
    QVERIFY(f.Check()->isChecked());
    QCOMPARE(dialog->findChild<QPushButton*>("SSCommand1")->text(), QString("&OK"));
    QCOMPARE(dialog->findChild<QPushButton*>("SSCommand2")->text(), QString("&Cancel"));
    // The tag label lies below the visible client area.
    QVERIFY(dialog->findChild<QLabel*>("lblType")->geometry().top() >= dialog->height());
    QCOMPARE(f.Tag(), QString("win - show"));
    QCOMPARE(f.List()->count(), 2);
    QCOMPARE(f.List()->item(0)->text(), QString("hWnd "));
    QCOMPARE(f.List()->item(1)->text(), QString("hEdit& "));
    QVERIFY(f.List()->selectedItems().isEmpty());
    // Two pauses of a second each, at a quarter second a round.
    QCOMPARE(f.time.rounds, 8);
    // The main window takes no typing meanwhile.
    QTest::keyClicks(f.window->editor(), "zz");
    QVERIFY(!f.Text().contains("zz"));
  }

  void okRunsTheActionAsOneUndoStep() {
    Fixture f;
    f.app->doc().SetChanged(u"no");
    f.window->Action("Window_Show")->trigger();
    f.Choose("hWnd ");
    f.Press("SSCommand1");
    const QString declarations =
        "Public Declare Function ShowWindow Lib \"user32\" (ByVal hwnd As Long, ByVal nCmdShow "
        "As Long) As Long\r\nPublic Const SW_SHOW = 5\r\n";
    QCOMPARE(f.Text(), declarations + kCode + "\r\nCall ShowWindow(hWnd , SW_SHOW)\r\n");
    QCOMPARE(f.app->buffer().SelStart(), static_cast<std::size_t>(declarations.size()));
    QVERIFY(!f.Dialog()->isVisible());
    QVERIFY(f.window->isEnabled());
    QCOMPARE(f.List()->count(), 0);
    QCOMPARE(f.Tag(), QString());
    QVERIFY(f.commands->state().code_lines.empty());
    QCOMPARE(f.store.Get("decs", "value"), std::string("true"));
    QVERIFY(f.app->doc().IsModified());
    QVERIFY(f.messenger.shown.empty());
    f.window->editor()->undo();
    QCOMPARE(f.Text(), kCode);
  }

  // One action of each submenu, one after another on the same code.
  void oneActionOfEachSubmenu() {
    Fixture f;
    struct Step {
      const char* item;
      const char* variable;
      QString code;  // what must now end the text
      QString note;  // "" when none
    };
    const Step steps[] = {
        {"clcik_post", "hWnd ",
         "\r\nCall PostMessage(hWnd , WM_LBUTTONDOWN, 0&, 0&)\r\n"
         "Call PostMessage(hWnd , WM_LBUTTONUP, 0&, 0&)\r\n",
         ""},
        {"get_value", "hEdit& ",
         "\r\nCheckVal& = SendMessage(hEdit& , BM_GETCHECK, 0&, vbNullString)\r\n",
         "In the code the variable CheckVal& returns the value of the checkbox."},
        {"Set_Label_Text", "hWnd ",
         "\r\nCall SendMessageByString(hWnd , WM_SETTEXT, 0&, strText$)\r\n", ""},
        {"Get_Count", "hWnd ", "\r\nListCount& = SendMessage(hWnd , LB_GETCOUNT, 0&, 0&)\r\n",
         "In the code the variable ListCount& returns the number of items in the list."},
        {"Click_radio2", "hWnd ",
         "\r\nCall SendMessage(hWnd , WM_LBUTTONDOWN, 0&, 0&)\r\n"
         "Call SendMessage(hWnd , WM_LBUTTONUP, 0&, 0&)\r\n",
         ""},
        {"Text_Send_Char", "hEdit& ",
         "\r\nCall SendMessageByNum(hEdit& , WM_CHAR, lngChar&, 0&)\r\n",
         "In the code you must replace lngChar& with the number of the character you want to "
         "send to the textbox."},
        {"Window_Caption", "hWnd ",
         "\r\nlngLength& = GetWindowTextLength(hWnd )\r\nstrBuffer$ = String(lngLength&, 0&)\r\n"
         "Call GetWindowText(hWnd , strBuffer$, lngLength& + 1&)",
         "The code will put the window's text into the variable strBuffer$."},
        {"Loop_Gone", "hWnd ", "\r\nDo\r\n    DoEvents\r\nLoop Until hWnd  = 0&\r\n", ""},
    };
    for (const Step& step : steps) {
      const QString before = f.Text();
      f.messenger.shown.clear();
      f.window->Action(step.item)->trigger();
      QVERIFY2(f.Dialog()->isVisible(), step.item);
      f.Choose(step.variable);
      f.Press("SSCommand1");
      QVERIFY2(f.Text().endsWith(step.code), step.item);
      QCOMPARE(f.Messages(), step.note.isEmpty() ? QStringList() : QStringList{step.note});
      QVERIFY(f.window->isEnabled());
      f.window->editor()->undo();
      QCOMPARE(f.Text(), before);
      f.window->editor()->redo();
    }
    const QString text = f.Text();
    // Declared once each, on top, in the order the actions needed them.
    QVERIFY(text.startsWith("Public Declare Function GetWindowTextLength"));
    QCOMPARE(text.count("Public Declare Function SendMessage Lib"), 1);
    QCOMPARE(text.count("Public Const WM_LBUTTONDOWN = &H201"), 1);
    QVERIFY(
        text.contains("Dim hWnd As Long\r\nDim CheckVal As Long\r\nDim ListCount As Long\r\n"
                      "Dim lngLength As Long\r\nDim strBuffer As String\r\n"));
    // The waiting loop puts the caret at the end even with the option on.
    QCOMPARE(f.app->buffer().SelStart(), f.app->buffer().Length());
  }

  void okWithoutAVariableLeavesTheDialogAsItWas() {
    Fixture f;
    f.window->Action("Window_Hide")->trigger();
    f.Check()->setChecked(false);
    f.Press("SSCommand1");
    QCOMPARE(f.Messages(), QStringList{"You must select a variable!"});
    QCOMPARE(f.messenger.shown[0].icon, quillan::ui::MessageIcon::kExclamation);
    QVERIFY(f.Dialog()->isVisible());
    QVERIFY(!f.window->isEnabled());
    QCOMPARE(f.List()->count(), 2);
    QCOMPARE(f.Tag(), QString("win - hide"));
    QVERIFY(!f.Check()->isChecked());
    QCOMPARE(f.Text(), kCode);
    QVERIFY(!f.window->editor()->isUndoAvailable());
    // Choosing a name now and pressing OK again runs the action, with the option off.
    f.Choose("hEdit& ");
    f.Press("SSCommand1");
    QCOMPARE(f.Text(), kCode + "\r\nCall ShowWindow(hEdit& , SW_HIDE)\r\n");
    QCOMPARE(f.app->buffer().SelStart(), f.app->buffer().Length());
    QCOMPARE(f.store.Get("decs", "value"), std::string("false"));
  }

  void cancelStoresTheOptionAndEnablesTheMainWindow() {
    Fixture f;
    f.window->Action("Window_Max")->trigger();
    QTest::mouseClick(f.Check(), Qt::LeftButton, {}, QPoint(5, f.Check()->height() / 2));
    QVERIFY(!f.Check()->isChecked());
    f.Choose("hWnd ");
    f.Press("SSCommand2");
    QCOMPARE(f.store.Get("decs", "value"), std::string("false"));
    QVERIFY(f.window->isEnabled());
    QVERIFY(!f.Dialog()->isVisible());
    QCOMPARE(f.List()->count(), 0);
    QVERIFY(f.commands->state().code_lines.empty());
    QCOMPARE(f.Text(), kCode);
    // The same dialog comes back, its box as the user left it.
    SelectVariableDialog* first = f.Dialog();
    f.window->Action("Window_Min")->trigger();
    QCOMPARE(f.Dialog(), first);
    QVERIFY(!f.Check()->isChecked());
    QCOMPARE(f.Tag(), QString("win - min"));
    // Escape is Cancel.
    QTest::keyClick(f.Dialog(), Qt::Key_Escape);
    QVERIFY(!f.Dialog()->isVisible());
    QVERIFY(f.window->isEnabled());
  }

  void closingThroughTheFrameStoresTheOptionAndMakesTheDialogAnew() {
    Fixture f;
    f.window->Action("Text_Get_Text")->trigger();
    f.Check()->setChecked(false);
    QPointer<SelectVariableDialog> first = f.Dialog();
    QVERIFY(first->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(first.isNull());
    QCOMPARE(f.store.Get("decs", "value"), std::string("false"));
    QVERIFY(f.window->isEnabled());
    QVERIFY(f.commands->state().code_lines.empty());
    QVERIFY(f.commands->state().names.empty());
    QCOMPARE(f.Text(), kCode);
    // A new dialog reads the store: anything but exactly "true" is off, empty is on.
    for (const auto& [stored, checked] :
         {std::pair{"TRUE", false}, std::pair{"", true}, std::pair{"true", true}}) {
      f.store.Set("decs", "value", stored);
      f.window->Action("Window_Close")->trigger();
      QCOMPARE(f.Check()->isChecked(), checked);
      f.Dialog()->close();
      QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
  }

  void spaceSelectsTheCurrentNameOnly() {
    // Indented assignments give names that begin with spaces; Space must not search for one.
    Fixture f("hWnd = 1\r\n  hIndent = 2\r\n");
    f.window->Action("Window_Show")->trigger();
    f.List()->setFocus();
    f.List()->setCurrentRow(0, QItemSelectionModel::NoUpdate);
    QTest::keyClick(f.List(), Qt::Key_Space);
    QCOMPARE(f.List()->currentRow(), 0);
    QVERIFY(f.Dialog()->SelectedVariable() == u"hWnd ");
  }

  void refusalStandsAboveTheDialog() {
    Fixture f(kCode, true);
    f.window->Action("Window_Show")->trigger();
    QPointer<QWidget> box_parent;
    QString box_text;
    QTimer::singleShot(0, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      QVERIFY(box != nullptr);
      box_parent = box->parentWidget();
      box_text = box->text();
      box->accept();
    });
    f.Press("SSCommand1");  // OK with no name selected
    QCOMPARE(box_text, QString("You must select a variable!"));
    QVERIFY(box_parent == f.Dialog());
  }

  void pausesShowTheBusyCursorOnTheRealEventPump() {
    // The real pump under a clock that moves a quarter second at each reading, noting the
    // cursor the user sees meanwhile.
    struct WatchingClock : quillan::ui::Clock {
      mutable double now = 100.0;
      mutable QList<int> shapes;
      double MonotonicSeconds() const override {
        const QCursor* cursor = QGuiApplication::overrideCursor();
        shapes << (cursor != nullptr ? cursor->shape() : -1);
        return now += 0.25;
      }
    } clock;
    quillan::testing_support::WindowFixture f;
    f.ports.clock = &clock;
    f.Make(f.Plain());
    f.window->editor()->setText(kCode);
    f.window->Action("Window_Show")->trigger();
    QVERIFY(clock.shapes.contains(Qt::WaitCursor));
    QVERIFY(QGuiApplication::overrideCursor() == nullptr);
    QVERIFY(f.app->window_actions().dialog()->isVisible());
    // The clock that pauses measure is the monotonic one, not the time of day.
    const double steady =
        std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
    QVERIFY(std::abs(quillan::gui::QtClock().MonotonicSeconds() - steady) < 1.0);
  }

  void codeWithoutAssignmentsShowsNoDialog() {
    Fixture f("Dim x As Long\r\nCall Beep");
    f.window->Action("Window_Restore")->trigger();
    QCOMPARE(f.Messages(), QStringList{"You have no variables in your code!"});
    // Made all the same, between the pauses: it reads the option afresh.
    QVERIFY(f.Dialog() != nullptr && !f.Dialog()->isVisible());
    QVERIFY(f.window->isEnabled());
    QVERIFY(f.commands->state().code_lines.empty());
  }

  void dimAllFromMenuShortcutAndToolbar() {
    const QString code = "Dim a As Long\r\nx& = 5\r\ns$ = t$\r\nFor i% = 1 To 3\r\nNext";
    const QString declared =
        "Dim a As Long\r\nDim x As Long\r\nDim s As String\r\nDim i As Integer\r\n"
        "x& = 5\r\ns$ = t$\r\nFor i% = 1 To 3\r\nNext";
    {
      Fixture f(code);
      f.window->Action("Dim_vars")->trigger();
      QCOMPARE(f.Text(), declared);
      f.window->editor()->undo();
      QCOMPARE(f.Text(), code);
    }
    {
      Fixture f(code);
      QTest::mouseClick(f.window->findChild<QToolButton*>("SSCommand3"), Qt::LeftButton);
      QCOMPARE(f.Text(), declared);
    }
    {
      Fixture f(code);
      QCOMPARE(f.window->Action("Dim_vars")->shortcut(), QKeySequence("Ctrl+D"));
      f.window->activateWindow();
      QVERIFY(QTest::qWaitForWindowActive(f.window));
      f.window->editor()->setFocus();
      QTest::keyClick(f.window->editor(), Qt::Key_D, Qt::ControlModifier);
      QCOMPARE(f.Text(), declared);
    }
    {
      Fixture f("Call Beep");
      f.window->Action("Dim_vars")->trigger();
      QCOMPARE(f.Messages(), QStringList{"You have no variables in your code!"});
      QCOMPARE(f.Text(), QString("Call Beep"));
    }
  }
};

QUILLAN_GUI_TEST_MAIN(WindowActionsGuiTest)
#include "window_actions_gui_test.moc"
