// Every AutoCAD of the user, end to end on the headless backend: a machine with AutoCAD 2009 last
// used, 2021, 2026 and a 2026 vertical, a 2024 the user never started, AutoCAD LT 2024 and 2026
// and an LT 2023. A silent installation into the folder of 2021 wires each the way its release
// wants (LT from 2024 through the bundle, trusted in its profiles; LT 2023 not at all) and puts
// the menu and the command alias into 2021's own support folder, though 2009 is the one last
// used; the log names every product and how, and the closing report (the success box of a run
// with a person at the machine, which writes no log) what the user should know: an acaddoc.lsp
// AutoCAD loads instead of the product's, a product never started, PROJECTAWARE. The removal
// takes every change back, byte for byte.
#include <gtest/gtest.h>

#include "app/Startup.h"
#include "install/Registration.h"
#include "tests/support/Cp1252.h"
#include "tests/support/HeadlessTest.h"
#include "tests/support/LogText.h"
#include "tests/support/Medium.h"
#include "toolkit/headless/FakeProgramManager.h"
#include "toolkit/headless/HeadlessProcess.h"
#include "toolkit/headless/MemoryRegistry.h"

namespace {

using testing_support::Cp1252;

using namespace toolkit;
using headless::HeadlessProc;
using headless::MemReg;

const std::string kAutoCad = "\\Software\\Autodesk\\AutoCAD";
const std::string kAutoCadLt = "\\Software\\Autodesk\\AutoCAD LT";
const std::string kAcad2021 = "c:\\Program Files\\Autodesk\\AutoCAD 2021";
const std::string kBundle = "c:\\Users\\user\\AppData\\Roaming\\Autodesk\\ApplicationPlugins";

struct Product {
  const char* release;
  const char* key;
  const char* root;  // the user's roamable folder; none for one never started
};

const Product kProducts[] = {
    {"R17.2", "ACAD-7001:409", "c:\\Profiles\\2009\\"},
    {"R24.0", "ACAD-5101:409", "c:\\Profiles\\2021\\"},
    {"R25.1", "ACAD-9101:409", "c:\\Profiles\\2026\\"},
    {"R25.1", "ACAD-9106:409", "c:\\Profiles\\2026-vertical\\"},
    {"R24.3", "ACAD-7101:409", nullptr},
};

const Product kLtProducts[] = {
    {"R32", "ACADLT-9101:409", "c:\\Profiles\\LT2026\\"},
    {"R30", "ACADLT-7101:410", "c:\\Profiles\\LT2024\\"},
    {"R29", "ACADLT-6101:409", "c:\\Profiles\\LT2023\\"},
};

class EveryAutoCadTest : public testing_support::HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    testing_support::LayInstallerMachine(Disk());
    Disk().MakeDirs(kAcad2021);
    for (const Product& product : kProducts) {
      const std::string key = kAutoCad + "\\" + product.release + "\\" + product.key;
      MemReg().SetString("HKLM" + key, "AcadLocation",
                         std::string(product.release) == "R24.0" ? kAcad2021 : "c:\\Elsewhere");
      if (product.root == nullptr) continue;
      MemReg().SetString(key, "RoamableRootFolder", product.root);
      MemReg().SetString(key + "\\Profiles\\P1\\Variables", "TRUSTEDPATHS", "c:\\Lisp");
      Disk().PutFile(std::string(product.root) + "Support\\acad.pgp", "A, *ARC\n");
      Disk().PutFile(std::string(product.root) + "Support\\acad.mns", "***TOOLBARS\n");
    }
    for (const Product& product : kLtProducts) {
      const std::string key = kAutoCadLt + "\\" + product.release + "\\" + product.key;
      MemReg().SetString(key, "RoamableRootFolder", product.root);
      MemReg().SetString(key + "\\Profiles\\<<Unnamed Profile>>\\Variables", "TRUSTEDPATHS", "");
      Disk().MakeDirs(std::string(product.root) + "Support");
    }
    // 2009 has an acaddoc.lsp of its user's, with LF line ends.
    Disk().PutFile("c:\\Profiles\\2009\\Support\\acaddoc.lsp", "(setq mine 1)\n(princ)");
    MemReg().SetString(kAutoCad, "CurVer", "R17.2");
    MemReg().SetString(kAutoCad + "\\R17.2", "CurVer", "ACAD-7001:409");
  }

  int Run(const std::string& arguments) {
    HeadlessProc().SetArguments(arguments);
    return app::RunInstaller();
  }

  static std::string Trusted(const Product& product) {
    return MemReg()
        .StringValue(
            kAutoCad + "\\" + product.release + "\\" + product.key + "\\Profiles\\P1\\Variables",
            "TRUSTEDPATHS")
        .value_or("<none>");
  }
  static std::string TrustedLt(const Product& product) {
    return MemReg()
        .StringValue(kAutoCadLt + "\\" + product.release + "\\" + product.key +
                         "\\Profiles\\<<Unnamed Profile>>\\Variables",
                     "TRUSTEDPATHS")
        .value_or("<none>");
  }
};

