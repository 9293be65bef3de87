#include "gui/windows/main_window.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFrame>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <csignal>

#include "gui/app/qt_ports.h"
#include "gui/widgets/icons.h"
#include "gui/widgets/qt_convert.h"
#include "settings/settings_store.h"
#include "support/golden.h"
#include "support/gui_test_main.h"
#include "support/window_fixture.h"

using quillan::gui::MainWindow;
using quillan::gui::StartupOptions;
using quillan::gui::ToQString;
using quillan::gui::ToU16;
using quillan::settings::MemorySettingsStore;
using quillan::testing_support::RecordingMessenger;
using quillan::testing_support::ScriptedChooser;

namespace {

// The menu tree and the toolbar as the user sees them are kept in golden/menus.txt and
// golden/toolbar.txt. To record an intended change, run the test with QUILLAN_UPDATE_GOLDEN=1
// and review the files' diff.
QString Golden(const char* file, const QString& seen) {
  return QString::fromStdString(quillan::testing_support::Golden(
      std::string(QUILLAN_GUI_GOLDEN_DIR "/") + file, seen.toStdString()));
}

// Walks a menu's actions into the text form of golden/menus.txt: one entry a line,
// "name|caption|shortcut|flags", with flags c = checkable, d = starts disabled, > = opens a
// submenu; children follow indented.
void Describe(const QList<QAction*>& actions, int depth, QString& out) {
  for (QAction* a : actions) {
    QString flags;
    if (a->isCheckable()) flags += 'c';
    if (!a->isEnabled()) flags += 'd';
    if (a->menu()) flags += '>';
    QString caption = a->isSeparator() ? "-" : a->text();
    if (a->objectName().startsWith("Site_")) caption = caption.isEmpty() ? "" : "*";
    out += QString(depth, ' ') + a->objectName() + '|' + caption + '|' +
           a->shortcut().toString(QKeySequence::PortableText) + '|' + flags + '\n';
    if (a->menu()) Describe(a->menu()->actions(), depth + 1, out);
  }
}

// The names of the window's actions that show `icon`, as a toolbar button's menu command does.
QString ActionsWithIcon(const QWidget& window, const QIcon& icon) {
  QStringList names;
  for (const QAction* a : window.findChildren<QAction*>()) {
    if (!a->objectName().isEmpty() && a->icon().cacheKey() == icon.cacheKey())
      names << a->objectName();
  }
  return names.join(',');
}

}  // namespace

// The editor's face with nothing stored: Tahoma where it is installed, else the desktop's
// fixed-width font.
QString ExpectedDefaultFamily() {
  return QFontDatabase::families().contains("tahoma", Qt::CaseInsensitive)
             ? QString("tahoma")
             : QFontDatabase::systemFont(QFontDatabase::FixedFont).family();
}

class MainWindowTest : public QObject {
  Q_OBJECT

 private:
  struct Fixture : quillan::testing_support::WindowFixture {
    explicit Fixture(std::function<void(MemorySettingsStore&)> seed = {},
                     std::optional<QString> project = std::nullopt) {
      if (seed) seed(store);
      Make(StartupOptions{quillan::testing_support::kTestProgramPath, project});
    }
    void Type(const QString& s) { window->editor()->append(s); }
  };

 private slots:
  void menuTreeMatchesTheTable() {
    Fixture f;
    QString actual =
        "# The menu bar: name|caption|shortcut|flags, submenus indented; main_window_test.cpp "
        "tells the flags.\n";
    Describe(f.window->menuBar()->actions(), 0, actual);
    QCOMPARE(actual.split('\n'), Golden("menus.txt", actual).split('\n'));
    // The toolbar's pop-up menu is not in the menu bar.
    QMenu* popup = f.window->Menu("toolbar");
    QVERIFY(popup);
    QCOMPARE(popup->actions().size(), 1);
    QCOMPARE(popup->actions()[0]->objectName(), QString("Hide_toolbar"));
    QCOMPARE(popup->actions()[0]->text(), QString("Hide Toolbar"));
    QVERIFY(f.window->Action("OnTop")->isChecked());
  }

