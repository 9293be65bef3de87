// Runs the code generators from the real menu, answering the real input boxes.

#include <QAction>
#include <QApplication>
#include <QInputDialog>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <deque>
#include <functional>
#include <memory>

#include "codegen/insert_declarations.h"
#include "gui/commands/codegen_commands.h"
#include "gui/widgets/qt_convert.h"
#include "gui/windows/main_window.h"
#include "settings/settings_store.h"
#include "support/gui_test_main.h"
#include "support/window_fixture.h"

using quillan::gui::MainWindow;
using quillan::gui::StartupOptions;
using quillan::gui::ToQString;
using quillan::settings::MemorySettingsStore;
using quillan::testing_support::RecordingMessenger;

namespace {

// Answers the input boxes that the next command opens, one step per box, in order.
class InputBoxScript : public QObject {
 public:
  using Step = std::function<void(QInputDialog*)>;

  explicit InputBoxScript(std::deque<Step> steps) : steps_(std::move(steps)) { Arm(); }
  bool done() const { return steps_.empty(); }

 private:
  void Arm() {
    QTimer::singleShot(10, this, [this] { Answer(); });
  }
  void Answer() {
    if (steps_.empty()) return;
    auto* box = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
    if (box == nullptr || box->objectName() != "inputBox") {
      Arm();  // not open yet
      return;
    }
    Step step = std::move(steps_.front());
    steps_.pop_front();
    step(box);
    Arm();
  }
  std::deque<Step> steps_;
};

InputBoxScript::Step Type(const QString& answer, const QString& expected_default = {}) {
  return [answer, expected_default](QInputDialog* box) {
    QCOMPARE(box->windowTitle(), QString("Quillan"));
    QCOMPARE(box->textValue(), expected_default);
    box->setTextValue(answer);
    box->accept();
  };
}

InputBoxScript::Step Cancel() {
  return [](QInputDialog* box) { box->reject(); };
}

}  // namespace

class CodegenGuiTest : public QObject {
  Q_OBJECT

 private:
  struct Fixture : quillan::testing_support::WindowFixture {
    Fixture() {
      Make(Plain());
      window->show();
    }
    // Triggers the menu item and answers its input boxes.
    void Run(const char* action, std::deque<InputBoxScript::Step> steps) {
      InputBoxScript script(std::move(steps));
      window->Action(action)->trigger();
      QVERIFY(script.done());
    }
  };

 private slots:
  void statementGoesInAsOneUndoStep() {
    Fixture f;
    f.window->editor()->setText("x = 1");
    f.app->doc().SetChanged(u"no");
    f.Run("If_Then", {Type("x > 5")});
    QCOMPARE(f.Text(), QString("x = 1\r\nIf x > 5 Then\r\n    \r\nEnd If"));
    QCOMPARE(f.app->buffer().SelStart(), f.app->buffer().Length());
    QCOMPARE(f.window->editor()->Send(QsciScintillaBase::SCI_GETCURRENTPOS),
             f.window->editor()->Send(QsciScintillaBase::SCI_GETLENGTH));
    QVERIFY(f.app->doc().IsModified());
    f.window->editor()->undo();
    QCOMPARE(f.Text(), QString("x = 1"));
  }

  void formOnTopWithDeclarationsIsOneUndoStep() {
    Fixture f;
    f.Run("Form_On_Top", {Type("Form1")});
    const QString text = f.Text();
    QVERIFY(text.startsWith("Public Declare Function SetWindowPos Lib \"user32\""));
    QVERIFY(
        text.endsWith("Public Const FLAGS = SWP_NOMOVE Or SWP_NOSIZE\r\n\r\n"
                      "Call SetWindowPos(Form1.hWnd,  HWND_TOPMOST, 0&, 0&, 0&, 0&, FLAGS)"
                      "\r\n"));
    // The caret stands after the last declaration, at the start of the empty line.
    QCOMPARE(f.app->buffer().SelStart(),
             static_cast<std::size_t>(text.indexOf("\r\n\r\nCall") + 2));
    QVERIFY(f.app->doc().IsModified());
    f.window->editor()->undo();
    QCOMPARE(f.Text(), QString());
  }

  void theSharedOptionSwitchesDeclarationsOff() {
    Fixture f;
    f.app->insert_declarations().Set(false);
    f.Run("Form_Not_On_Top", {Type("Me")});
    QCOMPARE(f.Text(),
             QString("\r\nCall SetWindowPos(Me.hWnd,  HWND_NOTOPMOST, 0&, 0&, 0&, 0&, FLAGS)\r\n"));
  }

  void cancelAtTheSecondPromptChangesNothing() {
    Fixture f;
    f.Run("Do_Loop_Until", {Type("x = 1"), Cancel()});
    QCOMPARE(f.Text(), QString());
    QVERIFY(!f.app->doc().IsModified());
    QVERIFY(!f.window->editor()->isUndoAvailable());
  }

  void presetsWithTwoPromptsAndDefaults() {
    Fixture f;
    f.Run("Load_Text", {Type("/tmp/a.txt"), Type("Text1.Text")});
    f.Run("Encrypt_String", {Type("strText$", "strText$")});
    f.Run("Link_IE", {Type("https://example.org/quillan", "https://example.org/quillan")});
    const QString text = f.Text();
    QVERIFY(text.startsWith("Dim lngMidNum As Long\r\nDim intChar As Integer\r\n"));
    QVERIFY(
        text.contains("\r\nOpen \"/tmp/a.txt\" For Input As #1\r\n"
                      "Text1.Text = Input$(LOF(1), 1)\r\nClose #1\r\nstrChar$=\"\"\r\n"));
    QVERIFY(text.endsWith("\r\nShell (\"Explorer https://example.org/quillan\")"));
    // Three commands, three undo steps.
    f.window->editor()->undo();
    f.window->editor()->undo();
    QVERIFY(f.Text().endsWith("Close #1"));
    f.window->editor()->undo();
    QCOMPARE(f.Text(), QString());
  }

  void pauseGoesInAtTheCaret() {
    Fixture f;
    f.window->editor()->setText("ab");
    f.window->editor()->Send(QsciScintillaBase::SCI_GOTOPOS, 1);
    f.Run("Code_Pause", {Type("0.7", "0.7")});
    QCOMPARE(f.Text(), QString("Dim Current As Long\r\na\r\nCurrent = Timer\r\n"
                               "Do Until Timer - Current >= 0.7\r\n    DoEvents\r\nLoopb"));
    QCOMPARE(f.app->buffer().SelStart(), std::size_t{21});
  }
};

QUILLAN_GUI_TEST_MAIN(CodegenGuiTest)
#include "codegen_gui_test.moc"
