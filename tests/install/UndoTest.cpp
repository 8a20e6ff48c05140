// The rules of the way back, each held by a case that fails when that rule alone is broken: a
// file goes only while it is what the run placed (size and CRC, a half-written member only on
// the product's own record), the user's backup is never renamed over the file, the entry leaves
// with a rollback at once and with a removal last, the user's later entries of a registry list
// stay, a link on the way is never gone through, a device's name is out of bounds, and an
// uninstaller's safety copy a kill left behind goes with the next run while a user's file of that
// name stays.
#include "install/Undo.h"

#include <gtest/gtest.h>

#include "app/InstallLog.h"
#include "app/Options.h"
#include "app/SilentFrontEnd.h"
#include "cad/PgpPatcher.h"
#include "install/Registration.h"
#include "tests/support/HeadlessTest.h"
#include "tests/support/RecordedChanges.h"
#include "toolkit/Crc32.h"
#include "toolkit/headless/MemoryRegistry.h"

namespace install {
namespace {

using toolkit::headless::MemReg;

const std::string kDestination = "c:\\Tolvek4";
const std::string kRecord = "c:\\Users\\user\\AppData\\Local\\Tolvek";
const std::string kSupport = "c:\\Profiles\\P1\\Support";
const std::string kDocuments = "c:\\Users\\u2\\Documents";
const std::string kVariables =
    "\\Software\\Autodesk\\AutoCAD\\R25.1\\ACAD-9101:409\\Profiles\\P1\\Variables";
const std::string kBundleContents =
    "c:\\Users\\user\\AppData\\Roaming\\Autodesk\\ApplicationPlugins\\Tolvek.bundle\\Contents";

// What the undo told, each kind apart.
struct Told : UndoReport {
  void Done(const std::string&, const std::string& path) override { done.push_back(path); }
  void Left(const std::string& path, const std::string&) override { left.push_back(path); }
  void Failed(const std::string& path, const std::string&) override { failed.push_back(path); }
  void Refused(const std::string& path, const std::string&) override { refused.push_back(path); }
  std::vector<std::string> done, left, failed, refused;
};

Change FileChange(const std::string& path, const std::string& content, bool withCrc = true) {
  Change change;
  change.kind = Change::Kind::kFile;
  change.path = path;
  change.size = content.size();
  if (withCrc) change.crc = toolkit::Crc32(0, content.data(), content.size());
  return change;
}

Change Named(Change::Kind kind, const std::string& path) {
  Change change;
  change.kind = kind;
  change.path = path;
  return change;
}

JournalRun RunOf(std::vector<Change> changes, bool complete, RunKind kind = RunKind::kInstall) {
  JournalRun run;
  run.number = 1;
  run.kind = kind;
  run.changes = std::move(changes);
  run.complete = complete;
  return run;
}

class UndoTest : public testing_support::HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    roots_.destination = kDestination;
    roots_.recordFolder = kRecord;
    roots_.supportFolders = {kSupport};
    roots_.pluginFolders = {"c:\\Users\\user\\AppData\\Roaming\\Autodesk\\ApplicationPlugins"};
    roots_.keys = {EntryKey(false)};
    Disk().MakeDirs(kDestination + "\\Parts\\Kx");
    Disk().MakeDirs(kSupport);
  }

  // Takes `runs` back with `policy`; what the replay left for the end.
  LeftForTheEnd Replay(const UndoPolicy& policy, const std::vector<RunToUndo>& runs) {
    Undo undo(policy, roots_, told_, recorded_, frontEnd_);
    return undo.Replay(runs);
  }

  TrustedRoots roots_;
  Told told_;
  testing_support::RecordedChanges recorded_;
  app::Options options_;
  app::SilentFrontEnd frontEnd_{options_};
};

