#pragma once

#include <QCheckBox>

#include "codegen/insert_declarations.h"

namespace quillan::gui {

/// The check box "Insert Declarations with code." of a window that shows the shared option:
/// the box reads the stored value when the window is made, sets the live value when toggled,
/// and follows changes made in another window's box. The box removes its listener when it
/// goes; the option must outlive it.
class OptionBox final : public QCheckBox {
  Q_OBJECT

 public:
  OptionBox(codegen::InsertDeclarations& option, QWidget* parent);
  ~OptionBox() override;

 private:
  codegen::InsertDeclarations& option_;
  int listener_;
};

}  // namespace quillan::gui
