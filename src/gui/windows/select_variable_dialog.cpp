#include "gui/windows/select_variable_dialog.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <algorithm>
#include <cmath>

#include "gui/widgets/option_box.h"
#include "gui/widgets/qt_convert.h"
#include "gui/widgets/tool_window_parts.h"
#include "settings/settings_table.h"

namespace quillan::gui {

namespace {

// The design, in twips: a fixed client area with the frame, and inside the frame (measured
// from its corner) the list, the check box and the two buttons. The tag label sits below the
// client area, where it is never seen.
struct TwipsRect {
  int x, y, width, height;
};
constexpr int kClientWidth = 3120;
constexpr int kClientHeight = 2760;
constexpr TwipsRect kFrame{120, 120, 2895, 2535};
constexpr TwipsRect kList{120, 240, 2655, 1425};
constexpr TwipsRect kCheck{120, 1680, 2655, 255};
constexpr TwipsRect kCancel{720, 2040, 975, 375};
constexpr TwipsRect kOk{1800, 2040, 975, 375};
constexpr TwipsRect kTagLabel{120, 2880, 2055, 375};

// The window's caption, which its frame repeats.
constexpr char kCaption[] = "Select Variable";

}  // namespace

SelectVariableDialog::SelectVariableDialog(QWidget* parent, codegen::InsertDeclarations& option)
    : QDialog(parent), option_(option) {
  setObjectName("frmVar");
  setWindowTitle(kCaption);
  setWindowFlag(Qt::WindowStaysOnTopHint, true);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  // Modal only in effect: the commands disable the main window instead, so that the code
  // which shows the dialog goes on at once.
  setModal(false);
  setAttribute(Qt::WA_DeleteOnClose, true);
  QFont font("Tahoma");
  font.setPointSizeF(8.25);
  setFont(font);

  auto* frame = new QGroupBox(kCaption, this);
  frame->setObjectName("Frame1");

  list_ = new QListWidget(frame);
  list_->setObjectName("List1");
  list_->setAccessibleName("Variables");
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setSortingEnabled(false);
  list_->installEventFilter(this);

  check_ = new OptionBox(option_, frame);

  auto* cancel = ToolButton(frame, "SSCommand2", "&Cancel");

  auto* ok = new QPushButton("&OK", frame);
  ok->setObjectName("SSCommand1");
  ok->setDefault(true);

  tag_label_ = new QLabel(this);
  tag_label_->setObjectName("lblType");

  // The design at the screen's resolution, enlarged as a whole where the font that stands in
  // for Tahoma is wider, so that the check box's caption is never cut.
  const QScreen* s = screen();
  const double dpi = s != nullptr && s->logicalDotsPerInch() > 0 ? s->logicalDotsPerInch() : 96.0;
  const double scale =
      std::max(1.0, check_->sizeHint().width() / settings::TwipsToPixels(kCheck.width, dpi));
  auto px = [dpi, scale](int twips) {
    return static_cast<int>(std::lround(settings::TwipsToPixels(twips, dpi) * scale));
  };
  auto place = [&px](QWidget* widget, const TwipsRect& r) {
    widget->setGeometry(px(r.x), px(r.y), px(r.width), px(r.height));
  };
  setFixedSize(px(kClientWidth), px(kClientHeight));
  place(frame, kFrame);
  place(list_, kList);
  place(check_, kCheck);
  place(cancel, kCancel);
  place(ok, kOk);
  place(tag_label_, kTagLabel);

  setTabOrder(list_, check_);
  setTabOrder(check_, cancel);
  setTabOrder(cancel, ok);

  connect(ok, &QPushButton::clicked, this, &SelectVariableDialog::OkPressed);
  connect(cancel, &QPushButton::clicked, this, &SelectVariableDialog::CancelPressed);
}

SelectVariableDialog::~SelectVariableDialog() = default;

void SelectVariableDialog::Present(const std::vector<std::u16string>& names,
                                   std::u16string_view tag) {
  list_->clear();
  for (const std::u16string& name : names) list_->addItem(ToQString(name));
  list_->clearSelection();
  list_->setCurrentRow(-1);
  tag_label_->setText(ToQString(tag));
  show();
  raise();
  activateWindow();
}

void SelectVariableDialog::Reset(bool clear_tag) {
  hide();
  list_->clear();
  if (clear_tag) tag_label_->clear();
}

std::u16string SelectVariableDialog::SelectedVariable() const {
  const QList<QListWidgetItem*> selected = list_->selectedItems();
  return selected.isEmpty() ? std::u16string() : ToU16(selected.front()->text());
}

void SelectVariableDialog::reject() { emit CancelPressed(); }

bool SelectVariableDialog::eventFilter(QObject* watched, QEvent* event) {
  if (watched == list_ && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space &&
      static_cast<QKeyEvent*>(event)->modifiers() == Qt::NoModifier) {
    // Space selects the current name and nothing else: the list's type-to-search would
    // otherwise jump to the next name that begins with a space (indented assignments).
    if (QListWidgetItem* current = list_->currentItem()) current->setSelected(true);
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

void SelectVariableDialog::closeEvent(QCloseEvent* event) {
  // Not QDialog's handling, which would turn the close into a Cancel: closing through the
  // frame destroys the dialog (WA_DeleteOnClose), and the next use makes it anew.
  emit ClosedByFrame();
  event->accept();
}

}  // namespace quillan::gui
