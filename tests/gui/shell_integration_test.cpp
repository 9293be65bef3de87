#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <memory>

#include "gui/app/freedesktop_shell.h"
#include "gui/app/qt_ports.h"
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

struct Fixture : quillan::testing_support::WindowFixture {
  explicit Fixture(std::optional<QString> argument,
                   const QString& program = "/opt/Q Tools/quillan") {
    Make(StartupOptions{program, argument});
  }
  QString Code() const { return ToQString(app->buffer().Text()); }
};

}  // namespace

class UrlRecorder : public QObject {
  Q_OBJECT

 public:
  QList<QUrl> opened;

 public slots:
  void Open(const QUrl& url) { opened << url; }
};

class ShellIntegrationTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    // A fresh data folder for each test, so that each sees only its own registration.
    data_home_ = std::make_unique<QTemporaryDir>();
    QVERIFY(data_home_->isValid() && work_.isValid());
    qputenv("XDG_DATA_HOME", QFile::encodeName(data_home_->path()));
    QDir::setCurrent(work_.path());
    QFile project(work_.filePath("my project.qlp"));
    QVERIFY(project.open(QIODevice::WriteOnly));
    project.write("Dim x\r\n");
  }

  void commandLineOpensAProject_data() {
    QTest::addColumn<QString>("argument");
    QTest::newRow("relative") << "my project.qlp";
    QTest::newRow("quoted relative") << "\"my project.qlp\"";
    QTest::newRow("absolute") << work_.filePath("my project.qlp");
  }

  void commandLineOpensAProject() {
    QFETCH(QString, argument);
    Fixture f(argument);
    QVERIFY(f.messenger.shown.empty());
    QCOMPARE(f.Code(), QString("Dim x"));
    QCOMPARE(ToQString(f.app->doc().path()), work_.filePath("my project.qlp"));
    QCOMPARE(f.window->windowTitle(), QString("Quillan - [my project.qlp]"));
    QVERIFY(!f.app->doc().IsModified());
    // A start-up with an argument registers nothing.
    QVERIFY(QDir(data_home_->path()).isEmpty());
  }

  void unreadableArgumentGivesAnEmptyUntitledDocument() {
    Fixture f(QString("missing.qlp"));
    f.window->show();
    QTRY_COMPARE(f.messenger.shown.size(), std::size_t{1});
    const auto& shown = f.messenger.shown[0];
    QCOMPARE(shown.icon, quillan::ui::MessageIcon::kCritical);
    QVERIFY(ToQString(shown.text).endsWith('.'));
    QCOMPARE(f.Code(), QString());
    QCOMPARE(f.window->windowTitle(), QString("Quillan - [Untitled]"));
    QVERIFY(f.app->doc().path().empty());
  }

  void startupWithoutArgumentRegistersTheType() {
    Fixture f(std::nullopt);
    const QDir data(data_home_->path());
    // Once the window is on the screen.
    QVERIFY(data.isEmpty());
    f.window->show();
    QTRY_VERIFY(data.exists("applications/quillan.desktop"));
    QVERIFY(f.messenger.shown.empty());
    QFile entry(data.filePath("applications/quillan.desktop"));
    QVERIFY(entry.open(QIODevice::ReadOnly));
    QVERIFY(entry.readAll().contains("\nExec=\"/opt/Q Tools/quillan\" %f\n"));
    QVERIFY(data.exists("mime/packages/quillan.xml"));
    for (int size : {16, 32, 48, 64}) {
      const QString icon = data.filePath(QString("icons/hicolor/%1x%1/apps/quillan.png").arg(size));
      QCOMPARE(QImage(icon).size(), QSize(size, size));
    }
  }

  void webSitesOpenTheirAddresses() {
    Fixture f(QString("my project.qlp"));
    UrlRecorder recorder;
    QDesktopServices::setUrlHandler("https", &recorder, "Open");
    for (const char* name : {"Site_Home", "Site_Host", "Site_Assoc1", "Site_Assoc2"}) {
      f.window->Action(name)->trigger();
    }
    QDesktopServices::unsetUrlHandler("https");
    QCOMPARE(recorder.opened.size(), 4);
    QCOMPARE(recorder.opened[0], QUrl("https://example.org/quillan"));
    for (const QUrl& url : recorder.opened) {
      QCOMPARE(url.host(), QString("example.org"));
      QCOMPARE(recorder.opened.count(url), 1);
    }
  }

 private:
  std::unique_ptr<QTemporaryDir> data_home_;
  QTemporaryDir work_;
};

QUILLAN_GUI_TEST_MAIN(ShellIntegrationTest)
#include "shell_integration_test.moc"
