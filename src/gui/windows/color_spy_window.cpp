#include "gui/windows/color_spy_window.h"

#include <QClipboard>
#include <QEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

#include "gui/widgets/picker_arrow.h"
#include "gui/widgets/qt_convert.h"
#include "gui/widgets/tool_window_parts.h"

namespace quillan::gui {

namespace {

struct Field {
  const char* name;
  const char* label;
};
// In the order of the readout: colour, HTML, red, green, blue; then the Visual Basic forms.
constexpr Field kFields[] = {{"txtColor", "Color:"},   {"txtHTML", "Hex(HTML):"},
                             {"txtRed", "Red:"},       {"txtGreen", "Green:"},
                             {"txtBlue", "Blue:"},     {"txtVBHex", "VB Long:"},
                             {"txtVBRGB", "VB RGB():"}};

QColor FromColorValue(std::uint32_t v) { return QColor(v & 255, (v >> 8) & 255, (v >> 16) & 255); }

}  // namespace

Magnifier::Magnifier(QWidget* parent)
    : QWidget(parent), image_(kSide, kSide, QImage::Format_RGB32) {
  setObjectName("picZoom");
  setAccessibleName("Magnified pixels around the pointer");
  setFixedSize(kSide * kScale + 2, kSide * kScale + 2);
  image_.fill(Qt::gray);
}

void Magnifier::Show(const std::vector<std::uint32_t>& pixels) {
  if (pixels.size() != static_cast<std::size_t>(kSide) * kSide) return;
  bool changed = false;
  for (int y = 0; y < kSide; ++y) {
    auto* row = reinterpret_cast<QRgb*>(image_.scanLine(y));
    for (int x = 0; x < kSide; ++x) {
      const std::uint32_t v = pixels[static_cast<std::size_t>(y) * kSide + x];
      const QRgb rgb = v == wintools::kClrInvalid ? qRgb(128, 128, 128)
                                                  : qRgb(v & 255, (v >> 8) & 255, (v >> 16) & 255);
      changed = changed || row[x] != rgb;
      row[x] = rgb;
    }
  }
  // An unchanged view is not painted again.
  if (changed) update();
}

void Magnifier::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setPen(palette().color(QPalette::Mid));
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
  painter.drawImage(QRect(1, 1, kSide * kScale, kSide * kScale), image_);
  // The pixel under the pointer, outlined in black and white so that it shows on any colour.
  const QRect centre(1 + kSide / 2 * kScale, 1 + kSide / 2 * kScale, kScale, kScale);
  painter.setPen(Qt::black);
  painter.drawRect(centre.adjusted(-1, -1, 0, 0));
  painter.setPen(Qt::white);
  painter.drawRect(centre.adjusted(0, 0, -1, -1));
}

QImage ColorSpyWindow::Spectrum() {
  // Hues from red through yellow, green, cyan, blue and magenta back to red; lighter towards
  // the top edge, darker towards the bottom.
  QImage image(187, 16, QImage::Format_RGB32);
  for (int x = 0; x < image.width(); ++x) {
    const double hue = static_cast<double>(x) / (image.width() - 1);
    for (int y = 0; y < image.height(); ++y) {
      const double lightness = 0.85 - 0.7 * y / (image.height() - 1);
      image.setPixelColor(x, y, QColor::fromHslF(hue < 1.0 ? hue : 0.0, 1.0, lightness));
    }
  }
  return image;
}

