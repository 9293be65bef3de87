#include "gui/widgets/option_box.h"

namespace quillan::gui {

OptionBox::OptionBox(codegen::InsertDeclarations& option, QWidget* parent)
    : QCheckBox("Insert Declarations with code.", parent), option_(option) {
  setObjectName("Check1");
  // A window made anew reads the stored option; from then on the box is the live value.
  option_.Reload();
  setChecked(option_.IsOn());
  connect(this, &QCheckBox::toggled, this, [this](bool on) { option_.Set(on); });
  listener_ = option_.AddListener([this](bool on) { setChecked(on); });
}

OptionBox::~OptionBox() { option_.RemoveListener(listener_); }

}  // namespace quillan::gui
