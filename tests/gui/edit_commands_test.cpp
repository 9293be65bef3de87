#include "gui/commands/edit_commands.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QToolButton>
#include <memory>

#include "gui/widgets/qt_convert.h"
#include "gui/windows/find_dialog.h"
#include "gui/windows/main_window.h"
#include "gui/windows/tool_windows.h"
#include "settings/settings_store.h"
#include "support/gui_test_main.h"
#include "support/window_fixture.h"

using quillan::gui::FindDialog;
using quillan::gui::MainWindow;
using quillan::gui::ToQString;
using quillan::gui::ToU16;
using quillan::settings::MemorySettingsStore;
using quillan::testing_support::RecordingMessenger;

namespace {

struct Fixture : quillan::testing_support::WindowFixture {
  Fixture() {
    Make(std::nullopt);
    window->show();
  }
  quillan::gui::CodeEditor* editor() const { return window->editor(); }
  QString Code() const { return ToQString(app->buffer().Text()); }
  void SetCode(const QString& code) {
    app->buffer().SetText(ToU16(code));
    app->doc().SetChanged(u"no");
  }
  void Select(std::size_t start, std::size_t length) {
    app->buffer().SetSelStart(start);
    app->buffer().SetSelLength(length);
  }
  void Trigger(const char* action) { window->Action(action)->trigger(); }
  bool Enabled(const char* name) const {
    if (QAction* action = window->Action(name)) return action->isEnabled();
    return window->findChild<QToolButton*>(name)->isEnabled();
  }
  // A left-button release over the editor, as after a drag that made the current selection.
  void ReleaseMouse() {
    QTest::mouseRelease(editor()->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    QCoreApplication::processEvents();
  }
  FindDialog* Find() const {
    return static_cast<FindDialog*>(app->tool_windows().Existing<quillan::gui::FindDialog>());
  }
  template <typename T>
  T* FindControl(const char* name) const {
    return Find()->findChild<T*>(name);
  }
  void Click(const char* button) { FindControl<QPushButton>(button)->click(); }
};

const char* const kSelectionControls[] = {"Cut", "Copy", "Delete", "btnCut", "btnCopy"};

}  // namespace

class EditCommandsTest : public QObject {
  Q_OBJECT

 private slots:
  void clipboardCommands() {
    struct Row {
      const char* name;
      const char* command;
      const char* clipboard_before;
      std::size_t sel_start, sel_length;
      const char* code_after;
      const char* clipboard_after;
      std::size_t caret_after;
    };
    const char* code = "Dim a\r\nDim b\r\n";
    const Row rows[] = {
        {"copy leaves the code", "Copy", "old", 4, 1, code, "a", 4},
        {"copy of lines uses newlines", "Copy", "old", 0, 12, code, "Dim a\nDim b", 0},
        {"cut", "Cut", "old", 0, 4, "a\r\nDim b\r\n", "Dim ", 0},
        {"stale copy empties the clipboard", "Copy", "old", 3, 0, code, "", 3},
        {"stale cut changes no code", "Cut", "old", 3, 0, code, "", 3},
        {"paste at the caret", "Paste", "x = 1\n", 7, 0, "Dim a\r\nx = 1\r\nDim b\r\n", "x = 1\n",
         14},
        {"paste replaces the selection", "Paste", "c", 11, 1, "Dim a\r\nDim c\r\n", "c", 12},
        {"paste of no text deletes the selection", "Paste", "", 0, 4, "a\r\nDim b\r\n", "", 0},
        {"delete keeps the clipboard", "Delete", "old", 0, 7, "Dim b\r\n", "old", 0},
    };
    for (const Row& r : rows) {
      Fixture f;
      f.SetCode(code);
      QGuiApplication::clipboard()->setText(r.clipboard_before);
      // Enable Cut, Copy and Delete, then select what the row needs (possibly nothing: the
      // state is stale then, as after selecting with the keyboard).
      f.Trigger("Select_All");
      f.ReleaseMouse();
      f.Select(r.sel_start, r.sel_length);
      f.Trigger(r.command);
      const QString row = r.name;
      QCOMPARE(f.Code() + row, QString(r.code_after) + row);
      QCOMPARE(QGuiApplication::clipboard()->text() + row, QString(r.clipboard_after) + row);
      QCOMPARE(f.app->buffer().SelStart(), r.caret_after);
      // Copy keeps the selection; only a real change of the code marks the document.
      QCOMPARE(f.app->buffer().SelLength(), QString(r.command) == "Copy" ? r.sel_length : 0);
      QCOMPARE(f.app->doc().IsModified(), QString(r.code_after) != code);
    }
  }

