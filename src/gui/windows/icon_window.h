#pragma once

#include <QDialog>
#include <QFrame>
#include <QImage>
#include <memory>
#include <string>

#include "document/file_ports.h"
#include "gui/widgets/port_sources.h"
#include "gui/windows/tool_windows.h"
#include "settings/settings_store.h"

class QLineEdit;
class QPushButton;
class QRadioButton;

namespace quillan::gui {

/// A picture box: a sunken frame around a fixed drawing area of its background colour. What
/// is drawn into it stays as its picture, which is what gets saved as a bitmap.
class PictureBox final : public QFrame {
  Q_OBJECT

 public:
  PictureBox(const char* name, QSize area, QWidget* parent);
  /// Empties the box, then draws the icon at (0, 0) over the background, keeping its
  /// transparency.
  void ShowIcon(const QImage& icon);
  void Clear();
  /// The box's picture: the drawing area with the icon on the background colour.
  const QImage& picture() const { return picture_; }
  /// The icon as drawn, with its own transparency.
  const QImage& icon() const { return icon_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage picture_;
  QImage icon_;
};

/// `frmIcon`, the icon extractor: Browse chooses a file and shows the large and small icon the
/// desktop shows for it; each Save writes the icon shown as an .ico file, or the picture box as
/// a .bmp file, by the option that is remembered between runs. Close only hides the window.
class IconWindow final : public QDialog {
  Q_OBJECT

 public:
  static constexpr ToolWindowRules kRules{WhileShown::kMainStaysEnabled, FirstPlace::kBesideMain,
                                          settings::section::kIconPlace};

  /// The file dialogs are this window's own, so that they stand above it.
  IconWindow(const ChooserSource& choosers, document::FileStore& files,
             settings::SettingsStore& settings, const MessengerSource& messengers);
  ~IconWindow() override;

 public slots:
  void OpenFile();
  void SaveLarge();
  void SaveSmall();

 protected:
  void hideEvent(QHideEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Save(const PictureBox& box);
  void StoreOption();

  document::FileChooser& chooser_;
  document::FileStore& files_;
  settings::SettingsStore& settings_;
  MessengerSource messengers_;
  // The name the file dialog holds: the file last opened or saved.
  std::u16string dialog_name_;
  QLineEdit* file_name_;
  QPushButton* open_;
  PictureBox* large_;
  PictureBox* small_;
  QPushButton* save_large_;
  QPushButton* save_small_;
  QRadioButton* as_ico_;
  QRadioButton* as_bmp_;
};

}  // namespace quillan::gui
