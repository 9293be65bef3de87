#include "gui/windows/preferences_dialog.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QValidator>
#include <algorithm>
#include <cmath>

#include "codegen/handle_variables.h"
#include "gui/widgets/colors.h"
#include "gui/widgets/qt_convert.h"
#include "gui/widgets/tool_window_parts.h"
#include "settings/settings_table.h"

namespace quillan::gui {

namespace {

constexpr int kMinSize = 8;
constexpr int kMaxSize = 72;

// Takes whole sizes from 1 to kMaxSize and nothing on the way to another number: a key that
// would make 99 or 0 is refused, and an empty box waits for a size.
class SizeValidator final : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& input, int&) const override {
    if (input.isEmpty()) return Intermediate;
    bool is_number = false;
    const int value = input.toInt(&is_number);
    const bool digits_only =
        std::all_of(input.begin(), input.end(), [](QChar c) { return c.isDigit(); });
    return digits_only && is_number && value >= 1 && value <= kMaxSize && input[0] != u'0'
               ? Acceptable
               : Invalid;
  }
};
// The swatches' and the preview's colours until one is stored or chosen.
const QColor kDesignBack(Qt::white);
const QColor kDesignFore(Qt::black);

struct Style {
  const char* name;
  const char* letter;
};
constexpr Style kStyles[] = {
    {"chkBold", "B"}, {"chkItalic", "I"}, {"chkUnder", "U"}, {"chkStrike", "S"}};

// Selects the first item equal to name ignoring case; none when there is none.
void SelectFont(QComboBox* fonts, const QString& name) {
  for (int i = 0; i < fonts->count(); ++i) {
    if (fonts->itemText(i).compare(name, Qt::CaseInsensitive) == 0) {
      fonts->setCurrentIndex(i);
      return;
    }
  }
  fonts->setCurrentIndex(-1);
}

}  // namespace

