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
  OnCreate = [this] { FormCreate(); };

  // The panel as the form description stores it; creation then replaces colours and caption.
  NetGradient1.SetBounds(0, 0, 682, 380);
  NetGradient1.SetAlign(alClient);
  NetGradient1.SetBeginColor(clNavy);
  NetGradient1.SetEndColor(clBtnFace);
  NetGradient1.SetFillDirection(fdTopToBottom);
  toolkit::Font panelFont;
  panelFont.style = fsBold;
  NetGradient1.SetFont(panelFont);
  NetGradient1.SetCaption("TNetGradient");
  NetGradient1.SetTextTop(5);
  NetGradient1.SetTextLeft(12);

  // The title keeps its own place and size when the window is maximized.
  LabelEffect1.SetBounds(5, 4, 677, 33);
  LabelEffect1.SetAutoSize(false);
  LabelEffect1.SetCaption("Tolvek per ...");
  toolkit::Font title;
  title.name = "Times New Roman";
  title.height = 27;
  title.color = clGray;
  LabelEffect1.SetFont(title);
  LabelEffect1.SetTransparent(true);
}

void TSfondoDlg::FormCreate() {
  NetGradient1.SetCaption("");
  NetGradient1.SetBeginColor(Rgb(26, 92, 158));
  NetGradient1.SetEndColor(clWhite);
}

}  // namespace ui
