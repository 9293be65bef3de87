// The least a Qt 6 editor window is: a main window with a menu bar, a tool bar, a plain text
// editor and a status bar, the size of Quillan's first window. startup_compare.sh measures
// how long it takes to paint, the floor for Quillan's own start.
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QMainWindow window;
  window.setWindowTitle("Bare editor - [Untitled]");
  auto* editor = new QPlainTextEdit(&window);
  window.setCentralWidget(editor);

  QMenu* file = window.menuBar()->addMenu("&File");
  QAction* open =
      file->addAction(app.style()->standardIcon(QStyle::SP_DialogOpenButton), "&Open...");
  QAction* save = file->addAction(app.style()->standardIcon(QStyle::SP_DialogSaveButton), "&Save");
  file->addSeparator();
  file->addAction("E&xit", &app, &QApplication::quit);
  QMenu* edit = window.menuBar()->addMenu("&Edit");
  edit->addAction("Cu&t", editor, &QPlainTextEdit::cut);
  edit->addAction("&Copy", editor, &QPlainTextEdit::copy);
  edit->addAction("&Paste", editor, &QPlainTextEdit::paste);
  window.menuBar()->addMenu("&Help")->addAction("&About");

  QToolBar* tools = window.addToolBar("Toolbar");
  tools->addAction(open);
  tools->addAction(save);
  window.statusBar()->showMessage("Ln 1, Col 1");
  window.resize(419, 271);
  window.show();
  return app.exec();
}
