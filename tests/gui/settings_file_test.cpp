#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>

#include "gui/app/application.h"
#include "gui/app/qt_ports.h"
#include "gui/widgets/qt_convert.h"
#include "gui/windows/main_window.h"
#include "platform/shell_integration.h"
#include "support/gui_test_main.h"
#include "support/recorders.h"
#include "support/window_fixture.h"

using quillan::gui::ToQString;

namespace {

struct QuietShell : quillan::platform::ShellIntegration {
  void RegisterProjectType(std::u16string_view) override {}
  void OpenUrl(std::string_view) override {}
};

// A configuration folder of its own, with the settings folder made, for one case. Everything
// in it can be reached by the unprivileged user the permission cases run as.
struct ConfigHome {
  QTemporaryDir dir;
  QString folder = dir.path() + "/config/Quillan";
  QString file = folder + "/Quillan.ini";
  QByteArray saved = qgetenv("XDG_CONFIG_HOME");
  ConfigHome() {
    QDir().mkpath(folder);
    QFile::setPermissions(dir.path(), QFile::permissions(dir.path()) | QFile::ExeOther);
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.path() + "/config"));
  }
  ~ConfigHome() { qputenv("XDG_CONFIG_HOME", saved); }
  void Write(const QString& name, const QByteArray& bytes) const {
    QFile f(name);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
  }
  QByteArray Read(const QString& name) const {
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
  }
};

// The program on the settings store it makes itself, started and on the screen, with its
// messages recorded.
struct Program {
  quillan::testing_support::RecordingMessenger messenger;
  QuietShell shell;
  std::unique_ptr<quillan::gui::Application> app;
  Program() {
    quillan::gui::Ports ports;
    ports.messenger = &messenger;
    ports.shell = &shell;
    app = std::make_unique<quillan::gui::Application>(ports);
    app->Startup(quillan::testing_support::WindowFixture::Plain());
    app->main_window()->show();
    QVERIFY(QTest::qWaitForWindowExposed(app->main_window()));
  }
  quillan::gui::MainWindow& window() { return *app->main_window(); }
  void ToggleToolbar() { window().Action("Hide_toolbar")->trigger(); }
  QString Message(std::size_t i) const { return ToQString(messenger.shown.at(i).text); }
};

// Permission bits bind only users other than root: as root, the permission cases run as
// nobody (real and effective, as the checks of access rights use the real one), and the saved
// identity brings root back when the guard goes.
struct Unprivileged {
  bool root = geteuid() == 0;
  Unprivileged() {
    if (root && (setresgid(65534, 65534, 0) != 0 || setresuid(65534, 65534, 0) != 0)) {
      qFatal("cannot become nobody");
    }
  }
  ~Unprivileged() {
    if (root && (setresuid(0, 0, 0) != 0 || setresgid(0, 0, 0) != 0)) {
      qFatal("cannot become root again");
    }
  }
};

mode_t TypeOf(const QString& name) {
  struct stat st {};
  return ::lstat(QFile::encodeName(name).constData(), &st) == 0 ? (st.st_mode & S_IFMT) : 0;
}

}  // namespace

// The settings file through the real store and the composition root: only a regular file,
// or a link to one, is ever opened, and a file that cannot be used is reported once.
class SettingsFileTest : public QObject {
  Q_OBJECT

 private slots:
  void theFileIsWhereQSettingsKeepsIt() {
    QCOMPARE(
        quillan::gui::QtSettingsStore::UserFileName(),
        QSettings(QSettings::IniFormat, QSettings::UserScope, "Quillan", "Quillan").fileName());
  }

  void aLinkToARegularFileIsFollowedAndKept() {
    ConfigHome home;
    QDir().mkpath(home.dir.path() + "/dotfiles");
    home.Write(home.dir.path() + "/dotfiles/quillan.ini", "[window]\nontop=false\n");
    QVERIFY(QFile::link("../../dotfiles/quillan.ini", home.file));
    const QString target = home.dir.path() + "/dotfiles/quillan.ini";
    {
      Program program;
      QVERIFY(!program.window().on_top());
      program.ToggleToolbar();
      QVERIFY(program.messenger.shown.empty());
      // Written a moment after the change, not only at exit.
      QTRY_VERIFY2(home.Read(target).contains("[prefs]\ntoolbar=no\n"), home.Read(target));
      QVERIFY(home.Read(target).contains("[window]\nontop=false\n"));
      // A change the program ends before writing is written as it goes.
      program.ToggleToolbar();
    }
    QVERIFY2(home.Read(target).contains("[prefs]\ntoolbar=use\n"), home.Read(target));
    QVERIFY(QFileInfo(home.file).isSymLink());
    QCOMPARE(QFileInfo(home.file).symLinkTarget(), home.dir.path() + "/dotfiles/quillan.ini");
  }

