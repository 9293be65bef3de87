#include "gui/windows/icon_window.h"

#include <QBuffer>
#include <QEvent>
#include <QEventLoop>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QRadioButton>
#include <QThread>
#include <QVBoxLayout>

#include "document/document_commands.h"
#include "gui/widgets/icons.h"
#include "gui/widgets/qt_convert.h"
#include "gui/widgets/tool_window_parts.h"
#include "gui/windows/file_icons.h"
#include "settings/settings_table.h"
#include "wintools/pe_icons.h"

namespace quillan::gui {

namespace {

constexpr std::u16string_view kOpenTitle = u"Open Executable File";
constexpr std::u16string_view kOpenFilter = u"Executable Files (*.EXE)|*.exe|All Files (*)|*|";
constexpr std::u16string_view kSaveTitle = u"Save Icon";
constexpr std::u16string_view kIcoFilter = u"Icon File (*.ico)|*.ico|";
constexpr std::u16string_view kBmpFilter = u"Bitmap Image (*.bmp)|*.bmp|";

// The drawing areas: 480 x 480 and 275 x 270 twips at 15 twips a pixel.
constexpr QSize kLargeArea(32, 32);
constexpr QSize kSmallArea(18, 18);

std::string IcoBytes(const QImage& icon) {
  const QImage argb = icon.convertToFormat(QImage::Format_ARGB32);
  wintools::IconPixels pixels{argb.width(), argb.height(), {}};
  pixels.argb.reserve(static_cast<std::size_t>(argb.width()) * argb.height());
  for (int y = 0; y < argb.height(); ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
    pixels.argb.insert(pixels.argb.end(), row, row + argb.width());
  }
  return wintools::IcoFileOf(pixels);
}

std::string BmpBytes(const QImage& picture) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  picture.save(&buffer, "BMP");
  return bytes.toStdString();
}

// The dialog's name without its last four characters (the extension of the file last opened
// or saved); a shorter name is proposed whole.
std::u16string ProposedName(const std::u16string& name) {
  return name.size() < 4 ? name : name.substr(0, name.size() - 4);
}

}  // namespace

PictureBox::PictureBox(const char* name, QSize area, QWidget* parent) : QFrame(parent) {
  setObjectName(name);
  setFrameStyle(QFrame::Panel | QFrame::Sunken);
  setLineWidth(2);
  const int edge = 2 * frameWidth();
  setFixedSize(area.width() + edge, area.height() + edge);
  picture_ = QImage(area, QImage::Format_RGB32);
  Clear();
}

void PictureBox::Clear() {
  icon_ = QImage();
  picture_.fill(palette().color(QPalette::Button));
  update();
}

void PictureBox::ShowIcon(const QImage& icon) {
  Clear();
  icon_ = icon;
  QPainter painter(&picture_);
  painter.drawImage(0, 0, icon);
  update();
}

void PictureBox::paintEvent(QPaintEvent* event) {
  QFrame::paintEvent(event);
  QPainter painter(this);
  painter.drawImage(contentsRect().topLeft(), picture_);
}

IconWindow::IconWindow(const ChooserSource& choosers, document::FileStore& files,
                       settings::SettingsStore& settings, const MessengerSource& messengers)
    : QDialog(nullptr),
      chooser_(choosers(*this)),
      files_(files),
      settings_(settings),
      messengers_(messengers) {
  MakeToolWindow(*this, "frmIcon", "Extract Icon From .exe");
  setWindowIcon(OwnIcon("get-icon"));

  auto* file_label = new QLabel("File:", this);
  file_label->setObjectName("curFile");
  file_name_ = new QLineEdit(this);
  file_name_->setObjectName("FileName");
  file_name_->setAccessibleName("File");
  file_name_->setReadOnly(true);
  file_name_->setMinimumWidth(280);
  file_name_->installEventFilter(this);
  open_ = ToolButton(this, "cmdOpen", "Browse...");
  auto* file_row = new QHBoxLayout;
  file_row->addWidget(file_label);
  file_row->addWidget(file_name_, 1);
  file_row->addWidget(open_);

  auto picture_frame = [this](const char* frame_name, const char* caption, const char* box_name,
                              QSize area, const char* save_name, PictureBox*& box,
                              QPushButton*& save) {
    auto* frame = new QGroupBox(caption, this);
    frame->setObjectName(frame_name);
    box = new PictureBox(box_name, area, frame);
    save = ToolButton(frame, save_name, "Save...");
    save->setEnabled(false);
    auto* layout = new QHBoxLayout(frame);
    layout->addWidget(box, 0, Qt::AlignVCenter);
    layout->addWidget(save, 0, Qt::AlignVCenter);
    return frame;
  };
  auto* large_frame = picture_frame("Frame2", "Large Icon", "picLarge", kLargeArea, "picLarge_save",
                                    large_, save_large_);
  auto* small_frame = picture_frame("Frame1", "Small Icon", "picSmall", kSmallArea, "picSmall_save",
                                    small_, save_small_);

  auto* options = new QGroupBox("Controls", this);
  options->setObjectName("FileInfo_Frame");
  as_ico_ = new QRadioButton("Save as .ico", options);
  as_ico_->setObjectName("Option1");
  as_bmp_ = new QRadioButton("Save as .bmp", options);
  as_bmp_->setObjectName("Option2");
  auto* options_layout = new QVBoxLayout(options);
  options_layout->addWidget(as_ico_);
  options_layout->addWidget(as_bmp_);
  // The stored choice, read once; anything but "bmp" leaves the icon format.
  (settings::ReadPicSave(settings_) == settings::PicSave::kBmp ? as_bmp_ : as_ico_)
      ->setChecked(true);

  auto* close = ToolButton(this, "SSCommand1", "Close");
  auto* pictures = new QHBoxLayout;
  pictures->addWidget(large_frame);
  pictures->addWidget(small_frame);
  pictures->addWidget(options, 1);
  auto* outer = new QVBoxLayout(this);
  outer->addLayout(file_row);
  outer->addLayout(pictures);
  outer->addWidget(close, 0, Qt::AlignRight);
  outer->setSizeConstraint(QLayout::SetFixedSize);

  connect(open_, &QPushButton::clicked, this, &IconWindow::OpenFile);
  connect(save_large_, &QPushButton::clicked, this, &IconWindow::SaveLarge);
  connect(save_small_, &QPushButton::clicked, this, &IconWindow::SaveSmall);
  connect(close, &QPushButton::clicked, this, &QWidget::hide);
}

