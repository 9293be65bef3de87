#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include "gui/widgets/code_editor.h"
#include "gui/windows/preferences_dialog.h"
#include "gui/windows/tool_windows.h"
#include "support/gui_test_main.h"
#include "support/window_fixture.h"

using quillan::settings::MemorySettingsStore;

// The Preferences through the real program: what the first opening shows, OK storing every
// key and applying it at once, Cancel storing nothing, and the dialog kept as it was left.
class PreferencesTest : public QObject {
  Q_OBJECT

  struct Fixture : quillan::testing_support::WindowFixture {
    explicit Fixture(std::function<void(MemorySettingsStore&)> seed = {}) {
      if (seed) seed(store);
      Make(Plain());
      window->show();
    }
    QWidget* Open() {
      window->Action("Prefs")->trigger();
      return app->tool_windows().Existing<quillan::gui::PreferencesDialog>();
    }
    template <class T>
    T* Child(const char* name) const {
      return app->tool_windows().Existing<quillan::gui::PreferencesDialog>()->findChild<T*>(name);
    }
    QFont Preview() const { return Child<QLineEdit>("txtFont")->font(); }
  };

 private slots:
  void firstOpeningShowsTheDefaultsAndOkStoresEveryKey() {
    Fixture f;
    QWidget* prefs = f.Open();
    QVERIFY(prefs && prefs->isVisible());
    QCOMPARE(prefs->windowTitle(), QString("Prefernces"));
    QVERIFY(!f.window->isEnabled());
    QVERIFY(f.Child<QCheckBox>("chkToolbar")->isChecked());
    QCOMPARE(f.Child<QLineEdit>("txtSize")->text(), QString("8"));
    QCOMPARE(f.Preview().family().toLower(), QString("tahoma"));
    for (const char* box : {"chkBold", "chkItalic", "chkUnder", "chkStrike"}) {
      QVERIFY(!f.Child<QCheckBox>(box)->isChecked());
    }
    QVERIFY(f.Child<QCheckBox>("chkBold")->font().bold());
    QVERIFY(f.Child<QCheckBox>("chkStrike")->font().strikeOut());
    // The installed fonts, each once.
    QComboBox* fonts = f.Child<QComboBox>("Combo1");
    QVERIFY(fonts->count() > 0);
    QCOMPARE(fonts->findText(fonts->itemText(0)), 0);

    f.Child<QPushButton>("SSCommand6")->click();
    QVERIFY(!prefs->isVisible() && f.window->isEnabled());
    const std::pair<const char*, const char*> stored[] = {
        {"toolbar", "use"},        {"font", "tahoma"}, {"font size", "8"},
        {"backcolor", "16777215"}, {"forecolor", "0"}, {"bold", "0"},
        {"italic", "0"},           {"underline", "0"}, {"strikethru", "0"}};
    for (const auto& [key, value] : stored) {
      QCOMPARE(QString::fromStdString(f.store.Get("prefs", key)), QString(value));
    }
  }

  void okAppliesAtOnceAndCancelStoresNothingButIsRemembered() {
    Fixture f;
    f.Open();
    // Cancel after changes: nothing reaches the editor or the store ...
    f.Child<QCheckBox>("chkBold")->click();
    f.Child<QScrollBar>("VScroll1")->setValue(20);
    QCOMPARE(f.Child<QLineEdit>("txtSize")->text(), QString("20"));
    QCOMPARE(f.Preview().pointSizeF(), 20.0);
    f.Child<QPushButton>("SSCommand5")->click();
    QVERIFY(f.window->isEnabled());
    QVERIFY(!f.window->editor()->look_font().bold());
    QCOMPARE(f.store.Get("prefs", "bold"), std::string());
    // ... and the next opening shows the dialog as it was left.
    f.Open();
    QVERIFY(f.Child<QCheckBox>("chkBold")->isChecked());
    QCOMPARE(f.Child<QLineEdit>("txtSize")->text(), QString("20"));
    // OK applies it all at once: the editor's font, colours and the toolbar.
    f.Child<QCheckBox>("chkToolbar")->click();
    f.Child<QPushButton>("SSCommand7")->click();
    f.Child<QPushButton>("SSCommand6")->click();
    QVERIFY(f.window->editor()->look_font().bold());
    QCOMPARE(f.window->editor()->look_font().pointSizeF(), 20.0);
    QCOMPARE(f.window->editor()->back_color(), QColor(Qt::white));
    QVERIFY(f.window->toolbar_frame()->isHidden());
    QCOMPARE(f.window->Action("Hide_toolbar")->text(), QString("Show Toolbar"));
    QCOMPARE(f.store.Get("prefs", "toolbar"), std::string("no"));
    QCOMPARE(f.store.Get("prefs", "font size"), std::string("20"));
    // Closing through the frame is Cancel.
    f.Open();
    f.app->tool_windows().Existing<quillan::gui::PreferencesDialog>()->close();
    QVERIFY(f.window->isEnabled());
  }

  void storedSizeHalfRoundsToEvenAndStylesAreRead() {
    Fixture f([](MemorySettingsStore& s) {
      s.Set("prefs", "font size", "10.5");
      s.Set("prefs", "italic", "yes");
      s.Set("prefs", "underline", "0");
      s.Set("prefs", "toolbar", "No");
    });
    f.Open();
    QCOMPARE(f.Child<QScrollBar>("VScroll1")->value(), 10);
    QCOMPARE(f.Child<QLineEdit>("txtSize")->text(), QString("10"));
    QCOMPARE(f.Preview().pointSizeF(), 10.0);
    QVERIFY(f.Child<QCheckBox>("chkItalic")->isChecked());
    QVERIFY(!f.Child<QCheckBox>("chkUnder")->isChecked());
    QVERIFY(!f.Child<QCheckBox>("chkToolbar")->isChecked());
    // Font "Default" brings back Tahoma at 8 without styles.
    f.Child<QPushButton>("SSCommand2")->click();
    QCOMPARE(f.Preview().family(), QString("Tahoma"));
    QCOMPARE(f.Child<QLineEdit>("txtSize")->text(), QString("8"));
    QVERIFY(!f.Child<QCheckBox>("chkItalic")->isChecked() && !f.Preview().italic());
  }

  // Typed sizes: only 1 to 72 reach the preview and the store, and no size grows the dialog.
  void theSizeBoxTakesOnlySizesTheEditorUses() {
    Fixture f;
    QWidget* prefs = f.Open();
    const QSize before = prefs->size();
    auto* size = f.Child<QLineEdit>("txtSize");
    const std::pair<const char*, const char*> typed[] = {{"99", "9"}, {"0", ""}, {"72", "72"}};
    for (const auto& [keys, shown] : typed) {
      size->clear();
      QTest::keyClicks(size, keys);
      QCOMPARE(size->text(), QString(shown));
    }
    QCOMPARE(f.Preview().pointSizeF(), 72.0);
    QCOMPARE(prefs->size(), before);
    f.Child<QPushButton>("SSCommand6")->click();
    QCOMPARE(f.store.Get("prefs", "font size"), std::string("72"));
    QCOMPARE(f.window->editor()->look_font().pointSizeF(), 72.0);
    QCOMPARE(f.Open()->size(), before);
  }
};

QUILLAN_GUI_TEST_MAIN(PreferencesTest)
#include "preferences_test.moc"
