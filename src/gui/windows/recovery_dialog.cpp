#include "gui/windows/recovery_dialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace quillan::gui {

RecoveryDialog::RecoveryDialog(const std::vector<RecoveryRow>& rows, QWidget* parent)
    : QDialog(parent) {
  setObjectName("frmRecover");
  setWindowTitle("Recover Unsaved Work");
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  auto* intro = new QLabel(
      "Quillan ended before this work was saved. Restore it to go on where you left off: each "
      "document opens in a window of its own and stays unsaved until you save it.",
      this);
  intro->setObjectName("lblIntro");
  intro->setWordWrap(true);

  list_ = new QTreeWidget(this);
  list_->setObjectName("lstCopies");
  list_->setAccessibleName("Unsaved work");
  list_->setRootIsDecorated(false);
  list_->setHeaderLabels({"Document", "Last kept", "First line"});
  for (const RecoveryRow& row : rows) {
    auto* item = new QTreeWidgetItem(list_, {row.name, row.written, row.first_line});
    item->setCheckState(0, Qt::Checked);
    item->setToolTip(2, row.first_line);
  }
  list_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  list_->header()->setStretchLastSection(true);
  list_->setMinimumWidth(560);

  auto* buttons = new QDialogButtonBox(this);
  QPushButton* restore = buttons->addButton("&Restore", QDialogButtonBox::AcceptRole);
  restore->setObjectName("cmdRestore");
  restore->setDefault(true);
  QPushButton* discard = buttons->addButton("&Discard", QDialogButtonBox::DestructiveRole);
  discard->setObjectName("cmdDiscard");
  QPushButton* later = buttons->addButton("Decide &Later", QDialogButtonBox::RejectRole);
  later->setObjectName("cmdLater");
  connect(restore, &QPushButton::clicked, this, [this] { Close(Choice::kRestore); });
  connect(discard, &QPushButton::clicked, this, [this] { Close(Choice::kDiscard); });
  connect(later, &QPushButton::clicked, this, [this] { Close(Choice::kLater); });
  // Nothing to do without a checked row, except deciding later.
  auto follow = [this, restore, discard] {
    const bool any = !Checked().empty();
    restore->setEnabled(any);
    discard->setEnabled(any);
  };
  connect(list_, &QTreeWidget::itemChanged, this, follow);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(intro);
  layout->addWidget(list_, 1);
  layout->addWidget(buttons);
}

std::vector<std::size_t> RecoveryDialog::Checked() const {
  std::vector<std::size_t> checked;
  for (int i = 0; i < list_->topLevelItemCount(); ++i) {
    if (list_->topLevelItem(i)->checkState(0) == Qt::Checked) {
      checked.push_back(static_cast<std::size_t>(i));
    }
  }
  return checked;
}

void RecoveryDialog::Close(Choice choice) {
  choice_ = choice;
  if (choice == Choice::kLater) {
    reject();
  } else {
    accept();
  }
}

}  // namespace quillan::gui
