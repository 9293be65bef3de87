#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include "gui/windows/about_dialog.h"
#include "gui/windows/help_window.h"
#include "gui/windows/tool_windows.h"
#include "help/help_topics.h"
#include "platform/shell_integration.h"
#include "support/gui_test_main.h"
#include "support/window_fixture.h"

namespace {

struct RecordingShell : quillan::platform::ShellIntegration {
  std::vector<std::string> opened;
  void RegisterProjectType(std::u16string_view) override {}
  void OpenUrl(std::string_view url) override { opened.emplace_back(url); }
};

}  // namespace

// The About box and the help window through the real program: the links' hover states
// and what opens them; descriptions, the Index search and the way back to the main window.
class AboutTest : public QObject {
  Q_OBJECT

  struct Fixture : quillan::testing_support::WindowFixture {
    RecordingShell shell;
    QWidget* about = nullptr;
    Fixture() {
      ports.shell = &shell;
      Make(Plain());
      window->show();
      window->Action("About")->trigger();
      about = app->tool_windows().Existing<quillan::gui::AboutDialog>();
    }
    QLabel* Label(const char* name) const { return about->findChild<QLabel*>(name); }
    void Move(QWidget* over) const {
      QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), over->mapToGlobal(QPointF(2, 2)),
                       Qt::NoButton, Qt::NoButton, Qt::NoModifier);
      QCoreApplication::sendEvent(over, &move);
    }
    bool Lit(const char* name) const {
      return Label(name)->font().underline() &&
             Label(name)->palette().color(QPalette::WindowText) == QColor(0, 0, 255);
    }
  };

 private slots:
  void linksLightUpUntilThePlainPartsAndOpen() {
    Fixture f;
    QVERIFY(f.about && f.about->isVisible() && !f.window->isEnabled());
    QCOMPARE(f.about->windowTitle(), QString("About Quillan"));
    QVERIFY(!f.Lit("Label4") && !f.Lit("Label5"));
    // From the web link straight onto the mail link: both stay lit, with the hand.
    f.Move(f.Label("Label4"));
    f.Move(f.Label("Label5"));
    QVERIFY(f.Lit("Label4") && f.Lit("Label5"));
    QCOMPARE(f.about->cursor().shape(), Qt::PointingHandCursor);
    // A plain label puts both out, and black.
    f.Move(f.Label("Label7"));
    QVERIFY(!f.Lit("Label4") && !f.Lit("Label5"));
    QCOMPARE(f.Label("Label4")->palette().color(QPalette::WindowText), QColor(Qt::black));
    QCOMPARE(f.about->cursor().shape(), Qt::ArrowCursor);
    // Any button's press opens the web link; the mail link wants a click.
    QTest::mousePress(f.Label("Label4"), Qt::RightButton, {}, QPoint(2, 2));
    QTest::mousePress(f.Label("Label5"), Qt::RightButton, {}, QPoint(2, 2));
    QTest::mouseRelease(f.Label("Label5"), Qt::RightButton, {}, QPoint(2, 2));
    QTest::mouseClick(f.Label("Label5"), Qt::LeftButton, {}, QPoint(2, 2));
    QCOMPARE(f.shell.opened,
             (std::vector<std::string>{
                 quillan::gui::AboutDialog::kWebAddress,
                 std::string("mailto:") + quillan::gui::AboutDialog::kMailAddress}));
    // OK hides the box and gives the main window back.
    f.about->findChild<QPushButton*>("SSCommand1")->click();
    QVERIFY(!f.about->isVisible() && f.window->isEnabled());
  }

  void helpShowsDescriptionsSearchesTheIndexAndGivesTheMainWindowBack() {
    Fixture f;
    f.about->hide();
    f.window->Action("Help_Contents")->trigger();
    QWidget* help = f.app->tool_windows().Existing<quillan::gui::HelpWindow>();
    QVERIFY(help && help->isVisible() && !f.window->isEnabled());
    auto* text = help->findChild<QPlainTextEdit*>("txtHelp");
    QVERIFY(text->toPlainText().startsWith("Welcome to the Quillan help contents."));
    auto* contents = help->findChild<QListWidget*>("lstTopics");
    auto* index = help->findChild<QListWidget*>("lstTopics1");
    // Window Spy: the sentence, an empty line and the ten lines in the Contents.
    contents->setCurrentRow(12);
    emit contents->itemDoubleClicked(contents->currentItem());
    QCOMPARE(text->toPlainText().split('\n').size(), 12);
    // Display with the Index current and nothing selected there asks for a topic.
    help->findChild<QTabWidget*>("SSTab1")->setCurrentIndex(1);
    help->findChild<QPushButton*>("SSCommand2")->click();
    QCOMPARE(f.messenger.shown.back().text, std::u16string(quillan::help::kSelectATopic));
    // Enter in the search box walks the Index; Display shows what it found.
    auto* find = help->findChild<QLineEdit*>("txtFind");
    find->setText("spy");
    QStringList walked;
    for (int i = 0; i < 4; ++i) {
      QTest::keyClick(find, Qt::Key_Return);
      walked << index->currentItem()->text();
    }
    QCOMPARE(walked, QStringList({"API Spy", "Color Spy", "Window Spy", "Window Spy"}));
    help->findChild<QPushButton*>("SSCommand2")->click();
    QCOMPARE(text->toPlainText(),
             QString("Drag the cursor over a window to get the window's handle. "
                     "Then you can manipulate the window with different "
                     "functions.\n"));
    // Done and the window's close both give the main window back.
    help->findChild<QPushButton*>("SSCommand1")->click();
    QVERIFY(!help->isVisible() && f.window->isEnabled());
    f.window->Action("Help_Contents")->trigger();
    QCOMPARE(index->currentItem()->text(), QString("Window Spy"));
    help->close();
    QVERIFY(f.window->isEnabled());
  }
};

QUILLAN_GUI_TEST_MAIN(AboutTest)
#include "about_test.moc"
