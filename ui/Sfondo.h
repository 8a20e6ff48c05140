// The background window: the installer's full-screen backdrop and the application's main window.
// A gradient panel fills the client area and the product title is written over it, top left, in
// a raised effect font. The main dialog is shown modally over it.
#pragma once

#include <memory>

#include "toolkit/Controls.h"
#include "toolkit/Forms.h"
#include "ui/LblEffct.h"
#include "ui/NetGradient.h"

namespace ui {

class TSfondoDlg : public toolkit::Form {
 public:
  TSfondoDlg();
  // In creation order: the label lies above the panel and is painted after it.
  TNetGradient NetGradient1{this, "NetGradient1"};
  TLabelEffect LabelEffect1{this, "LabelEffect1"};

  void FormCreate();
};

extern std::unique_ptr<TSfondoDlg> SfondoDlg;

}  // namespace ui
