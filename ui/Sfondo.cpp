#include "ui/Sfondo.h"

namespace ui {

using namespace toolkit;

std::unique_ptr<TSfondoDlg> SfondoDlg;

TSfondoDlg::TSfondoDlg() : Form("SfondoDlg") {
  SetCaption("Install v 5.0");
  SetBorderStyle(bsSizeable);
  SetBorderIcons(biSystemMenu);
  SetPosition(poScreenCenter);
  SetOuterSize(610, 423);
  SetWindowState(wsMaximized);
  SetColor(clTeal);
  LabelEffect1.SetBounds(5, 4, 677, 33);
  LabelEffect1.SetAutoSize(false);
  LabelEffect1.SetTransparent(true);
  LabelEffect1.SetCaption("Tolvek per ...");
  Font title;
  title.name = "Times New Roman";
  title.height = 27;
  title.color = clGray;
  LabelEffect1.SetFont(title);
}

}  // namespace ui