PreferencesDialog::PreferencesDialog(settings::SettingsStore& settings, Apply apply,
                                     QWidget& parent)
    : QDialog(&parent), settings_(settings), apply_(std::move(apply)) {
  setObjectName("frmPrefs");
  setWindowTitle("Prefernces");
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);

  auto* toolbar_frame = new QGroupBox("Prefernces", this);
  toolbar_frame->setObjectName("Frame1");
  toolbar_ = new QCheckBox("Use Toolbar", toolbar_frame);
  toolbar_->setObjectName("chkToolbar");
  (new QVBoxLayout(toolbar_frame))->addWidget(toolbar_);

  auto* font_frame = new QGroupBox("Font", this);
  font_frame->setObjectName("Frame2");
  fonts_ = new QComboBox(font_frame);
  fonts_->setObjectName("Combo1");
  preview_ = new QLineEdit("Preview Text", font_frame);
  preview_->setObjectName("txtFont");
  preview_->setReadOnly(true);
  preview_->setMinimumHeight(48);
  // The box keeps its size whatever the font: a large size is seen in part, and the dialog
  // never grows beyond the screen.
  preview_->setFixedSize(preview_->sizeHint().expandedTo(QSize(220, 48)));
  size_ = new QLineEdit("8", font_frame);
  size_->setObjectName("txtSize");
  size_->setValidator(new SizeValidator(size_));
  size_->setMaximumWidth(48);
  size_bar_ = new QScrollBar(Qt::Vertical, font_frame);
  size_bar_->setObjectName("VScroll1");
  size_bar_->setRange(kMinSize, kMaxSize);
  size_bar_->setValue(kMinSize);
  // As on a classic vertical scroll bar, the lower arrow raises the value: the size.
  size_bar_->setFixedHeight(std::max(44, size_->sizeHint().height() + 12));
  auto* styles = new QHBoxLayout;
  for (std::size_t i = 0; i < std::size(kStyles); ++i) {
    styles_[i] = new QCheckBox(kStyles[i].letter, font_frame);
    styles_[i]->setObjectName(kStyles[i].name);
    QFont letter = styles_[i]->font();
    letter.setBold(i == 0);
    letter.setItalic(i == 1);
    letter.setUnderline(i == 2);
    letter.setStrikeOut(i == 3);
    styles_[i]->setFont(letter);
    styles->addWidget(styles_[i]);
  }
  auto* font_default = ToolButton(font_frame, "SSCommand2", "Default");
  styles->addStretch(1);
  styles->addWidget(font_default);
  auto* size_row = new QHBoxLayout;
  size_row->addWidget(fonts_, 1);
  size_row->addWidget(size_);
  size_row->addWidget(size_bar_);
  auto* font_layout = new QVBoxLayout(font_frame);
  font_layout->addLayout(size_row);
  font_layout->addWidget(preview_);
  font_layout->addLayout(styles);

  auto* color_frame = new QGroupBox("Colors", this);
  color_frame->setObjectName("Frame5");
  auto swatch = [color_frame](const char* name) {
    auto* frame = new QFrame(color_frame);
    frame->setObjectName(name);
    frame->setFrameShape(QFrame::Box);
    frame->setFixedSize(40, 20);
    frame->setAutoFillBackground(true);
    return frame;
  };
  back_ = swatch("Picture1");
  fore_ = swatch("Picture2");
  auto* back_label = new QLabel("Background", color_frame);
  back_label->setObjectName("Label1");
  auto* fore_label = new QLabel("Text", color_frame);
  fore_label->setObjectName("Label2");
  auto* change_back = ToolButton(color_frame, "SSCommand3", "Change...");
  auto* change_fore = ToolButton(color_frame, "SSCommand4", "Change...");
  auto* color_default = ToolButton(color_frame, "SSCommand7", "Default");
  auto* colors = new QGridLayout(color_frame);
  colors->addWidget(back_label, 0, 0);
  colors->addWidget(back_, 0, 1);
  colors->addWidget(change_back, 0, 2);
  colors->addWidget(fore_label, 1, 0);
  colors->addWidget(fore_, 1, 1);
  colors->addWidget(change_fore, 1, 2);
  colors->addWidget(color_default, 2, 2);

  auto* ok = ToolButton(this, "SSCommand6", "OK");
  auto* cancel = ToolButton(this, "SSCommand5", "Cancel");
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  auto* outer = new QVBoxLayout(this);
  outer->addWidget(toolbar_frame);
  outer->addWidget(font_frame);
  outer->addWidget(color_frame);
  outer->addLayout(buttons);
  outer->setSizeConstraint(QLayout::SetFixedSize);

  // The live preview.
  connect(fonts_, &QComboBox::activated, this, [this](int index) {
    QFont f = preview_->font();
    f.setFamily(fonts_->itemText(index));
    preview_->setFont(f);
  });
  connect(size_bar_, &QScrollBar::valueChanged, this, [this](int value) {
    size_->setText(QString::number(value));
    QFont f = preview_->font();
    f.setPointSizeF(value);
    preview_->setFont(f);
  });
  connect(size_, &QLineEdit::textEdited, this, [this](const QString& text) {
    bool ok = false;
    const int value = text.toInt(&ok);
    // Only a size the editor uses reaches the preview; the box may hold more while typing.
    if (!ok || value < 1 || value > kMaxSize) return;
    QFont f = preview_->font();
    f.setPointSizeF(value);
    preview_->setFont(f);
    const QSignalBlocker quiet(size_bar_);
    size_bar_->setValue(value);
  });
  // Leaving the box with a size the editor does not use puts back the size shown.
  connect(size_, &QLineEdit::editingFinished, this, [this] {
    if (!TypedSize()) size_->setText(QString::number(preview_->font().pointSizeF()));
  });
  for (std::size_t i = 0; i < std::size(kStyles); ++i) {
    connect(styles_[i], &QCheckBox::toggled, this, [this, i](bool on) {
      QFont f = preview_->font();
      if (i == 0) f.setBold(on);
      if (i == 1) f.setItalic(on);
      if (i == 2) f.setUnderline(on);
      if (i == 3) f.setStrikeOut(on);
      preview_->setFont(f);
    });
  }
  connect(change_back, &QPushButton::clicked, this, [this] { ChooseColor(back_, true); });
  connect(change_fore, &QPushButton::clicked, this, [this] { ChooseColor(fore_, false); });
  connect(color_default, &QPushButton::clicked, this, &PreferencesDialog::ColorDefaultsClick);
  connect(font_default, &QPushButton::clicked, this, &PreferencesDialog::FontDefaultsClick);
  connect(ok, &QPushButton::clicked, this, &PreferencesDialog::OkClick);
  // Cancel and the frame's close both hide the window; nothing is applied or stored.
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  // Creation: the installed fonts once each, then the stored choices.
  std::vector<std::u16string> families;
  for (const QString& family : QFontDatabase::families()) families.push_back(ToU16(family));
  codegen::RemoveDuplicateItems(families);
  for (const std::u16string& family : families) fonts_->addItem(ToQString(family));

  // The stored choices, read by the same rules as at start-up.
  const settings::StartupSettings stored = settings::ReadStartupSettings(settings_);
  toolbar_->setChecked(stored.toolbar_shown);
  const QString font = QString::fromStdString(stored.font_name);
  SelectFont(fonts_, font);
  QFont f(font);
  const float points = stored.font_size;
  f.setPointSizeF(points);
  preview_->setFont(f);
  SetSwatch(back_, kDesignBack);
  SetSwatch(fore_, kDesignFore);
  for (auto [value, swatch] :
       {std::pair{stored.back_color, back_}, std::pair{stored.fore_color, fore_}}) {
    if (!value) continue;
    if (const auto color = ColorFromStored(*value)) SetSwatch(swatch, *color);
  }
  ApplyPreviewColors();
  const bool stored_styles[] = {stored.bold, stored.italic, stored.underline, stored.strikethru};
  for (std::size_t i = 0; i < std::size(stored_styles); ++i)
    styles_[i]->setChecked(stored_styles[i]);
  // A half rounds to the even number; setting the value the bar already has changes nothing,
  // and the preview then keeps its exact size.
  size_bar_->setValue(
      static_cast<int>(std::nearbyint(std::clamp<float>(points, kMinSize, kMaxSize))));
}

