#include <QApplication>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "document/recovery.h"
#include "gui/commands/recovery_keeper.h"
#include "gui/widgets/code_editor.h"
#include "gui/windows/recovery_dialog.h"
#include "support/gui_test_main.h"
#include "support/window_fixture.h"

using quillan::document::ParseRecoveryCopy;
using quillan::document::RecoveryHeader;
using quillan::document::RecoveryInfo;
using quillan::gui::ToQString;
using quillan::gui::ToU16;
using quillan::ui::MessageAnswer;

namespace {

// The copy a Quillan that died would have left of this text.
std::string LeftCopyOf(const std::u16string& path, const std::string& text) {
  RecoveryInfo info;
  info.path = path;
  info.written_at = 1796870000;
  return RecoveryHeader(info, text.size()) + text;
}

}  // namespace

// Recovery copies through the real program on an in-memory store: kept while work is unsaved,
// offered at the next start, restored, discarded or kept for later.
class RecoveryGuiTest : public QObject {
  Q_OBJECT

  struct Fixture : quillan::testing_support::WindowFixture {
    std::vector<std::string> started_elsewhere;
    Fixture() {
      ports.restore_elsewhere = [this](const std::string& id) {
        started_elsewhere.push_back(id);
        return true;
      };
    }
    void Start() {
      Make(Plain());
      window->show();
      QVERIFY(QTest::qWaitForWindowExposed(window));
    }
    void Type(const char* s) { QTest::keyClicks(window->editor(), s); }
    std::string OwnText() {
      app->recovery_keeper().WaitUntilWritten();
      if (!recovery.own()) return "<none>";
      const auto copy = ParseRecoveryCopy(*recovery.own());
      return copy ? std::string(copy->text) : "<unreadable>";
    }
  };

  // Answers the recovery dialog, once it is up, with the button `name`, after unchecking the
  // rows in `uncheck`; `seen` gets the rows it showed.
  static void AnswerDialog(const char* name, QStringList* seen, std::vector<int> uncheck = {}) {
    QTimer::singleShot(0, [=] {
      auto* dialog = qobject_cast<quillan::gui::RecoveryDialog*>(QApplication::activeModalWidget());
      if (dialog == nullptr) return AnswerDialog(name, seen, uncheck);
      auto* list = dialog->findChild<QTreeWidget*>("lstCopies");
      for (int i = 0; i < list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = list->topLevelItem(i);
        *seen << item->text(0) + "|" + item->text(2);
      }
      for (int row : uncheck) list->topLevelItem(row)->setCheckState(0, Qt::Unchecked);
      dialog->findChild<QPushButton*>(name)->click();
    });
  }

 private slots:
  void aCopyIsKeptWhileWorkIsUnsaved() {
    Fixture f;
    f.Start();
    f.Type("x = 1");
    // Written by itself a moment after typing stops.
    QTRY_VERIFY_WITH_TIMEOUT(f.recovery.own().has_value(), 5000);
    QCOMPARE(f.OwnText(), std::string("x = 1"));

    QTemporaryDir dir;
    f.chooser.answers = {ToU16(dir.filePath("saved.qlp"))};
    f.window->Action("Save_As")->trigger();
    QCOMPARE(f.OwnText(), std::string("<none>"));

    f.Type("y");
    f.app->recovery_keeper().WriteNow();
    const auto copy = ParseRecoveryCopy(*f.recovery.own());
    QVERIFY(copy);
    QCOMPARE(ToQString(copy->info.path), dir.filePath("saved.qlp"));
    QVERIFY(copy->info.disk.has_value());

    f.messenger.answers = {MessageAnswer::kYes};  // discard the changes
    f.window->Action("New")->trigger();
    QCOMPARE(f.OwnText(), std::string("<none>"));

    // A copy that cannot be written is told about once, not at every change.
    f.recovery.FailWrites(u"No space left on device");
    for (const char* more : {"a", "b"}) {
      f.Type(more);
      f.app->recovery_keeper().WriteNow();
      QCoreApplication::processEvents();
    }
    QCOMPARE(f.messenger.shown.size(), std::size_t{2});
    QVERIFY(f.messenger.shown.back().text.starts_with(
        u"Quillan cannot keep a recovery copy of your unsaved work in \"memory\": No space left "
        u"on device."));
  }

  void leftWorkIsRestoredHereAndInNewWindows() {
    Fixture f;
    f.recovery.left()["a"] = LeftCopyOf(u"/p/demo.qlp", "\r\nSub Main()\r\nEnd Sub");
    f.recovery.left()["b"] = LeftCopyOf(u"", "x = 2");
    f.recovery.left()["c"] = LeftCopyOf(u"", "kept for later");
    f.recovery.left()["d"] = "Quillan recovery copy 9\nfrom a newer Quillan";
    QStringList seen;
    AnswerDialog("cmdRestore", &seen, {2});
    f.Start();
    QTRY_COMPARE(seen.size(), 3);
    QCOMPARE(seen,
             (QStringList{"demo.qlp|Sub Main()", "Untitled|x = 2", "Untitled|kept for later"}));
    QCOMPARE(f.Text(), QString("\r\nSub Main()\r\nEnd Sub"));
    QCOMPARE(f.window->windowTitle(), QString("Quillan - [demo.qlp]"));
    QCOMPARE(f.app->doc().changed(), std::u16string(u"yes"));
    QCOMPARE(f.OwnText(), std::string("\r\nSub Main()\r\nEnd Sub"));
    QCOMPARE(f.started_elsewhere, std::vector<std::string>{"b"});
    // b was handed on, c kept for a later start, d left alone: each may be claimed again.
    QCOMPARE(f.recovery.ClaimLeft().size(), std::size_t{3});
  }

  void discardAsksFirstAndLaterKeepsEverything() {
    Fixture f;
    f.recovery.left()["a"] = LeftCopyOf(u"", "one");
    f.recovery.left()["b"] = LeftCopyOf(u"", "two");
    QStringList seen;
    f.messenger.answers = {MessageAnswer::kNo, MessageAnswer::kYes};
    AnswerDialog("cmdDiscard", &seen, {1});  // answered No: the dialog comes back
    QTimer::singleShot(50, [&seen] { AnswerDialog("cmdDiscard", &seen, {1}); });
    f.Start();
    QTRY_COMPARE(seen.size(), 4);
    QCOMPARE(f.messenger.shown.size(), std::size_t{2});
    QCOMPARE(f.recovery.left().size(), std::size_t{1});
    QVERIFY(f.recovery.left().count("b"));
    QCOMPARE(f.Text(), QString());

    Fixture later;
    later.recovery.left()["a"] = LeftCopyOf(u"", "one");
    AnswerDialog("cmdLater", &seen);
    later.Start();
    QTRY_COMPARE(seen.size(), 5);
    QCOMPARE(later.recovery.ClaimLeft().size(), std::size_t{1});
  }
};

QUILLAN_GUI_TEST_MAIN(RecoveryGuiTest)
#include "recovery_gui_test.moc"
