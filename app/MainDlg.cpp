#include "app/MainDlg.h"

#include "app/Lister.h"
#include "app/Session.h"
#include "app/Startup.h"
#include "config/Vars.h"
#include "install/CadFolderChoice.h"
#include "install/RunningAutoCad.h"

namespace app {

using namespace toolkit;
using config::Vars;

std::unique_ptr<TMainDlg> MainDlg;

namespace {

constexpr TColor kFieldColor = 0x00F5E0CB;
constexpr const char* kProductPicture = "PRODUCT";

Font MakeFont(const char* name, int height, TColor color, unsigned style = 0) {
  Font font;
  font.name = name;
  font.height = height;
  font.color = color;
  font.style = style;
  return font;
}

void PlaceLabel(Label& label, int left, int top, const Font& font, bool transparent) {
  label.SetPosition(left, top);
  label.SetFont(font);
  label.SetTransparent(transparent);
}

}  // namespace

TMainDlg::TMainDlg() : Form("MainDlg") {
  const Font normal = MakeFont("MS Sans Serif", 11, clNavy);
  const Font normalBlack = MakeFont("MS Sans Serif", 11, clBlack);
  const Font boldNavy = MakeFont("MS Sans Serif", 11, clNavy, fsBold);

  SetBorderStyle(bsNone);
  SetBorderIcons(0);
  SetPosition(poScreenCenter);
  SetColor(clWhite);
  SetFont(normal);
  SetCaption("Installazione di...");
  SetClientSize(613, 431);

  Panel1.SetColor(clWhite);
  Panel1.SetBevel(bvRaised, bvNone, 2);
  Panel1.SetAlign(alClient);

  Panel4.SetColor(clWhite);
  Panel4.SetBevel(bvNone, bvNone, 1);
  Panel4.SetBounds(0, 0, 0, 167);
  Panel4.SetAlign(alTop);
  Image1.SetBounds(181, -3, 583, 183);
  Image1.SetPicture(kProductPicture);
  PlaceLabel(LblInstallazione, 16, 16, normal, true);
  PlaceLabel(Lbl_Program1, 16, 28, MakeFont("Times New Roman", 35, clNavy, fsBold), true);
  PlaceLabel(Lbl_Program2, 132, 35, normal, false);
  PlaceLabel(LabelPer, 16, 80, normal, true);
  PlaceLabel(NomeCAD, 16, 92, MakeFont("Times New Roman", 32, clBlack, fsBold), true);
  PlaceLabel(DescrCAD, 16, 127, normalBlack, true);

  Panel2.SetColor(clWhite);
  Panel2.SetBevel(bvNone, bvNone, 1);
  Panel2.SetBounds(0, 0, 0, 24);
  Panel2.SetAlign(alBottom);
  Image3.SetBounds(185, 5, 583, 183);
  Image3.SetPicture(kProductPicture);

  PerNT.SetBounds(20, 188, 241, 17);
  PerNT.SetChecked(true);
  PerNT.SetTabOrder(1);
  Per95.SetBounds(20, 208, 241, 17);
  Per95.SetTabOrder(1);

  Panel3.SetColor(clWhite);
  Panel3.SetBevel(bvNone, bvNone, 1);
  Panel3.SetBounds(276, 187, 317, 82);
  Panel3.SetTabOrder(2);
  Per2000.SetBounds(0, 0, 317, 17);
  Per2000.SetChecked(true);
  Per14.SetBounds(0, 20, 317, 17);
  PerLT.SetBounds(0, 40, 313, 17);
  Per4.SetBounds(0, 60, 313, 17);
  for (RadioButton* radio : {&PerNT, &Per95, &Per2000, &Per14, &PerLT, &Per4}) {
    radio->SetColor(clWhite);
  }

  PlaceLabel(LblAPP, 16, 267, normal, true);
  LblAPP.SetShowHint(true);
  AppDir.SetBounds(16, 284, 401, 21);
  AppDir.SetColor(kFieldColor);
  AppDir.SetCtl3D(true);
  AppDir.SetTabOrder(0);

  Uscita.SetBounds(448, 284, 137, 26);
  Uscita.SetFont(boldNavy);
  Uscita.OnClick = [this] { UscitaClick(); };

  PlaceLabel(LblDEST, 16, 316, normal, true);
  LblDEST.SetShowHint(true);
  DestDir.SetBounds(16, 332, 397, 21);
  DestDir.SetEnabled(false);
  DestDir.SetFont(MakeFont("MS Sans Serif", 11, clGray));

  Installa.SetBounds(448, 332, 137, 26);
  Installa.SetFont(boldNavy);
  Installa.OnClick = [this] { InstallaClick(); };

  PlaceLabel(LbLFile, 16, 377, boldNavy, true);

  Panel5.SetColor(kFieldColor);
  Panel5.SetBevel(bvNone, bvNone, 1);
  Panel5.SetBounds(16, 393, 581, 9);
  ProgressBar1.SetAlign(alClient);

  ddeClient_ = CreateDdeConversation("ProgMan", "");
  // Like a conversation set to connect automatically: it opens as the dialog is loaded.
  ddeClient_->Open();

  OnCreate = [this] { FormCreate(); };
  OnShow = [this] { FormShow(); };
  OnDestroy = [this] { FormDestroy(); };
}

TMainDlg::~TMainDlg() { DoDestroy(); }

void TMainDlg::FormCreate() { StartupFormCreate(*this); }

void TMainDlg::FormDestroy() { StartupFormDestroy(*this); }

void TMainDlg::FormShow() {
  const config::ConfigurationBlock& v = Vars;
  NomeCAD.SetCaption(v.CadName);
  AppDir.SetText(install::ProposedCadFolder());
  DestDir.SetText(v.DestFolder);
  Lbl_Program1.SetCaption(v.ProductTitle);
  if (v.ProductMark.empty()) {
    Lbl_Program2.SetVisible(false);
  } else {
    Lbl_Program2.SetCaption(v.ProductMark);
  }
  if (v.Language == 1) {
    SetCaption(v.InstallHeading + " " + v.ProductName + " ");
    LabelPer.SetCaption("per");
  } else if (v.Language == 2) {
    SetCaption(v.ProductName + " ");
    LabelPer.SetCaption("for");
  }
  NomeCAD.SetVisible(v.ShowCadName);
  LblAPP.SetCaption(v.CadFolderLabel);
  LblDEST.SetCaption(v.DestFolderLabel);
  LblInstallazione.SetCaption(v.InstallHeading);
  LblAPP.SetHint(v.CadFolderHint);
  LblDEST.SetHint(v.DestFolderHint);
  Installa.SetCaption(v.InstallButtonCaption);
  Uscita.SetCaption(v.ExitButtonCaption);
  Panel2.SetColor(v.FooterColor);
  TheSession().state.installDone = false;
  if (v.ProductCode == 11 || v.ProductCode == 30) {
    LblAPP.SetVisible(false);
    AppDir.SetVisible(false);
    LabelPer.SetVisible(false);
  }
  PerLT.SetVisible(v.ShowPerLT);
  Per14.SetVisible(v.ShowPer14);
  Per2000.SetVisible(v.ShowPer2000);
  Per4.SetVisible(v.ShowPer4);
  PerLT.SetCaption(v.CaptionPerLT);
  Per14.SetCaption(v.CaptionPer14);
  Per2000.SetCaption(v.CaptionPer2000);
  Per4.SetCaption(v.CaptionPer4);
  PerNT.SetVisible(v.ShowPerNT);
  Per95.SetVisible(v.ShowPer95);
  PerNT.SetCaption(v.CaptionPerNT);
  Per95.SetCaption(v.CaptionPer95);
  DescrCAD.SetCaption(v.CadVersions);
  if (PerNT.Visible()) PerNT.SetChecked(true);
  ApplyPresets();
}

void TMainDlg::ApplyPresets() {
  const Options& options = TheSession().options;
  if (options.cadFolder) AppDir.SetText(*options.cadFolder);
  if (options.release14 && Per14.Visible()) Per14.SetChecked(true);
  if (options.win9x && Per95.Visible()) Per95.SetChecked(true);
}

void TMainDlg::InstallaClick() {
  Uscita.SetEnabled(true);
  Installa.SetEnabled(false);
  TheSession().state.diskNumber = 1;
  // An error raised by the sequence skips the last step: only the exit button stays usable.
  if (Vars.ProductCode == 1) {
    Session& session = TheSession();
    LogChoices(session.log, loggedFrontEnd_,
               session.options.noGroup ? Vars.LogNo : Vars.LogGroupAsked);
    try {
      RunRecorded(loggedFrontEnd_, session, false);
    } catch (const install::EAutoCadRunning&) {
      // The close-AutoCAD box says that Cancel leaves without changing anything: so it does.
      UscitaClick();
      return;
    }
  }
  Uscita.SetEnabled(true);
  Installa.SetEnabled(true);
}

void TMainDlg::UscitaClick() {
  Close();
  ShowReadmeIfInstalled();
}

void ShowStatus(const std::string& text) {
  MainDlg->LbLFile.SetCaption(text);
  MainDlg->Repaint();
}

void ResetProgress(TMainDlg& dialog) {
  dialog.LbLFile.SetCaption("");
  dialog.ProgressBar1.SetMin(1);
  dialog.ProgressBar1.SetMax(10);
  dialog.ProgressBar1.SetStep(1);
  dialog.ProgressBar1.SetPosition(dialog.ProgressBar1.Min());
}

}  // namespace app
