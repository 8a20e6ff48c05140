#include "install/EarlierRecord.h"

#include "config/FrontEnd.h"
#include "config/Vars.h"
#include "install/Journal.h"
#include "install/PathOps.h"
#include "install/RecordFolder.h"
#include "install/Registration.h"
#include "install/Rollback.h"
#include "toolkit/Crc32.h"
#include "toolkit/Errors.h"
#include "toolkit/FileSystem.h"

namespace install {
namespace {

namespace fs = toolkit::fs;

// The file's bytes, through `where`.
std::string ReadAll(const fs::RootedPaths& where, const std::string& path) {
  fs::File file;
  where.Open(file, path, toolkit::OpenMode::kRead).OrRaise();
  std::string text(std::size_t(file.Size()), '\0');
  std::size_t read = 0;
  while (read < text.size()) {
    const std::size_t got = file.Read(text.data() + read, text.size() - read);
    if (got == 0) break;
    read += got;
  }
  text.resize(read);
  return text;
}

// Writes `text` to `path` whole or not at all: under a free name first, then renamed.
void WriteWhole(const std::string& path, const std::string& text) {
  const std::string temp = fs::FreeName(path + ".new");
  {
    fs::File file;
    file.Open(temp, toolkit::OpenMode::kCreateNew);
    file.Write(text);
    file.Flush();
    file.Close();
  }
  // A move that a kill cut short left its copy here before: it is this same record.
  if (toolkit::Fs().KindOf(path) == toolkit::PathKind::kFile) fs::Erase(path);
  fs::Rename(temp, path);
}

// The earlier uninstaller goes while it is what its record says it is.
void RemoveEarlierUninstaller(const fs::RootedPaths& where, const std::string& uninstaller,
                              const JournalContents& contents) {
  for (const JournalRun& run : contents.runs) {
    for (const Change& change : run.changes) {
      if (change.kind != Change::Kind::kFile || !change.crc ||
          fs::FoldCase(change.path) != fs::FoldCase(uninstaller)) {
        continue;
      }
      fs::File file;
      toolkit::FileSum found;
      if (where.Open(file, uninstaller, toolkit::OpenMode::kRead).Failed() ||
          !toolkit::SumOpenFile(file, found.size, found.crc) ||
          found != toolkit::FileSum{change.size, *change.crc}) {
        return;
      }
      file.Close();
      // Left, it is a product file like another for the uninstaller to judge.
      fs::IgnoreFailure(where.Erase(uninstaller));
      return;
    }
  }
}

}  // namespace

void MoveEarlierRecord(config::FrontEnd& frontEnd, const std::string& destination,
                       const std::string& recordFolder, bool forAllUsers,
                       const TrustedRoots& roots) {
  const std::optional<std::string> earlier = EarlierRecordIn(destination, forAllUsers);
  if (!earlier) return;
  const JournalFile journal = ReadJournal(*earlier);
  // One that cannot be read was refused before anything changed (install/Preflight.h).
  if (journal.state != JournalState::kRead) return;
  RepairInterruptedRuns(frontEnd, journal, roots, RecordTrust::kMoved);

  const fs::RootedPaths where(destination);
  const std::string text = ReadAll(where, *earlier);
  if (!toolkit::Fs().DirExists(recordFolder)) fs::MkDir(recordFolder);
  const std::string moved = JoinPath(recordFolder, kMovedJournalName);
  WriteWhole(moved, text);
  PlaceUninstaller(toolkit::NoRecording(), recordFolder);
  PointEntryAt(recordFolder, forAllUsers);
  where.Erase(*earlier).OrRaise();
  RemoveEarlierUninstaller(where, JoinPath(destination, kUninstallerName), journal.contents);
  frontEnd.Note(config::FormatMessage(config::Vars.LogRecordMoved, {*earlier}) + " " + moved);
}

}  // namespace install