ColorSpyWindow::ColorSpyWindow(wintools::WindowSystem& windows)
    : QDialog(nullptr), windows_(windows) {
  MakeToolWindow(*this, "frmSpy", "Color Spy");
  frame_ = new QGroupBox("Color Spy", this);
  frame_->setObjectName("Frame1");
  frame_->setMouseTracking(true);
  frame_->installEventFilter(this);
  arrow_ = new PickerArrow(PickerArrow::Starts::kLeftButton, frame_);
  auto* spectrum = new QLabel(frame_);
  spectrum->setObjectName("Picture2");
  spectrum->setPixmap(QPixmap::fromImage(Spectrum()));
  spectrum->setFixedSize(187, 16);
  swatch_ = new QFrame(frame_);
  swatch_->setObjectName("picColor");
  swatch_->setFrameShape(QFrame::Box);
  swatch_->setFixedSize(48, 48);
  swatch_->setAutoFillBackground(true);
  auto* form = new QFormLayout;
  for (std::size_t i = 0; i < std::size(kFields); ++i) {
    fields_[i] = new QLineEdit(frame_);
    fields_[i]->setObjectName(kFields[i].name);
    fields_[i]->setReadOnly(true);
    form->addRow(kFields[i].label, fields_[i]);
  }
  fields_[5]->setMinimumWidth(110);
  as_hex_ = new QRadioButton("&&H00BBGGRR&&", frame_);
  as_hex_->setObjectName("optVBHex");
  as_hex_->setChecked(true);
  auto* as_rgb = new QRadioButton("RGB(r, g, b)", frame_);
  as_rgb->setObjectName("optVBRGB");
  auto* copy = ToolButton(frame_, "cmdCopy", "Cop&y");
  copy->setToolTip("Copy the colour in the chosen Visual Basic form");
  auto* copy_row = new QHBoxLayout;
  copy_row->addWidget(as_hex_);
  copy_row->addWidget(as_rgb);
  copy_row->addStretch(1);
  copy_row->addWidget(copy);
  magnifier_ = new Magnifier(frame_);
  auto* close = ToolButton(frame_, "Command1", "&Close");
  auto* top_row = new QHBoxLayout;
  top_row->addWidget(arrow_);
  top_row->addWidget(spectrum);
  top_row->addStretch(1);
  auto* pictures = new QVBoxLayout;
  pictures->addWidget(swatch_);
  pictures->addWidget(magnifier_);
  pictures->addStretch(1);
  auto* middle = new QHBoxLayout;
  middle->addLayout(pictures);
  middle->addLayout(form, 1);
  auto* frame_layout = new QVBoxLayout(frame_);
  frame_layout->addLayout(top_row);
  frame_layout->addLayout(middle);
  frame_layout->addLayout(copy_row);
  frame_layout->addWidget(close, 0, Qt::AlignRight);
  auto* outer = new QVBoxLayout(this);
  outer->addWidget(frame_);
  outer->setSizeConstraint(QLayout::SetFixedSize);

  timer_ = new QTimer(this);
  timer_->setObjectName("Timer1");
  timer_->setInterval(1);
  connect(timer_, &QTimer::timeout, this, &ColorSpyWindow::Sample);
  connect(arrow_, &PickerArrow::Started, timer_, qOverload<>(&QTimer::start));
  connect(arrow_, &PickerArrow::Released, this, [this](Qt::MouseButton button) {
    if (button == Qt::LeftButton) timer_->stop();
  });
  connect(copy, &QPushButton::clicked, this, &ColorSpyWindow::CopyClick);
  connect(close, &QPushButton::clicked, this, &QWidget::hide);
}

void ColorSpyWindow::CopyClick() {
  if (!spy_.swatch()) return;
  QGuiApplication::clipboard()->setText(fields_[as_hex_->isChecked() ? 5 : 6]->text());
}

bool ColorSpyWindow::sampling() const { return timer_->isActive(); }

void ColorSpyWindow::Sample() {
  // An unreadable pixel keeps the last values, and an unchanged colour does not repaint.
  const bool changed = spy_.Sample(windows_);
  if (!spy_.swatch()) return;
  if (changed) {
    QPalette palette = swatch_->palette();
    palette.setColor(QPalette::Window, FromColorValue(*spy_.swatch()));
    swatch_->setPalette(palette);
  }
  const wintools::ColorReadout& r = spy_.readout();
  const std::u16string vb_hex = wintools::VbHexOf(*spy_.swatch());
  const std::u16string vb_rgb = wintools::VbRgbOf(*spy_.swatch());
  const std::u16string* values[] = {&r.color, &r.html, &r.red, &r.green, &r.blue, &vb_hex, &vb_rgb};
  for (std::size_t i = 0; i < std::size(values); ++i) fields_[i]->setText(ToQString(*values[i]));
  // The pixels around where the colour was read, in one request.
  const wintools::ScreenPoint at = spy_.point();
  constexpr int kHalf = Magnifier::kSide / 2;
  magnifier_->Show(
      windows_.GetScreenPixels({at.x - kHalf, at.y - kHalf, at.x + kHalf + 1, at.y + kHalf + 1}));
}

void ColorSpyWindow::StopWhenIdle() {
  if (!arrow_->dragging()) timer_->stop();
}

bool ColorSpyWindow::eventFilter(QObject* watched, QEvent* event) {
  // The safety handlers: a move over the frame while no drag lasts stops the timer.
  if (watched == frame_ && event->type() == QEvent::MouseMove) StopWhenIdle();
  return QDialog::eventFilter(watched, event);
}

void ColorSpyWindow::changeEvent(QEvent* event) {
  // ... and so does losing the focus.
  if (event->type() == QEvent::ActivationChange && !isActiveWindow()) StopWhenIdle();
  QDialog::changeEvent(event);
}

}  // namespace quillan::gui