QColor PreferencesDialog::SwatchColor(const QFrame* swatch) {
  return swatch->palette().color(QPalette::Window);
}

void PreferencesDialog::SetSwatch(QFrame* swatch, const QColor& color) {
  QPalette palette = swatch->palette();
  palette.setColor(QPalette::Window, color);
  swatch->setPalette(palette);
}

void PreferencesDialog::ApplyPreviewColors() {
  QPalette palette = preview_->palette();
  palette.setColor(QPalette::Base, SwatchColor(back_));
  palette.setColor(QPalette::Text, SwatchColor(fore_));
  preview_->setPalette(palette);
}

void PreferencesDialog::ChooseColor(QFrame* swatch, bool background) {
  const QColor chosen =
      QColorDialog::getColor(SwatchColor(swatch), this, background ? "Background" : "Text");
  // Cancelling the colour dialog keeps the colour.
  if (!chosen.isValid()) return;
  SetSwatch(swatch, chosen);
  ApplyPreviewColors();
}

void PreferencesDialog::ColorDefaultsClick() {
  SetSwatch(back_, Qt::white);
  SetSwatch(fore_, Qt::black);
  ApplyPreviewColors();
}

void PreferencesDialog::FontDefaultsClick() {
  QFont f("Tahoma");
  f.setPointSizeF(kMinSize);
  preview_->setFont(f);
  size_bar_->setValue(kMinSize);
  size_->setText(QString::number(kMinSize));
  for (QCheckBox* box : styles_) box->setChecked(false);
  SelectFont(fonts_, "tahoma");
}

std::optional<int> PreferencesDialog::TypedSize() const {
  bool is_number = false;
  const int typed = size_->text().toInt(&is_number);
  if (!is_number || typed < 1 || typed > kMaxSize) return std::nullopt;
  return typed;
}

void PreferencesDialog::OkClick() {
  const QFont f = preview_->font();
  settings::EditorPrefs prefs;
  prefs.toolbar_shown = toolbar_->isChecked();
  prefs.font_name = f.family().toStdString();
  // The size as shown; a text that is no size the editor uses (the box may be empty, or hold
  // 99) leaves the preview's.
  const std::optional<int> typed = TypedSize();
  prefs.font_size = typed ? static_cast<float>(*typed) : static_cast<float>(f.pointSizeF());
  prefs.back_color = StoredFromColor(SwatchColor(back_));
  prefs.fore_color = StoredFromColor(SwatchColor(fore_));
  prefs.bold = styles_[0]->isChecked();
  prefs.italic = styles_[1]->isChecked();
  prefs.underline = styles_[2]->isChecked();
  prefs.strikethru = styles_[3]->isChecked();
  settings::StorePrefs(settings_, prefs);
  // What was stored is what the editor shows, by the same rules as at start-up.
  apply_(settings::ReadStartupSettings(settings_));
  accept();
}

}  // namespace quillan::gui
