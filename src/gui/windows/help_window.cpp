#include "gui/windows/help_window.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "gui/widgets/icons.h"
#include "gui/widgets/qt_convert.h"
#include "gui/widgets/tool_window_parts.h"
#include "gui/windows/about_dialog.h"
#include "help/help_topics.h"

namespace quillan::gui {

namespace {

// The selected entry's row; -1 when none is selected.
int SelectedRow(const QListWidget* list) {
  const QListWidgetItem* item = list->currentItem();
  return item != nullptr && item->isSelected() ? list->currentRow() : -1;
}

}  // namespace

HelpWindow::HelpWindow(QWidget& main_window, const MessengerSource& messengers)
    : QDialog(&main_window), messengers_(messengers) {
  setObjectName("frmHelp");
  setWindowTitle("Quillan Help");
  setWindowIcon(ToolbarIcon("help-contents", "?"));
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                 Qt::WindowMinMaxButtonsHint | Qt::WindowStaysOnTopHint);
  setModal(false);

  auto* frame = new QGroupBox("Quillan Help", this);
  frame->setObjectName("Frame1");
  pages_ = new QTabWidget(frame);
  pages_->setObjectName("SSTab1");
  auto list = [](QWidget* parent, const char* name, std::span<const std::u16string_view> items) {
    auto* l = new QListWidget(parent);
    l->setObjectName(name);
    for (std::u16string_view item : items) l->addItem(ToQString(item));
    return l;
  };
  auto* contents_page = new QWidget(pages_);
  contents_ = list(contents_page, "lstTopics", help::ContentsEntries());
  contents_->setAccessibleName("Contents");
  (new QVBoxLayout(contents_page))->addWidget(contents_);
  auto* index_page = new QWidget(pages_);
  find_ = new QLineEdit(index_page);
  find_->setObjectName("txtFind");
  find_->setAccessibleName("Find in the index");
  index_ = list(index_page, "lstTopics1", help::IndexEntries());
  index_->setAccessibleName("Index");
  auto* index_layout = new QVBoxLayout(index_page);
  index_layout->addWidget(find_);
  index_layout->addWidget(index_);
  pages_->addTab(contents_page, "Contents");
  pages_->addTab(index_page, "Index");

  auto* description = new QGroupBox("Description", frame);
  description->setObjectName("Frame3");
  text_ = new QPlainTextEdit(description);
  text_->setObjectName("txtHelp");
  text_->setAccessibleName("Description");
  text_->setReadOnly(true);
  text_->setPlainText(ToQString(help::WelcomeText(ToU16(QString(AboutDialog::kMailAddress)))));
  (new QVBoxLayout(description))->addWidget(text_);

  auto* display = ToolButton(frame, "SSCommand2", "Display");
  auto* done = ToolButton(frame, "SSCommand1", "Done");
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(display);
  buttons->addWidget(done);
  auto* right = new QVBoxLayout;
  right->addWidget(description, 1);
  right->addLayout(buttons);
  auto* frame_layout = new QHBoxLayout(frame);
  frame_layout->addWidget(pages_, 2);
  frame_layout->addLayout(right, 3);
  // The layout follows the window's size; a window made very small shows less, never a
  // control of no or negative size.
  auto* outer = new QVBoxLayout(this);
  outer->addWidget(frame);
  resize(620, 380);

  connect(contents_, &QListWidget::itemDoubleClicked, this, [this] { ShowDescription(false); });
  connect(index_, &QListWidget::itemDoubleClicked, this, [this] { ShowDescription(true); });
  connect(display, &QPushButton::clicked, this, &HelpWindow::DisplayClick);
  connect(find_, &QLineEdit::returnPressed, this, &HelpWindow::SearchIndex);
  connect(done, &QPushButton::clicked, this, &QWidget::hide);
}

void HelpWindow::DisplayClick() { ShowDescription(pages_->currentIndex() == 1); }

void HelpWindow::ShowDescription(bool index) {
  QListWidget* list = index ? index_ : contents_;
  const int row = SelectedRow(list);
  if (row < 0) {
    messengers_(*this).Show(help::kSelectATopic, ui::MessageIcon::kExclamation,
                            ui::MessageButtons::kOk);
    return;
  }
  const auto text = index ? help::IndexDescription(static_cast<std::size_t>(row))
                          : help::ContentsDescription(static_cast<std::size_t>(row));
  if (text) text_->setPlainText(ToQString(*text));
}

void HelpWindow::SearchIndex() {
  const int row = SelectedRow(index_);
  const auto found = help::SearchIndex(row < 0 ? std::nullopt : std::optional<std::size_t>(row),
                                       ToU16(find_->text()));
  if (found) index_->setCurrentRow(static_cast<int>(*found));
}

}  // namespace quillan::gui