  void toolbarButtonsMatchTheTableAndRunTheirMenuCommands() {
    Fixture f;
    QFrame* frame = f.window->toolbar_frame();
    QCOMPARE(frame->objectName(), QString("Frame1"));
    QCOMPARE(frame->toolTip(), QString("Toolbar, right click for hide option."));
    QList<QToolButton*> buttons = frame->findChildren<QToolButton*>();
    QCOMPARE(buttons.size(), 15);
    std::sort(buttons.begin(), buttons.end(),
              [](const QToolButton* l, const QToolButton* r) { return l->x() < r->x(); });
    QString seen =
        "# The toolbar's buttons left to right: name|tooltip|the menu command it runs.\n";
    int previous_x = -1;
    for (const QToolButton* b : buttons) {
      QVERIFY2(b->x() > previous_x, qPrintable(b->objectName()));
      previous_x = b->x();
      // The menu item shows its button's icon, which names the command here.
      QVERIFY2(!b->icon().isNull(), qPrintable(b->objectName()));
      seen +=
          b->objectName() + '|' + b->toolTip() + '|' + ActionsWithIcon(*f.window, b->icon()) + '\n';
    }
    const QString expected = Golden("toolbar.txt", seen);
    QCOMPARE(seen.split('\n'), expected.split('\n'));
    for (const QString& row : expected.split('\n', Qt::SkipEmptyParts)) {
      if (row.startsWith('#')) continue;
      auto* b = frame->findChild<QToolButton*>(row.section('|', 0, 0));
      const QString action = row.section('|', 2, 2);
      QCOMPARE(b->isEnabled(), f.window->Action(action)->isEnabled());
      int triggered = 0;
      auto c = connect(f.window->Action(action), &QAction::triggered, this,
                       [&triggered] { ++triggered; });
      if (b->isEnabled() && action != "Open" && action != "Save") b->click();
      disconnect(c);
      if (b->isEnabled() && action != "Open" && action != "Save") QCOMPARE(triggered, 1);
    }
    QVERIFY(!frame->findChild<QToolButton*>("btnCut")->isEnabled());
    QVERIFY(!frame->findChild<QToolButton*>("btnCopy")->isEnabled());
    // The tools show our own drawings, never the lettered stand-ins, and so does the window.
    const std::pair<const char*, const char*> own[] = {
        {"btnAPI", "api-spy"},   {"SSCommand1", "window-spy"}, {"btnCode", "code-generator"},
        {"btnSpy", "color-spy"}, {"SSCommand2", "get-icon"},   {"SSCommand3", "dim-all"}};
    for (const auto& [name, icon] : own) {
      const QImage drawn = quillan::gui::OwnIcon(icon).pixmap(16, 16).toImage();
      QVERIFY2(!drawn.isNull(), icon);
      QCOMPARE(frame->findChild<QToolButton*>(name)->icon().pixmap(16, 16).toImage(), drawn);
    }
    QCOMPARE(f.window->windowIcon().pixmap(32, 32).toImage(),
             quillan::gui::OwnIcon("quillan").pixmap(32, 32).toImage());
  }

  void freshStartUsesTheDefaults() {
    Fixture f;
    QCOMPARE(f.window->windowTitle(), QString("Quillan - [Untitled]"));
    QVERIFY(f.window->on_top());
    QVERIFY(f.window->Action("OnTop")->isChecked());
    QVERIFY(f.window->toolbar_shown());
    QCOMPARE(f.window->editor()->look_font().family(), ExpectedDefaultFamily());
    QCOMPARE(f.window->editor()->look_font().pointSizeF(), 8.0);
    QVERIFY(!f.window->editor()->look_font().bold());
    QCOMPARE(QString::fromStdString(f.store.Get("dir", "path")),
             QString("/opt/quillan/bin/quillan, 1.00"));
    QCOMPARE(f.app->doc().changed(), std::u16string(u"no"));
    QCOMPARE(f.window->editor()->wrapMode(), QsciScintilla::WrapNone);
  }

