// The repair's look at the wiring decides whether anything runs at a logon, so it must agree with
// what the patchers and the wiring do: it finds lacking exactly what a run then changes, and
// nothing once the run is done. Were it to find lacking what no run changes (a menu without a
// toolbar heading, a read-only file), every logon would run the repair for nothing; were it to
// miss what a run adds, a reset profile would stay unwired. Each check is held beside its
// patcher over the texts and states AutoCAD's files come in, then the products' wiring beside
// WireEachProduct.
#include <gtest/gtest.h>

#include <functional>

#include "CadTestSupport.h"
#include "cad/AcadDocPatcher.h"
#include "cad/AcadFiles.h"
#include "cad/Bundle.h"
#include "cad/LispPatcher.h"
#include "cad/MenuPatcher.h"
#include "cad/PgpPatcher.h"
#include "cad/StartupLoad.h"
#include "tests/support/RecordedChanges.h"

namespace cad {
namespace {

using testing::CadTest;
using testing::CrLf;
using toolkit::headless::MemReg;

const std::string kFolder = "c:\\Acad\\";
const std::string kMissing = "<missing>";

struct Patcher {
  const char* file;  // below kFolder
  std::function<bool()> lacks;
  std::function<void()> patch;
  std::vector<std::string> texts;  // kMissing: no file
};

class WiringCheckTest : public CadTest {};

TEST_F(WiringCheckTest, EachCheckFindsLackingWhatItsPatcherAdds) {
  auto& none = toolkit::NoRecording();
  const Patcher patchers[] = {
      {"acad.pgp",
       [] { return PgpLacksCommand(kFolder, "acad.pgp"); },
       [&] { PatchAcadPgp(1, kFolder, "acad.pgp", none); },
       {kMissing, "", CrLf({"A, *ARC"}), "A, *ARC\n; tolvek's own", CrLf({std::string(kRunLine)})}},
      // The repair's way with a menu: only one that takes the toolbar is patched. A menu without
      // the toolbar's heading would gain the help strings again at every run, and never the
      // toolbar that tells a run it was there.
      {"acad.mns",
       [] { return MenuLacksToolbar(kFolder, "acad.mns"); },
       [&] {
         if (MenuLacksToolbar(kFolder, "acad.mns")) {
           PatchAcadMenu(kMenuAddToolbar, kFolder, "acad.mns", none);
         }
       },
       {kMissing, "", CrLf({"***TOOLBARS", "***HELPSTRINGS"}), CrLf({"***HELPSTRINGS"}),
        CrLf({"***MENUGROUP=ACAD", "***POP1"}), CrLf({"***TOOLBARS", "**TOLVEK"})}},
      {"acaddoc.lsp",
       [] { return AcadDocLacksLoad(kFolder); },
       [&] { AddLoadBlockToAcadDoc(kFolder, none); },
       {kMissing, "", "(princ)", CrLf({"(load \"tolvek\" '(\"tolvek\"))"})}},
      // AutoCAD 2005's document start-up file, tested and patched where it lies.
      {"support\\acad2005doc.lsp",
       [] { return AnyLispCandidateLacksLine("c:\\Acad"); },
       [&] { PatchAcadLisp("c:\\Acad", none); },
       {kMissing, CrLf({";; ACAD2004DOC", "(princ)"}), CrLf({"(princ)"}),
        CrLf({";; ACAD2004DOC", "(load \"tolvek\" '(\"tolvek\"))"})}},
      // Release 14's, with its autoload section.
      {"acadr14.lsp",
       [] { return AnyLispCandidateLacksLine("c:\\Acad"); },
       [&] { PatchAcadLisp("c:\\Acad", none); },
       {kMissing, CrLf({";;; AutoLoad LISP Applications", "(princ)"}), CrLf({"(princ)"}),
        CrLf({";;; AutoLoad LISP Applications", "(autoload \"tolvek\" '(\"tolvek\"))"})}},
  };
  for (const Patcher& patcher : patchers) {
    for (const std::string& text : patcher.texts) {
      for (const bool readOnly : {false, true}) {
        if (text == kMissing && readOnly) continue;
        SCOPED_TRACE(std::string(patcher.file) + ": " + text + (readOnly ? " (read-only)" : ""));
        SetUp();
        Fs().MakeDirs("c:\\Acad\\support");
        if (text != kMissing) Fs().PutFile(kFolder + patcher.file, text);
        if (readOnly) Fs().SetReadOnly(kFolder + patcher.file, true);
        const bool lacked = patcher.lacks();
        const auto before = Fs().Snapshot();
        patcher.patch();
        EXPECT_EQ(lacked, Fs().Snapshot() != before);
        EXPECT_FALSE(patcher.lacks());
      }
    }
  }
}

// The products' wiring: AnyProductLacks finds something lacking exactly where WireEachProduct then
// records a change, and a wired machine lacks nothing.
TEST_F(WiringCheckTest, TheProductsLackWhatTheirWiringAdds) {
  const std::string appData = "c:\\Users\\user\\AppData\\Roaming";
  const std::string contents = appData + "\\Autodesk\\ApplicationPlugins\\Tolvek.bundle\\Contents";
  const std::string kAutoCad = "\\Software\\Autodesk\\AutoCAD";
  const std::string source = "c:\\Kept\\";
  const auto lay = [&](const std::string& release, const std::string& root) {
    Fs().MakeDirs(root + "Support");
    MemReg().SetString(kAutoCad + "\\" + release + "\\ACAD-1:409", "RoamableRootFolder", root);
    MemReg().SetString(kAutoCad + "\\" + release + "\\ACAD-1:409\\Profiles\\P1\\Variables",
                       "TRUSTEDPATHS", "c:\\Lisp");
  };
  const auto variables = [&](const std::string& release, const std::string& profile) {
    return kAutoCad + "\\" + release + "\\ACAD-1:409\\Profiles\\" + profile + "\\Variables";
  };
  const struct {
    const char* what;
    std::function<void()> spoil;  // after a first wiring
  } rows[] = {
      {"nothing", [] {}},
      {"a profile reset",
       [&] { MemReg().SetString(variables("R25.1", "P1"), "TRUSTEDPATHS", ""); }},
      {"a profile AutoCAD made since, without its variables",
       [&] { MemReg().SetString(kAutoCad + "\\R25.1\\ACAD-1:409\\Profiles\\P2", "", ""); }},
      {"the bundle's AutoLISP file gone", [&] { Fs().Delete(contents + "\\tolvek.lsp"); }},
      {"the bundle's description gone",
       [&] { Fs().Delete(contents.substr(0, contents.size() - 9) + "\\PackageContents.xml"); }},
      {"acaddoc.lsp gone", [&] { Fs().Delete("c:\\P2009\\Support\\acaddoc.lsp"); }},
      {"a toolbar bitmap gone", [&] { Fs().Delete("c:\\P2009\\Support\\tkicon2.bmp"); }},
      {"a release started since", [&] { lay("R18.1", "c:\\P2011\\"); }},
      // A value that is not text TrustInEveryProfile cannot extend: not lacking, nor changed.
      {"a trusted path that is a number",
       [&] { MemReg().SetNumber(variables("R25.1", "P1"), "TRUSTEDPATHS", 1); }},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    SetUp();
    Fs().MakeDirs(appData);
    PutProductFiles(source);
    lay("R17.2", "c:\\P2009\\");
    lay("R25.1", "c:\\P2026\\");
    const WiringScope scope{appData, true};
    const auto wire = [&](toolkit::ChangeRecorder& recorder) {
      const std::vector<AcadProduct> products = FindAcadProducts();
      LispWiring wiring;
      try {
        WireEachProduct(
            products, scope,
            [&](const std::string& folder) {
              for (std::string_view name : kProductFiles) {
                const std::string file = folder + std::string(name);
                if (Exists(file)) continue;
                recorder.FileCreated(file, 0);
                Fs().PutFile(file, Content(source + std::string(name)));
              }
            },
            recorder, wiring);
      } catch (const toolkit::ERegistryException&) {
      }
    };
    EXPECT_TRUE(AnyProductLacks(FindAcadProducts(), scope));
    wire(toolkit::NoRecording());
    EXPECT_FALSE(AnyProductLacks(FindAcadProducts(), scope));
    row.spoil();
    const bool lacks = AnyProductLacks(FindAcadProducts(), scope);
    testing_support::RecordedChanges recorded;
    wire(recorded);
    EXPECT_EQ(lacks, !recorded.files.empty() || !recorded.values.empty() ||
                         !recorded.rewritten.empty() || !recorded.folders.empty());
    EXPECT_FALSE(AnyProductLacks(FindAcadProducts(), scope));
  }
}

}  // namespace
}  // namespace cad