TEST_F(EveryAutoCadTest, EachProductIsWiredAndTakenBack) {
  // AutoCAD loads only the first acaddoc.lsp of its support path: the closing report says which
  // file takes the place of the product's.
  Disk().PutFile("c:\\Office\\acaddoc.lsp", "(princ)\r\n");
  MemReg().SetString(kAutoCad + "\\R17.2\\ACAD-7001:409\\Profiles\\P1\\General", "ACAD",
                     "c:\\Office;c:\\Profiles\\2009\\Support");
  // 2026's vertical works in a project that makes its trusted paths read-only.
  MemReg().SetString(kAutoCad + "\\R25.1\\ACAD-9106:409\\Profiles\\P1\\Variables", "PROJECTAWARE",
                     "1");
  const auto disk = Disk().Snapshot();
  ASSERT_EQ(Run("/S /NOGROUP \"/ACAD=" + kAcad2021 + "\""), 3010);
  const std::string contents = kBundle + "\\Tolvek.bundle\\Contents";
  // 2009: its user's acaddoc.lsp loads the product, with the product's file beside it.
  EXPECT_NE(
      Disk().FileContent("c:\\Profiles\\2009\\Support\\acaddoc.lsp")->find("(load \"tolvek\""),
      std::string::npos);
  EXPECT_TRUE(Disk().FileExists("c:\\Profiles\\2009\\Support\\tolvek.lsp"));
  // 2021 and 2026 with its vertical: the one bundle, trusted in each profile.
  EXPECT_TRUE(Disk().FileExists(contents + "\\tolvek.lsp"));
  for (const Product& product : kProducts) {
    if (product.root == nullptr || std::string(product.release) == "R17.2") continue;
    EXPECT_EQ(Trusted(product), "c:\\Lisp;" + contents) << product.key;
  }
  // AutoCAD LT 2024 and 2026 too, with the toolbar's file in the bundle; LT 2023 not.
  EXPECT_EQ(TrustedLt(kLtProducts[0]), contents);
  EXPECT_EQ(TrustedLt(kLtProducts[1]), contents);
  EXPECT_EQ(TrustedLt(kLtProducts[2]), "");
  EXPECT_TRUE(Disk().FileExists(contents + "\\Tolvek.cuix"));
  // The chosen folder is 2021's: its support folder gets the menu and the command alias.
  EXPECT_NE(Disk().FileContent("c:\\Profiles\\2021\\Support\\acad.pgp")->find("RUNTOLVEK"),
            std::string::npos);
  EXPECT_EQ(Disk().FileContent("c:\\Profiles\\2009\\Support\\acad.pgp"), "A, *ARC\n");
  const std::string log =
      testing_support::LogText(Disk().FileContent("c:\\temp\\Tolvek-install.log"));
  for (const char* named : {"AutoCAD 2009 (R17.2 ACAD-7001:409): caricamento aggiunto a",
                            "AutoCAD 2021 (R24.0 ACAD-5101:409): pacchetto",
                            "AutoCAD 2026 (R25.1 ACAD-9106:409): pacchetto",
                            "AutoCAD 2024 (R24.3 ACAD-7101:409): mai avviato",
                            "AutoCAD 2009 (R17.2 ACAD-7001:409) carica c:\\Office\\acaddoc.lsp",
                            "AutoCAD LT 2026 (R32 ACADLT-9101:409): pacchetto",
                            "AutoCAD LT 2024 (R30 ACADLT-7101:410): pacchetto",
                            "AutoCAD LT (R29 ACADLT-6101:409): AutoCAD LT precedente la 2024"}) {
    EXPECT_NE(log.find(named), std::string::npos) << named << "\n" << log;
  }
  // The closing report, in the success message: each thing the user should know.
  const std::size_t success = log.find(Cp1252("L'installazione \xE8 stata effettuata con successo."));
  ASSERT_NE(success, std::string::npos) << log;
  const std::string closing = log.substr(success);
  for (const std::string& told : std::initializer_list<std::string>{
           "AutoCAD 2009 (R17.2 ACAD-7001:409) carica c:\\Office\\acaddoc.lsp e non",
           Cp1252("AutoCAD 2024 (R24.3 ACAD-7101:409) non \xE8 mai stato avviato da questo utente: "
                  "al primo avvio trover\xE0 Tolvek, ma ") +
               contents + Cp1252(" non \xE8 ancora tra i suoi percorsi attendibili"),
           Cp1252("In AutoCAD 2026 (R25.1 ACAD-9106:409) PROJECTAWARE \xE8 attivo")}) {
    EXPECT_NE(closing.find(told), std::string::npos) << told << "\n" << closing;
  }

  ASSERT_EQ(Run("/UNINSTALL /S \"/FROM=" + testing_support::kUserRecordFolder + "\""), 0);
  auto after = Disk().Snapshot();
  std::erase_if(after, [](const auto& file) {
    return file.first.ends_with(".bak") || file.first.ends_with(".log");
  });
  EXPECT_EQ(after, disk);
  for (const Product& product : kProducts) {
    if (product.root == nullptr) continue;
    EXPECT_EQ(Trusted(product), "c:\\Lisp") << product.key;
  }
  for (const Product& product : kLtProducts) EXPECT_EQ(TrustedLt(product), "") << product.key;
  EXPECT_FALSE(Disk().DirExists(kBundle + "\\Tolvek.bundle"));
}