TEST_F(UndoTest, AFileGoesOnlyWhileItIsWhatTheRunPlaced) {
  const std::string member = kDestination + "\\Parts\\Kx\\flangia.dat";
  const std::string acadDoc = kSupport + "\\acaddoc.lsp";
  const std::string placed = "flangia DN50, 12 fori";
  const struct {
    const char* what;
    std::string path;
    std::string onDisk;
    bool complete;
    RecordTrust trust;
    bool withCrc;
    bool gone;
  } rows[] = {
      {"as placed", member, placed, true, RecordTrust::kOwn, true, true},
      {"the same size, other bytes", member, "flangia DN65, 12 fori", true, RecordTrust::kOwn, true,
       false},
      {"larger since", member, placed + " e guarnizione", false, RecordTrust::kOwn, true, false},
      {"smaller, of a finished run", member, "flangia", true, RecordTrust::kOwn, true, false},
      {"smaller, of a run a kill cut short: a member half written", member, "flangia", false,
       RecordTrust::kOwn, true, true},
      {"smaller, cut short, on a record others could write", member, "flangia", false,
       RecordTrust::kMoved, true, false},
      {"as placed but without its CRC, on a record others could write", member, placed, true,
       RecordTrust::kMoved, false, false},
      {"acaddoc.lsp smaller in a run cut short: written whole, never half", acadDoc, "(princ)",
       false, RecordTrust::kOwn, true, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    Disk().PutFile(row.path, row.onDisk);
    const JournalRun run = RunOf({FileChange(row.path, placed, row.withCrc)}, row.complete);
    Replay(kUninstallPolicy, {{&run, row.trust}});
    EXPECT_EQ(Disk().FileExists(row.path), !row.gone);
    Disk().Delete(row.path);
  }
}

// The uninstaller rebuilds the file and leaves the installation's backup as the user's safety
// copy; the rollback of the run that made the backup moments ago puts it back under the file's
// name. A file of the user's under the uninstaller's safety name stays either way.
TEST_F(UndoTest, TheUsersBackupStaysWithARemovalAndTheRunsOwnGoesBackWithARollback) {
  const std::string pgp = kSupport + "\\acad.pgp";
  const std::string original = "A, *ARC\nC, *CIRCLE\n";
  for (const bool rollBack : {false, true}) {
    SCOPED_TRACE(rollBack ? "rollback" : "removal");
    Disk().PutFile(pgp, original);
    Disk().PutFile(pgp + "~", "the user's own copy");
    testing_support::RecordedChanges installed;
    ASSERT_TRUE(cad::PatchAcadPgp(1, kSupport + "\\", "acad.pgp", installed));
    ASSERT_EQ(installed.rewritten.size(), 1u);
    Change patch = Named(Change::Kind::kPatch, pgp);
    patch.swap = installed.rewritten[0];
    patch.summed = true;
    const JournalRun run = RunOf({patch}, true);
    Replay(rollBack ? kRollBackPolicy : kUninstallPolicy, {{&run}});
    EXPECT_EQ(Disk().FileContent(pgp), original);
    EXPECT_EQ(Disk().FileContent(kSupport + "\\pgp.bak"),
              rollBack ? std::nullopt : std::optional<std::string>(original));
    EXPECT_EQ(Disk().FileContent(pgp + "~"), "the user's own copy");
    Disk().Delete(kSupport + "\\pgp.bak");
  }
}

TEST_F(UndoTest, TheEntryGoesAtOnceWithARollbackAndIsLeftForTheEndOfARemoval) {
  const std::string entry = EntryKey(false);
  for (const bool rollBack : {true, false}) {
    SCOPED_TRACE(rollBack ? "rollback" : "removal");
    MemReg().SetString(entry, "DisplayName", "Tolvek v4");
    const JournalRun run = RunOf({Named(Change::Kind::kKey, entry)}, !rollBack);
    const LeftForTheEnd left = Replay(rollBack ? kRollBackPolicy : kUninstallPolicy, {{&run}});
    EXPECT_EQ(MemReg().KeyExists(entry), !rollBack);
    EXPECT_EQ(left.keys, rollBack ? std::vector<std::string>{} : std::vector<std::string>{entry});
  }
}

TEST_F(UndoTest, ARegistryListLosesOnlyTheProductsEntry) {
  const struct {
    const char* what;
    std::optional<std::string> before;
    std::string now;
    std::optional<std::string> after;
  } rows[] = {
      {"untouched since: exactly what it held", "C:\\Lisp;", "C:\\Lisp;;" + kBundleContents,
       "C:\\Lisp;"},
      {"an entry the user added since stays", "C:\\Lisp",
       "C:\\Lisp;" + kBundleContents + ";D:\\Mine", "C:\\Lisp;D:\\Mine"},
      {"a value the product made, holding only its entry, goes", std::nullopt, kBundleContents,
       std::nullopt},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    MemReg().SetString(kVariables, "TRUSTEDPATHS", row.now);
    Change change = Named(Change::Kind::kRegistry, kVariables);
    change.valueName = "TRUSTEDPATHS";
    change.added = kBundleContents;
    change.before = row.before;
    const JournalRun run = RunOf({change}, true);
    Replay(kUninstallPolicy, {{&run}});
    const bool has = MemReg().Value(kVariables, "TRUSTEDPATHS").has_value();
    EXPECT_EQ(has ? std::optional(*MemReg().StringValue(kVariables, "TRUSTEDPATHS")) : std::nullopt,
              row.after);
  }
}

// Any user may make a link in the product's folder (its users' parts at least): whatever a
// record says, nothing is deleted or removed through one, and the link itself is named.
TEST_F(UndoTest, NothingIsTakenAwayThroughALink) {
  const std::string offer = kDocuments + "\\offerta.txt";
  Disk().PutFile(offer, "Offerta n. 12");
  const struct {
    const char* what;
    std::string link;
    std::vector<Change> changes;
  } rows[] = {
      {"a link in a folder of the product",
       kDestination + "\\Parts\\jn",
       {Named(Change::Kind::kFolder, kDestination + "\\Parts\\jn"),
        FileChange(kDestination + "\\Parts\\jn\\offerta.txt", "Offerta n. 12")}},
      {"a link in place of a folder the product made",
       kDestination + "\\Parts\\Kx",
       {Named(Change::Kind::kFolder, kDestination + "\\Parts\\Kx"),
        FileChange(kDestination + "\\Parts\\Kx\\offerta.txt", "Offerta n. 12")}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    Disk().RemoveDir(row.link);
    Disk().MakeLink(row.link, kDocuments);
    const JournalRun run = RunOf(row.changes, false);
    Undo undo(kUninstallPolicy, roots_, told_, recorded_, frontEnd_);
    const LeftForTheEnd left = undo.Replay({{&run}});
    for (const FolderToRemove& folder : left.folders) undo.Folder(folder, true, "not empty");
    EXPECT_EQ(Disk().FileContent(offer), "Offerta n. 12");
    EXPECT_EQ(Disk().KindOf(row.link), toolkit::PathKind::kLink);
    EXPECT_NE(std::find(told_.refused.begin(), told_.refused.end(), row.link), told_.refused.end());
  }
}

TEST_F(UndoTest, ADevicesNameIsOutOfBounds) {
  for (const char* name : {"COM1", "nul.txt", "AUX", "con.lsp", "lpt2"}) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(InBounds(FileChange(kDestination + "\\" + name, "x"), RunKind::kInstall, roots_));
    EXPECT_FALSE(InBounds(Named(Change::Kind::kFolder, kDestination + "\\" + name),
                          RunKind::kInstall, roots_));
  }
  EXPECT_TRUE(InBounds(FileChange(kDestination + "\\comune.dat", "x"), RunKind::kInstall, roots_));
}

// An uninstallation killed after its swap but before it removed its safety copy: the next run
// removes the copy while the file is what the uninstallation made and the copy holds the text it
// swapped out, and only then.
TEST_F(UndoTest, ASafetyCopyAKillLeftGoesWithTheNextRunAndAUsersFileStays) {
  const std::string pgp = kSupport + "\\acad.pgp";
  const std::string safety = pgp + "~";
  const std::string swappedOut = "A, *ARC\r\nRUNTOLVEK, START c:/tolvek4/tolvek.exe, 1,,\r\n";
  const std::string restored = "A, *ARC\r\n";
  const auto sum = [](const std::string& text) {
    return toolkit::FileSum{text.size(), toolkit::Crc32(0, text.data(), text.size())};
  };
  Change patch = Named(Change::Kind::kPatch, pgp);
  patch.summed = true;
  patch.swap.target = pgp;
  patch.swap.temp = kSupport + "\\pgp.new";
  patch.swap.backup = safety;
  patch.swap.aside = safety + "~";
  patch.swap.original = sum(swappedOut);
  patch.swap.written = sum(restored);
  const JournalRun removal = RunOf({patch}, false, RunKind::kRemoval);
  const struct {
    const char* what;
    std::string file;
    std::string copy;
    bool copyStays;
  } rows[] = {
      {"the uninstaller's copy", restored, swappedOut, false},
      {"a file of the user's under the copy's name", restored, "the user's", true},
      {"the file changed since", restored + "B, *BOX\r\n", swappedOut, true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    Disk().PutFile(pgp, row.file);
    Disk().PutFile(safety, row.copy);
    Replay(kRepairPolicy, {{&removal}});
    EXPECT_EQ(Disk().FileExists(safety), row.copyStays);
    EXPECT_EQ(Disk().FileContent(pgp), row.file);
  }
}

}  // namespace
}  // namespace install
