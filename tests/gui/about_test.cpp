#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>

#include "gui/about_dialog.h"
#include "gui/tool_windows.h"
#include "platform/shell_integration.h"
#include "support/gui_test_main.h"
#include "support/window_fixture.h"

namespace {

struct RecordingShell : quillan::platform::ShellIntegration {
  std::vector<std::string> opened;
  void RegisterProjectType(std::string_view) override {}
  void OpenUrl(std::string_view url) override { opened.emplace_back(url); }
};

}  // namespace

// The About box through the real program: its links' hover states and what opens them.
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
      about = app->tool_windows().Existing("frmAbout");
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
};

QUILLAN_GUI_TEST_MAIN(AboutTest)
#include "about_test.moc"
