// The background window: the installer's full-screen backdrop and the application's main window,
// with the product title across its top-left corner. The main dialog is shown modally over it.
#pragma once

#include <memory>

#include "toolkit/Controls.h"
#include "toolkit/Forms.h"

namespace ui {

class TSfondoDlg : public toolkit::Form {
 public:
  TSfondoDlg();
  toolkit::Label LabelEffect1{this, "LabelEffect1"};
};

extern std::unique_ptr<TSfondoDlg> SfondoDlg;

}  // namespace ui