  void selectionControlsFollowOnlyTheMouseRelease() {
    Fixture f;
    f.SetCode("Dim a\r\nDim b");
    auto expect_all = [&](bool enabled) {
      for (const char* name : kSelectionControls) {
        if (f.Enabled(name) != enabled) QFAIL(qPrintable(QString("wrong state of ") + name));
      }
    };
    expect_all(false);
    // Select All and the keyboard leave the stale state.
    f.Trigger("Select_All");
    QCOMPARE(f.app->buffer().SelLength(), std::size_t{12});
    expect_all(false);
    f.ReleaseMouse();
    expect_all(true);
    QTest::keyClick(f.editor(), Qt::Key_Right);
    QVERIFY(!f.editor()->hasSelectedText());
    expect_all(true);
    // Any button counts; here a right click, which leaves the (now empty) selection as it is.
    f.editor()->setContextMenuPolicy(Qt::NoContextMenu);
    QTest::mouseClick(f.editor()->viewport(), Qt::RightButton, {}, QPoint(5, 5));
    QCoreApplication::processEvents();
    expect_all(false);
    for (const char* name : {"Paste", "Undo", "Select_All", "btnPaste", "btnUndo"}) {
      QVERIFY2(f.Enabled(name), name);
    }
  }

  void undoTogglesOneLevel() {
    Fixture f;
    f.SetCode("Dim a\r\n");
    f.editor()->Send(QsciScintillaBase::SCI_DOCUMENTEND);
    QTest::keyClicks(f.editor(), "Dim b");
    QCOMPARE(f.Code(), QString("Dim a\r\nDim b"));
    f.Trigger("Undo");
    QCOMPARE(f.Code(), QString("Dim a\r\n"));
    f.window->findChild<QToolButton*>("btnUndo")->click();
    QCOMPARE(f.Code(), QString("Dim a\r\nDim b"));
    f.Trigger("Undo");
    QCOMPARE(f.Code(), QString("Dim a\r\n"));
    // A new edit after an Undo is what the next Undo reverts.
    f.Trigger("Undo");
    f.Select(0, 4);
    f.ReleaseMouse();
    f.Trigger("Delete");
    QCOMPARE(f.Code(), QString("a\r\nDim b"));
    f.Trigger("Undo");
    QCOMPARE(f.Code(), QString("Dim a\r\nDim b"));
    f.Trigger("Undo");
    QCOMPARE(f.Code(), QString("a\r\nDim b"));
    QVERIFY(f.app->doc().IsModified());
  }