// AutoCAD 2012 and later read no menu source file: the chosen folder's product gets the toolbar
// from the bundle, and the message that tells how to make its buttons by hand is not shown where
// its acad.mns is missing; a 2005 chosen (no bundle, no menu file) still gets it.
TEST_F(EveryAutoCadTest, TheToolbarOfAReleaseFrom2012ComesWithTheBundle) {
  const std::string menuMessage = "Impossibile modificare il file \"acad.mns\"";
  const std::string acad2026 = "c:\\Program Files\\Autodesk\\AutoCAD 2026";
  const std::string acad2005 = "c:\\Program Files\\AutoCAD 2005";
  MemReg().SetString("HKLM" + kAutoCad + "\\R25.1\\ACAD-9101:409", "AcadLocation", acad2026);
  MemReg().SetString("HKLM" + kAutoCad + "\\R16.1\\ACAD-301:409", "AcadLocation", acad2005);
  MemReg().SetString(kAutoCad + "\\R16.1\\ACAD-301:409", "RoamableRootFolder",
                     "c:\\Profiles\\2005\\");
  Disk().MakeDirs("c:\\Profiles\\2005\\Support");
  Disk().MakeDirs(acad2026);
  Disk().MakeDirs(acad2005);
  Disk().Delete("c:\\Profiles\\2026\\Support\\acad.mns");
  const struct {
    std::string folder;
    bool told;
  } rows[] = {{acad2026, false}, {acad2005, true}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.folder);
    Disk().Delete("c:\\temp\\Tolvek-install.log");
    ASSERT_EQ(Run("/S /NOGROUP \"/ACAD=" + row.folder + "\""), 3010);
    const std::string log =
        testing_support::LogText(Disk().FileContent("c:\\temp\\Tolvek-install.log"));
    EXPECT_EQ(log.find(menuMessage) != std::string::npos, row.told) << log;
  }
}

// A deployment names no folder: the run takes the most recent AutoCAD whose registered folder is
// on the disk, and the log says which and why, and which it passed over.
TEST_F(EveryAutoCadTest, WithoutAFolderNamedTheNewestRegisteredAutoCadIsChosen) {
  const std::string acad2026 = "c:\\Program Files\\Autodesk\\AutoCAD 2026";
  MemReg().SetString("HKLM" + kAutoCad + "\\R25.1\\ACAD-9101:409", "AcadLocation", acad2026);
  Disk().MakeDirs(acad2026);
  ASSERT_EQ(Run("/S /NOGROUP"), 3010);
  EXPECT_NE(Disk().FileContent("c:\\Profiles\\2026\\Support\\acad.pgp")->find("RUNTOLVEK"),
            std::string::npos);
  EXPECT_EQ(Disk().FileContent("c:\\Profiles\\2021\\Support\\acad.pgp"), "A, *ARC\n");
  const std::string log =
      testing_support::LogText(Disk().FileContent("c:\\temp\\Tolvek-install.log"));
  for (const std::string& line : std::initializer_list<std::string>{
           Cp1252(
               "AutoCAD R25.1 ACAD-9106:409 \xE8 registrata in c:\\Elsewhere, una cartella che non "
               "esiste: non considerata\r\n"),
           "Cartella di AutoCAD dal registro: " + acad2026 +
               Cp1252(" (AutoCAD R25.1 ACAD-9101:409, la pi\xF9 recente delle 2 installate)\r\n"),
           "Cartella di AutoCAD: " + acad2026 + "\r\n"}) {
    EXPECT_NE(log.find(line), std::string::npos) << line << "\n" << log;
  }
}

}  // namespace
