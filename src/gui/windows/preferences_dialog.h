#pragma once

#include <QDialog>

#include "settings/settings_store.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QLineEdit;
class QScrollBar;

namespace quillan::gui {

class MainWindow;

/// `frmPrefs`, the Preferences: font, size, styles and colours of the editor and the toolbar
/// option, edited on a preview. OK applies everything to the editor at once and stores every
/// key; Cancel (or closing the window) applies and stores nothing. The stored settings are
/// read once, when the dialog is made; later openings show it as it was left.
class PreferencesDialog final : public QDialog {
  Q_OBJECT

 public:
  PreferencesDialog(settings::SettingsStore& settings, MainWindow& main_window);

 public slots:
  void OkClick();
  void FontDefaultsClick();
  void ColorDefaultsClick();

 private:
  void ChooseColor(QFrame* swatch, bool background);
  void SetSwatch(QFrame* swatch, const QColor& color);
  void ApplyPreviewColors();
  static QColor SwatchColor(const QFrame* swatch);

  settings::SettingsStore& settings_;
  MainWindow& main_window_;
  QCheckBox* toolbar_;
  QComboBox* fonts_;
  QLineEdit* preview_;
  QLineEdit* size_;
  QScrollBar* size_bar_;
  QCheckBox* styles_[4];
  QFrame* back_;
  QFrame* fore_;
};

}  // namespace quillan::gui