  void findWindowKeepsItsStateWhenHidden() {
    Fixture f;
    f.SetCode("Dim x\r\ndim y");
    f.Select(0, 3);
    f.Trigger("Find");
    FindDialog* dialog = f.Find();
    QVERIFY(dialog && dialog->isVisible() && !dialog->isModal() && !dialog->parentWidget());
    QVERIFY(dialog->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QCOMPARE(dialog->objectName() + dialog->windowTitle(), QString("frmFindFind/Replace"));
    const std::pair<const char*, const char*> captions[] = {
        {"Label1", "&Find What:"}, {"Label2", "R&eplace With:"}, {"Command1", "F&ind"},
        {"Command2", "&Replace"},  {"Command4", "Replace &All"}, {"Command3", "&Close"}};
    for (const auto& [name, caption] : captions) {
      QObject* control = dialog->findChild<QObject*>(name);
      QVERIFY2(control, name);
      QCOMPARE(control->property("text").toString(), QString(caption));
    }
    QCOMPARE(f.FindControl<QLabel>("Label1")->buddy(), f.FindControl<QLineEdit>("txtFind"));
    QCOMPARE(f.FindControl<QLabel>("Label2")->buddy(), f.FindControl<QLineEdit>("txtReplace"));

    // The selection became the search text; Find steps on, Close only hides.
    auto* find_text = f.FindControl<QLineEdit>("txtFind");
    QCOMPARE(find_text->text(), QString("Dim"));
    f.Click("Command1");
    f.Click("Command1");
    QCOMPARE(f.app->buffer().SelStart(), std::size_t{7});
    QCOMPARE(f.FindControl<QLabel>("Label3")->text(), QString("9"));
    f.Click("Command3");
    QVERIFY(!dialog->isVisible());
    // Reopened with no selection: the search text and the position stay, even after New.
    f.Trigger("New");
    f.SetCode("dim a dim b");
    f.Trigger("Find");
    QVERIFY(dialog->isVisible());
    QCOMPARE(find_text->text(), QString("Dim"));
    f.Click("Command1");
    QCOMPARE(f.app->buffer().SelStart(), std::size_t{0});  // nothing at or after 9: wraps
    QCOMPARE(f.FindControl<QLabel>("Label3")->text(), QString("2"));
  }

  void findWindowOpensBesideTheMainWindow() {
    Fixture f;
    // The test screen is 800 pixels wide: no room on the right, so it goes on the left.
    f.window->move(400, 20);
    f.Trigger("Find");
    const QRect main = f.window->frameGeometry();
    const QRect find = f.Find()->frameGeometry();
    QVERIFY2(!find.intersects(main),
             qPrintable(QString("find at %1,%2").arg(find.x()).arg(find.y())));
    QCOMPARE(find.top(), main.top());
    QVERIFY(f.window->screen()->availableGeometry().contains(find));
    // Once the user has moved it, it opens where the user left it.
    f.Find()->move(300, 300);
    f.Click("Command3");
    f.Trigger("Find");
    QCOMPARE(f.Find()->pos(), QPoint(300, 300));
  }

  void findWindowMessages() {
    Fixture f;
    f.SetCode("Dim x\r\nDim y");
    f.Trigger("Find");
    auto* find_text = f.FindControl<QLineEdit>("txtFind");
    auto* replace_text = f.FindControl<QLineEdit>("txtReplace");
    struct Step {
      const char* find;
      const char* replace;
      const char* button;
      const char* message;
    };
    const Step steps[] = {
        {"", "", "Command1", "You must enter text to search for."},
        {"", "Private", "Command4", "You must enter text to search for."},
        {"Loop", "", "Command1", "Search text was not found."},
        {"Loop", "Private", "Command4", "Search text was not found."},
        {"dim", "", "Command2", "You must enter text to replace."},
        {"dim", "Private", "Command2", "You have no selected text to replace."},
        {"dim", "Private", "Command4", "All instances of dim have been replaced with Private."},
    };
    for (const Step& step : steps) {
      find_text->setText(step.find);
      replace_text->setText(step.replace);
      f.messenger.shown.clear();
      f.Click(step.button);
      QCOMPARE(f.messenger.shown.size(), std::size_t{1});
      QCOMPARE(ToQString(f.messenger.shown.back().text), QString(step.message));
      QCOMPARE(ToQString(f.messenger.shown.back().title), QString("Quillan"));
    }
    // The last step replaced both, whatever their case: the report is true.
    QCOMPARE(f.Code(), QString("Private x\r\nPrivate y"));
  }

  void replacementsAreOneUndoStepEach() {
    Fixture f;
    QString code = "a = 1\r\n";
    for (int i = 0; i < 200; ++i) code += QString("Dim v%1 As Long\r\n").arg(i);
    f.SetCode(code);
    f.Trigger("Find");
    f.FindControl<QLineEdit>("txtFind")->setText("dim");
    f.FindControl<QLineEdit>("txtReplace")->setText("Private");
    // Replace of a selection made by hand, then Find on the changed text.
    f.Select(0, 1);
    f.Click("Command2");
    QVERIFY(f.Code().startsWith("Private = 1\r\nDim v0"));
    QCOMPARE(ToQString(f.app->buffer().SelText()), QString("Dim"));
    QCOMPARE(f.app->buffer().SelStart(), std::size_t{13});
    f.Trigger("Undo");
    QCOMPARE(f.Code(), code);

    f.Click("Command4");
    QString replaced = code;
    replaced.replace("Dim", "Private");
    QCOMPARE(f.Code(), replaced);
    QCOMPARE(f.app->buffer().SelStart(), std::size_t{0});
    f.Trigger("Undo");
    QCOMPARE(f.Code(), code);
    f.Trigger("Undo");
    QCOMPARE(f.Code(), replaced);
  }
};

QUILLAN_GUI_TEST_MAIN(EditCommandsTest)
#include "edit_commands_test.moc"