IconWindow::~IconWindow() { StoreOption(); }

void IconWindow::OpenFile() {
  // Cancelling leaves the current file, its pictures and the buttons as they were.
  const auto chosen = chooser_.ChooseOpen(kOpenTitle, kOpenFilter);
  // The window manager may hand the focus to the main window when the dialog closes.
  activateWindow();
  if (!chosen) return;
  dialog_name_ = *chosen;
  file_name_->setText(ToQString(*chosen));
  // The file is read and its icons decoded on a thread of their own while the windows go on
  // answering, under the busy cursor; Browse waits until they are shown.
  QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  open_->setEnabled(false);
  FileIconsRead read;
  const std::unique_ptr<QThread> reader(
      QThread::create([&read, path = *chosen] { read = ReadFileIcons(path); }));
  QEventLoop loop;
  connect(reader.get(), &QThread::finished, &loop, &QEventLoop::quit);
  const QPointer<IconWindow> alive(this);
  reader->start();
  loop.exec();
  // The loop also ends when the program quits.
  reader->wait();
  QGuiApplication::restoreOverrideCursor();
  if (!alive) return;
  open_->setEnabled(true);
  // The desktop theme's icons are looked up here, on the GUI thread.
  const FileIcons icons = FinishFileIcons(read);
  large_->ShowIcon(icons.large);
  small_->ShowIcon(icons.small);
  save_large_->setEnabled(true);
  save_small_->setEnabled(true);
}

void IconWindow::SaveLarge() { Save(*large_); }
void IconWindow::SaveSmall() { Save(*small_); }

void IconWindow::Save(const PictureBox& box) {
  const bool as_ico = as_ico_->isChecked();
  const auto chosen =
      chooser_.ChooseSave(kSaveTitle, as_ico ? kIcoFilter : kBmpFilter, ProposedName(dialog_name_));
  activateWindow();
  if (!chosen) return;
  // A name without an extension gets the one of the format written, as the proposal lacks it.
  std::u16string path = *chosen;
  const std::size_t slash = path.find_last_of(u'/');
  if (path.find(u'.', slash == std::u16string::npos ? 0 : slash + 1) == std::u16string::npos) {
    path += as_ico ? u".ico" : u".bmp";
  }
  // An icon file holds the icon itself with its transparency; a bitmap holds the picture box.
  const std::string bytes = as_ico ? IcoBytes(box.icon()) : BmpBytes(box.picture());
  if (const auto error = files_.Write(path, bytes)) {
    document::ShowFileFailure(messengers_(*this), path, *error);
    return;
  }
  dialog_name_ = path;
}

void IconWindow::StoreOption() {
  settings::StorePicSave(settings_,
                         as_bmp_->isChecked() ? settings::PicSave::kBmp : settings::PicSave::kIco);
}

void IconWindow::hideEvent(QHideEvent* event) {
  StoreOption();
  QDialog::hideEvent(event);
}

bool IconWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == file_name_ && event->type() == QEvent::MouseButtonDblClick) {
    messengers_(*this).Show(ToU16(file_name_->text()), ui::MessageIcon::kNone,
                            ui::MessageButtons::kOk, u"Current File:");
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace quillan::gui
