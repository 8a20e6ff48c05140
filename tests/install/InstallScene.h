// The scene of a whole headless installation: a medium with every package in c:\setup and an
// AutoCAD 2005 whose profile (AutoCAD 2004's registry chain) holds the menu and command alias
// files, with the texts of the boxes a good run shows.
#pragma once

#include <functional>
#include <string>

#include "tests/support/Cp1252.h"
#include "tests/support/DialogTest.h"
#include "tests/support/Medium.h"
#include "toolkit/headless/MemoryRegistry.h"

namespace testing_support {

inline const std::string kAcad = "c:\\Programmi\\Autocad 2006";
inline const std::string kProfile = "c:\\Profiles\\u1\\Acad\\";
inline const std::string kSupport = kProfile + "Support\\";
inline const std::string kSuccess = Cp1252("L'installazione \xE8 stata effettuata con successo.");
inline const std::string kReboot =
    Cp1252("Per rendere operativa l'installazione \xE8 necessario riavviare il computer.");
inline const std::string kAskGroup = "Creo l'icona Tolvek con il gruppo corrispondente ?";
inline const std::string kMenu =
    "***MENUGROUP=ACAD\r\n***TOOLBARS\r\n**OTHER\r\n***HELPSTRINGS\r\n";
inline const std::string kPgp = "A, *ARC\r\n";
inline const std::string kDocLisp = ";; ACAD2004DOC.LSP\r\n(princ)\r\n";

class InstallScene : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    LayScene();
  }

  void LayScene() {
    WriteMedium(Disk(), "c:\\setup");
    // AutoCAD 2005: its session file proves the release; its document file gets the load line.
    Disk().PutFile(kAcad + "\\acad2005.lsp", "(princ)\r\n");
    Disk().PutFile(kAcad + "\\support\\acad2005doc.lsp", kDocLisp);
    Disk().PutFile(kSupport + "acad.mns", kMenu);
    Disk().PutFile(kSupport + "acad.pgp", kPgp);
    using toolkit::headless::MemReg;
    MemReg().SetString("\\Software\\Autodesk\\AutoCAD", "CurVer", "R16.1");
    MemReg().SetString("\\Software\\Autodesk\\AutoCAD\\R16.1", "CurVer", "ACAD-301:409");
    MemReg().SetString("\\Software\\Autodesk\\AutoCAD\\R16.1\\ACAD-301:409", "RoamableRootFolder",
                       kProfile);
  }

  // The end of a good run: the group question (answered No), the success box, the restart notice.
  static void ExpectTheEnd(bool reboot = true) {
    using namespace toolkit;
    headless::ExpectBox(BoxKind::kInformation, kAskGroup, mrNo);
    headless::ExpectBox(BoxKind::kInformation, kSuccess);
    if (reboot) headless::ExpectBox(BoxKind::kPlain, kReboot);
  }

  void Install(const std::function<void()>& before = [] {}) {
    Show([&] {
      before();
      Dlg().Installa.Click();
    });
  }
};

}  // namespace testing_support
