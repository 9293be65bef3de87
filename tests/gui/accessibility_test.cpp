#include <QAccessible>
#include <QApplication>
#include <QPushButton>
#include <QTest>

#include "gui/windows/main_window.h"
#include "support/gui_test_main.h"
#include "support/window_fixture.h"

// Every window as a screen reader meets it: each control that takes the focus, and each
// toolbar button, has a name to be read out.
class AccessibilityTest : public QObject {
  Q_OBJECT

  // The controls of the tree under `node` a screen reader could not name: "Role at path".
  static void Unnamed(QAccessibleInterface* node, const QString& path, QStringList& out) {
    if (node == nullptr) return;
    const QAccessible::State state = node->state();
    const QAccessible::Role role = node->role();
    const bool wants_name = (state.focusable && !state.invisible) ||
                            role == QAccessible::PushButton || role == QAccessible::Button;
    if (wants_name && !state.invisible && node->text(QAccessible::Name).trimmed().isEmpty()) {
      out << QString("%1 %2 (%3)")
                 .arg(path)
                 .arg(role)
                 .arg(node->object() ? node->object()->objectName() : QString());
    }
    for (int i = 0; i < node->childCount(); ++i) {
      Unnamed(node->child(i), path + "/" + QString::number(i), out);
    }
  }

 private slots:
  void everyControlAndToolbarButtonHasAName() {
    quillan::testing_support::WindowFixture f;
    f.Make(f.Plain());
    f.window->show();
    // Every window the menus open, each shown once.
    for (const char* item : {"API_Spy", "Window_Spy", "Code_Generator", "Color_Spy", "Get_Icon",
                             "Find", "Prefs", "Help_Contents", "About"}) {
      f.window->Action(item)->trigger();
      QCoreApplication::processEvents();
    }
    // The dialogs that other windows open: Modify Text, and Select Variable.
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (w->objectName() == "frmWinSpy") w->findChild<QPushButton*>("SSCommand3")->click();
    }
    f.app->buffer().SetText(u"h = 1");
    f.window->Action("Window_Show")->trigger();
    QStringList unnamed;
    for (QWidget* window : QApplication::topLevelWidgets()) {
      if (!window->isVisible()) continue;
      Unnamed(QAccessible::queryAccessibleInterface(window), window->objectName(), unnamed);
    }
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join("\n")));
    // Named by what they are, not by the frame or window around them.
    const char* const named[][3] = {{"frmAPISpy", "txtHandle", "Handle"},
                                    {"frmAPISpy", "txtParClass", "Parent Class Name"},
                                    {"frmHelp", "txtHelp", "Description"},
                                    {"frmMain", "btnSave", "Save Your Quillan Project"},
                                    {"frmMain", "btnUndo", "Undo"}};
    for (const auto& [window_name, child_name, name] : named) {
      QWidget* window = nullptr;
      for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == window_name) window = w;
      }
      QVERIFY(window != nullptr);
      QWidget* child = window->findChild<QWidget*>(child_name);
      QVERIFY(child != nullptr);
      QCOMPARE(QAccessible::queryAccessibleInterface(child)->text(QAccessible::Name),
               QString(name));
    }
  }
};

QUILLAN_GUI_TEST_MAIN(AccessibilityTest)
#include "accessibility_test.moc"