  void storedSettingsAreAppliedByTheirExactRules() {
    Fixture f([](MemorySettingsStore& s) {
      s.Set("window", "ontop", "True");
      s.Set("prefs", "toolbar", "no");
      s.Set("prefs", "bold", "2");
      s.Set("prefs", "italic", "0");
      s.Set("prefs", "underline", "yes");
      s.Set("prefs", "font", "DejaVu Sans Mono");
      s.Set("prefs", "font size", "12.5");
      s.Set("prefs", "backcolor", "255");       // red as 0x00BBGGRR
      s.Set("prefs", "forecolor", "16711680");  // blue
      s.Set("size", "width", "9600");
      s.Set("size", "height", "abc");
    });
    MainWindow& w = *f.window;
    QVERIFY(!w.on_top());
    QVERIFY(!w.Action("OnTop")->isChecked());
    QVERIFY(!w.toolbar_shown());
    QCOMPARE(w.Action("Hide_toolbar")->text(), QString("Show Toolbar"));
    QFont font = w.editor()->look_font();
    QVERIFY(font.bold());
    QVERIFY(!font.italic());
    QVERIFY(font.underline());
    QCOMPARE(font.family(), QString("DejaVu Sans Mono"));
    QCOMPARE(font.pointSizeF(), 12.5);
    QCOMPARE(w.editor()->back_color(), QColor(255, 0, 0));
    QCOMPARE(w.editor()->fore_color(), QColor(0, 0, 255));
    // 9600 twips are 640 pixels at the offscreen screen's 96 dots per inch.
    QCOMPARE(w.logicalDpiX(), 96);
    QCOMPARE(w.frameGeometry().width(), 640);
  }

  void absurdStoredGeometryStaysOnTheScreen() {
    // A size that would need gigabytes of memory, and a window stored wholly off the screen.
    Fixture f([](MemorySettingsStore& s) {
      for (const char* key : {"width", "height"}) s.Set("size", key, "2147483647");
      for (const char* key : {"left", "top"}) s.Set("size", key, "-99999");
    });
    const QRect free_area = f.window->screen()->availableGeometry();
    QVERIFY2(free_area.contains(f.window->frameGeometry()),
             qPrintable(QString("%1,%2 %3x%4 in %5x%6")
                            .arg(f.window->frameGeometry().x())
                            .arg(f.window->frameGeometry().y())
                            .arg(f.window->frameGeometry().width())
                            .arg(f.window->frameGeometry().height())
                            .arg(free_area.width())
                            .arg(free_area.height())));
    // What is stored is what was applied.
    f.window->StoreGeometry();
    QCOMPARE(
        QString::fromStdString(f.store.Get("size", "width")),
        QString::number(quillan::settings::PixelsToTwips(f.window->frameGeometry().width(), 96)));
    QVERIFY(std::stoll(f.store.Get("size", "left")) >= 0);
  }

  void toolbarAndOnTopCommandsToggleAndStore() {
    Fixture f;
    MainWindow& w = *f.window;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const int editor_top_with_toolbar = w.editor()->mapTo(&w, QPoint(0, 0)).y();
    w.Action("Hide_toolbar")->trigger();
    QCOMPARE(f.store.Get("prefs", "toolbar"), std::string("no"));
    QCOMPARE(w.Action("Hide_toolbar")->text(), QString("Show Toolbar"));
    QVERIFY(!w.toolbar_shown());
    QTRY_VERIFY(w.editor()->mapTo(&w, QPoint(0, 0)).y() < editor_top_with_toolbar);
    w.Action("Hide_toolbar")->trigger();
    QCOMPARE(f.store.Get("prefs", "toolbar"), std::string("use"));
    QCOMPARE(w.Action("Hide_toolbar")->text(), QString("Hide Toolbar"));
    QVERIFY(w.toolbar_shown());

    w.Action("OnTop")->trigger();
    QCOMPARE(f.store.Get("window", "ontop"), std::string("false"));
    QVERIFY(!w.Action("OnTop")->isChecked());
    QVERIFY(!w.on_top());
    QVERIFY(w.isVisible());
    w.Action("OnTop")->trigger();
    QCOMPARE(f.store.Get("window", "ontop"), std::string("true"));
    QVERIFY(w.on_top());
  }