  void anythingButARegularFileIsNeverOpened_data() {
    QTest::addColumn<std::function<bool(const ConfigHome&)>>("make");
    QTest::addColumn<QString>("reason");
    const auto fifo = [](const QString& name) {
      return ::mkfifo(QFile::encodeName(name).constData(), 0600) == 0;
    };
    QTest::newRow("pipe") << std::function([fifo](const ConfigHome& h) { return fifo(h.file); })
                          << QString("not a regular file but a device, a pipe or a socket");
    QTest::newRow("link to a pipe") << std::function([fifo](const ConfigHome& h) {
      return fifo(h.folder + "/pipe") && QFile::link(h.folder + "/pipe", h.file);
    }) << QString("/pipe\", which is not a regular file");
    // The null device, made where replacing it would do no harm.
    QTest::newRow("link to a device") << std::function([](const ConfigHome& h) {
      if (::mknod(QFile::encodeName(h.folder + "/null").constData(), S_IFCHR | 0666,
                  makedev(1, 3)) != 0) {
        return false;
      }
      return QFile::link(h.folder + "/null", h.file);
    }) << QString("/null\", which is not a regular file");
    QTest::newRow("folder") << std::function([](const ConfigHome& h) {
      return QDir().mkdir(h.file);
    }) << QString("it is a folder");
    QTest::newRow("dangling link") << std::function([](const ConfigHome& h) {
      return QFile::link(h.folder + "/gone.ini", h.file);
    }) << QString("/gone.ini\", which does not exist");
  }

  void anythingButARegularFileIsNeverOpened() {
    QFETCH(std::function<bool(const ConfigHome&)>, make);
    QFETCH(QString, reason);
    ConfigHome home;
    if (!make(home)) QSKIP("this user may not make such a file");
    const mode_t type = TypeOf(home.file);
    const QString target = QFileInfo(home.file).symLinkTarget();
    {
      // A pipe opened for reading would hold start-up until a writer comes.
      Program program;
      QTRY_COMPARE(program.messenger.shown.size(), std::size_t{1});
      QVERIFY2(program.Message(0).contains(home.file), qPrintable(program.Message(0)));
      QVERIFY2(program.Message(0).contains(reason), qPrintable(program.Message(0)));
      QVERIFY(program.Message(0).contains("changes made now will not be kept"));
      // The session keeps its changes in memory, without a word more.
      program.ToggleToolbar();
      QVERIFY(!program.window().toolbar_shown());
      program.ToggleToolbar();
      QCOMPARE(program.messenger.shown.size(), std::size_t{1});
    }
    QCOMPARE(TypeOf(home.file), type);
    QCOMPARE(QFileInfo(home.file).symLinkTarget(), target);
    if (!target.isEmpty()) QVERIFY(TypeOf(target) != S_IFREG);
  }

  void aFileTurnedIntoAFolderIsReportedAtTheNextChange() {
    ConfigHome home;
    Program program;
    QTRY_VERIFY(QFileInfo(home.file).isFile());  // the start's own write, once on the screen
    QVERIFY(QFile::remove(home.file));
    QVERIFY(QDir().mkdir(home.file));
    program.ToggleToolbar();
    QTRY_COMPARE(program.messenger.shown.size(), std::size_t{1});
    QVERIFY2(program.Message(0).contains("Quillan cannot save its settings in \"" + home.file +
                                         "\": it is a folder"),
             qPrintable(program.Message(0)));
    program.ToggleToolbar();
    QCOMPARE(program.messenger.shown.size(), std::size_t{1});
  }

  void filesTheUserMayNotUseAreReportedOnce_data() {
    QTest::addColumn<bool>("read_only_folder");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<bool>("stored_values_apply");
    QTest::newRow("read-only folder")
        << true << QString("no permission to write in its folder") << true;
    QTest::newRow("unreadable file") << false << QString("no permission to read it") << false;
  }

  void filesTheUserMayNotUseAreReportedOnce() {
    QFETCH(bool, read_only_folder);
    QFETCH(QString, reason);
    QFETCH(bool, stored_values_apply);
    ConfigHome home;
    const QByteArray stored = "[window]\nontop=false\n";
    home.Write(home.file, stored);
    QVERIFY(QFile::setPermissions(
        home.file, read_only_folder ? QFile::ReadOwner | QFile::ReadOther : QFile::Permissions()));
    if (read_only_folder) {
      QVERIFY(QFile::setPermissions(
          home.folder, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther));
    }
    {
      Unprivileged nobody;
      Program program;
      QCOMPARE(program.window().on_top(), !stored_values_apply);
      QTRY_COMPARE(program.messenger.shown.size(), std::size_t{1});
      QVERIFY2(program.Message(0).contains(home.file), qPrintable(program.Message(0)));
      QVERIFY2(program.Message(0).contains(reason), qPrintable(program.Message(0)));
      program.ToggleToolbar();
      program.ToggleToolbar();
      QCOMPARE(program.messenger.shown.size(), std::size_t{1});
      program.app.reset();
    }
    QFile::setPermissions(home.folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile::setPermissions(home.file, QFile::ReadOwner | QFile::WriteOwner);
    QCOMPARE(home.Read(home.file), stored);
  }
};

QUILLAN_GUI_TEST_MAIN(SettingsFileTest)
#include "settings_file_test.moc"
