#pragma once

#include <QDialog>
#include <functional>
#include <optional>

#include "gui/windows/tool_windows.h"
#include "settings/settings_store.h"
#include "settings/settings_table.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QLineEdit;
class QScrollBar;

namespace quillan::gui {

/// `frmPrefs`, the Preferences: font, size, styles and colours of the editor and the toolbar
/// option, edited on a preview. OK applies everything to the editor at once and stores every
/// key; Cancel (or closing the window) applies and stores nothing. The stored settings are
/// read once, when the dialog is made; later openings show it as it was left.
class PreferencesDialog final : public QDialog {
  Q_OBJECT

 public:
  static constexpr ToolWindowRules kRules{WhileShown::kMainDisabled, FirstPlace::kCenteredOnMain};

  /// What OK applies, once it has stored it: the editor's font, colours, styles and the
  /// toolbar, as start-up reads them.
  using Apply = std::function<void(const settings::StartupSettings&)>;

  /// A dialog of `parent` (the main window), over which it first appears.
  PreferencesDialog(settings::SettingsStore& settings, Apply apply, QWidget& parent);

 public slots:
  void OkClick();
  void FontDefaultsClick();
  void ColorDefaultsClick();

 private:
  // The size typed in the box, when it is one the editor uses (1 to 72).
  std::optional<int> TypedSize() const;
  void ChooseColor(QFrame* swatch, bool background);
  void SetSwatch(QFrame* swatch, const QColor& color);
  void ApplyPreviewColors();
  static QColor SwatchColor(const QFrame* swatch);

  settings::SettingsStore& settings_;
  Apply apply_;
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