  void editorFillsTheClientAreaOnEveryResize() {
    Fixture f;
    MainWindow& w = *f.window;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    for (QSize size : {QSize(500, 400), QSize(900, 700), QSize(120, 90)}) {
      w.resize(size);
      QTRY_COMPARE(w.centralWidget()->size().width(), w.editor()->width());
      const QRect editor_in_central = w.editor()->geometry();
      QCOMPARE(editor_in_central.bottom(), w.centralWidget()->height() - 1);
      QVERIFY(w.editor()->height() > 0);
    }
  }

  void menuShortcutsWinOverTheEditorsOwnKeys() {
    Fixture f;
    MainWindow& w = *f.window;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QApplication::setActiveWindow(&w);
    w.editor()->setFocus();
    f.Type("Text1 = 1");
    // Ctrl+A is API Spy, not the editor's Select All; Ctrl+Y is Color Spy, not Redo.
    for (const char* name : {"API_Spy", "Color_Spy", "Window_Spy", "Dim_vars"}) {
      QAction* action = w.Action(name);
      int triggered = 0;
      auto c = connect(action, &QAction::triggered, this, [&triggered] { ++triggered; });
      const QKeySequence keys = action->shortcut();
      QTest::keySequence(w.editor(), keys);
      disconnect(c);
      QVERIFY2(triggered == 1, name);
    }
    QVERIFY(!w.editor()->hasSelectedText());
    // The editor's own commands on those keys are gone: with its menu item disabled, Ctrl+D
    // does not duplicate the line.
    const std::u16string before = f.app->buffer().Text();
    w.Action("Dim_vars")->setEnabled(false);
    QTest::keySequence(w.editor(), w.Action("Dim_vars")->shortcut());
    QVERIFY(f.app->buffer().Text() == before);
  }

  void fileDialogsShowTheirFiltersAsWritten() {
    QWidget owner;
    quillan::gui::QtFileChooser chooser(&owner);
    QStringList seen;
    auto inspect = [&seen] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      QVERIFY(dialog != nullptr);
      seen << dialog->windowTitle() << dialog->nameFilters();
      // The pattern in the filter is upper case; project files are found whatever their case.
      QVERIFY(!dialog->filter().testFlag(QDir::CaseSensitive));
      dialog->reject();
    };
    QTimer::singleShot(0, inspect);
    QVERIFY(!chooser.ChooseOpen(quillan::document::kOpenTitle, quillan::document::kOpenFilter));
    QTimer::singleShot(0, inspect);
    QVERIFY(!chooser.ChooseSave(quillan::document::kSaveTitle, quillan::document::kSaveFilter, {}));
    QCOMPARE(seen, QStringList({"Open Quillan Project", "Quillan Projects(*.QLP)",
                                "Save Quillan Project", "Quillan Project(*.QLP)"}));
  }

  void rightClickOnTheToolbarOpensItsPopup() {
    Fixture f;
    MainWindow& w = *f.window;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QMenu* popup = w.Menu("toolbar");
    QTest::mouseClick(w.toolbar_frame(), Qt::LeftButton, {},
                      QPoint(w.toolbar_frame()->width() - 5, 5));
    QVERIFY(!popup->isVisible());
    QTest::mousePress(w.toolbar_frame(), Qt::RightButton, {},
                      QPoint(w.toolbar_frame()->width() - 5, 5));
    QTRY_VERIFY(popup->isVisible());
    popup->close();
  }

  void closingAsksAboutUnsavedChangesAndStoresGeometry() {
    Fixture f;
    MainWindow& w = *f.window;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.resize(640, 480);
    f.Type("x = 1");
    QCOMPARE(f.app->doc().changed(), std::u16string(u"yes"));
    int closed = 0;
    connect(&w, &MainWindow::Closed, this, [&closed] { ++closed; });

    f.messenger.answers = {quillan::ui::MessageAnswer::kNo};
    QVERIFY(!w.close());
    QCOMPARE(closed, 0);
    QVERIFY(w.isVisible());
    QCOMPARE(f.messenger.shown.size(), std::size_t{1});
    QCOMPARE(ToQString(f.messenger.shown[0].text),
             QString("You have made changes to Untitled do you want to continue without saving?"));
    QVERIFY(!f.store.Has("size", "width"));

    f.messenger.answers = {quillan::ui::MessageAnswer::kYes};
    w.Action("Exit")->trigger();
    QCOMPARE(closed, 1);
    QCOMPARE(f.messenger.shown.size(), std::size_t{2});
    const QRect outer = w.frameGeometry();
    QCOMPARE(QString::fromStdString(f.store.Get("size", "width")),
             QString::number(outer.width() * 15));  // 15 twips a pixel at 96 dpi
    QCOMPARE(QString::fromStdString(f.store.Get("size", "height")),
             QString::number(outer.height() * 15));
    QCOMPARE(QString::fromStdString(f.store.Get("size", "left")), QString::number(outer.x() * 15));
  }

  void commandLineProjectOpensWithQuotesRemovedAndRelativePathMadeAbsolute() {
    QTemporaryDir dir;
    QFile file(dir.filePath("demo.qlp"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("Dim x As Long\r\nx = 1\r\n");
    file.close();
    const QString old_cwd = QDir::currentPath();
    QDir::setCurrent(dir.path());
    Fixture f({}, QString("\"demo.qlp\""));
    QDir::setCurrent(old_cwd);
    QCOMPARE(f.window->windowTitle(), QString("Quillan - [demo.qlp]"));
    QCOMPARE(ToQString(f.app->doc().path()), QFileInfo(file).absoluteFilePath());
    QCOMPARE(f.window->editor()->text(), QString("Dim x As Long\r\nx = 1"));
    QCOMPARE(f.app->doc().changed(), std::u16string(u"no"));
    QVERIFY(f.messenger.shown.empty());

    // An unchanged project saves back byte for byte.
    f.window->Action("Save")->trigger();
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("Dim x As Long\r\nx = 1\r\n"));
  }

  void largeProjectOpensWholeAndUnmodified() {
    QTemporaryDir dir;
    const QString path = dir.filePath("big.qlp");
    QByteArray content;
    for (int i = 0; i < 40000; ++i)
      content += "Line" + QByteArray::number(i) + " = " + QByteArray::number(i) + "\r\n";
    {
      QFile file(path);
      QVERIFY(file.open(QIODevice::WriteOnly));
      file.write(content);
    }
    Fixture f({}, path);
    MainWindow& w = *f.window;
    QCOMPARE(w.editor()->lines(), 40000);
    QCOMPARE(f.app->doc().changed(), std::u16string(u"no"));
    QVERIFY(!w.editor()->isUndoAvailable());

    // A key press types at the caret; Undo takes back the typing, never the loaded text.
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.editor()->setFocus();
    QTest::keyClick(w.editor(), Qt::Key_X);
    QCOMPARE(f.app->doc().changed(), std::u16string(u"yes"));
    const std::u16string expected = u"x" + ToU16(QString::fromLatin1(content.chopped(2)));
    QVERIFY(f.app->buffer().Text() == expected);
    w.editor()->undo();
    QVERIFY(f.app->buffer().Text() == expected.substr(1));
    QVERIFY(!w.editor()->isUndoAvailable());
  }

  void unreadableCommandLineProjectReportsAndStartsUntitled() {
    QTemporaryDir dir;
    // The message waits until the window is on the screen, to stand above it.
    Fixture missing({}, dir.filePath("nothere.qlp"));
    QCOMPARE(missing.window->windowTitle(), QString("Quillan - [Untitled]"));
    QVERIFY(missing.messenger.shown.empty());
    missing.window->show();
    QTRY_COMPARE(missing.messenger.shown.size(), std::size_t{1});
    QCOMPARE(ToQString(missing.messenger.shown[0].text),
             "\"" + dir.filePath("nothere.qlp") + "\": No such file or directory.");
    QCOMPARE(missing.messenger.shown[0].icon, quillan::ui::MessageIcon::kCritical);

    Fixture folder({}, dir.path());
    QCOMPARE(folder.window->windowTitle(), QString("Quillan - [Untitled]"));
    folder.window->show();
    QTRY_COMPARE(folder.messenger.shown.size(), std::size_t{1});
    QCOMPARE(ToQString(folder.messenger.shown[0].text),
             "\"" + dir.path() + "\": Is a folder, not a project file.");
  }

  void saveAsksBeforeOverwritingAnotherProgramsChange() {
    QTemporaryDir dir;
    const QString path = dir.filePath("demo.qlp");
    auto write = [&path](const QByteArray& bytes) {
      QFile file(path);
      QVERIFY(file.open(QIODevice::ReadWrite));
      file.write(bytes);
      file.resize(bytes.size());
    };
    write("mine\r\n");
    Fixture f({}, path);
    f.Type("!");
    // Another program rewrites it in place, to the same size and with its old time: only
    // the content tells.
    struct stat before {};
    ::stat(QFile::encodeName(path).constData(), &before);
    write("MINE\r\n");
    const timespec times[2] = {before.st_atim, before.st_mtim};
    ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0);
    f.messenger.answers = {quillan::ui::MessageAnswer::kNo};
    f.window->Action("Save")->trigger();
    QCOMPARE(f.messenger.shown.size(), std::size_t{1});
    QCOMPARE(ToQString(f.messenger.shown[0].text),
             "The file \"" + path +
                 "\" has been changed by another program since it was opened. Do you want to "
                 "overwrite it?");
    QFile check(path);
    QVERIFY(check.open(QIODevice::ReadOnly));
    QCOMPARE(check.readAll(), QByteArray("MINE\r\n"));
    QVERIFY(f.app->doc().IsModified());
    // Yes overwrites.
    f.messenger.answers = {quillan::ui::MessageAnswer::kYes};
    f.window->Action("Save")->trigger();
    QFile saved(path);  // a new file took the name
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), QByteArray("mine!\r\n"));
    QVERIFY(!f.app->doc().IsModified());
  }

  void failedSavesKeepTheOldFileAndTheDocumentState() {
    QTemporaryDir dir;
    const QString path = dir.filePath("demo.qlp");
    {
      QFile file(path);
      QVERIFY(file.open(QIODevice::WriteOnly));
      file.write("old\r\n");
    }
    Fixture f({}, path);
    f.Type(QString(200000, 'x'));

    // A file-size limit makes the write fail as a full disk would, even for root.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old_limit{};
    getrlimit(RLIMIT_FSIZE, &old_limit);
    rlimit small = old_limit;
    small.rlim_cur = 4096;
    setrlimit(RLIMIT_FSIZE, &small);
    f.window->Action("Save")->trigger();
    setrlimit(RLIMIT_FSIZE, &old_limit);

    QCOMPARE(f.messenger.shown.size(), std::size_t{1});
    QCOMPARE(ToQString(f.messenger.shown[0].text), "\"" + path + "\": File too large.");
    QCOMPARE(f.messenger.shown[0].icon, quillan::ui::MessageIcon::kCritical);
    QCOMPARE(ToQString(f.messenger.shown[0].title), QString("Quillan"));
    QFile check(path);
    QVERIFY(check.open(QIODevice::ReadOnly));
    QCOMPARE(check.readAll(), QByteArray("old\r\n"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"demo.qlp"});
    QCOMPARE(f.app->doc().changed(), std::u16string(u"yes"));
    QCOMPARE(f.window->windowTitle(), QString("Quillan - [demo.qlp]"));

    // A device is no project, full or not.
    f.chooser.answers = {u"/dev/full"};
    f.window->Action("Save_As")->trigger();
    QCOMPARE(f.messenger.shown.size(), std::size_t{2});
    QCOMPARE(ToQString(f.messenger.shown[1].text),
             QString("\"/dev/full\": Not a regular file (a device, a pipe or a socket)."));
    QCOMPARE(f.window->windowTitle(), QString("Quillan - [demo.qlp]"));
    QCOMPARE(ToQString(f.app->doc().path()), path);

    // A folder nothing can be created in.
    if (geteuid() != 0) {
      QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
      f.window->Action("Save")->trigger();
      QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
      QCOMPARE(f.messenger.shown.size(), std::size_t{3});
      QVERIFY(check.seek(0));
      QCOMPARE(check.readAll(), QByteArray("old\r\n"));
    }
    f.chooser.answers = {u"/proc/quillan-test.qlp"};
    f.window->Action("Save_As")->trigger();
    QVERIFY(ToQString(f.messenger.shown.back().text).endsWith('.'));
    QCOMPARE(ToQString(f.app->doc().path()), path);
    QCOMPARE(f.app->doc().changed(), std::u16string(u"yes"));
  }
};

QUILLAN_GUI_TEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
