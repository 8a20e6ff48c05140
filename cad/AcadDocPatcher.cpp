#include "cad/AcadDocPatcher.h"

#include "cad/LineWriter.h"
#include "cad/LispCandidates.h"
#include "cad/Rewrite.h"
#include "toolkit/FileSystem.h"

namespace cad {
namespace {

constexpr std::string_view kAcadDocName = "acaddoc.lsp";
constexpr std::string_view kAcadDocBackupName = "acaddoc.bak";

// The block is written under a temporary name and then given the file's: AutoCAD, started
// meanwhile, finds either no acaddoc.lsp or the whole one. The rename fails rather than replace
// a file someone else made in the meantime.
// Returns the size of the file made.
std::uint64_t CreateWithBlock(const std::string& target, const std::string& temp) {
  toolkit::fs::File file;
  file.Open(temp, toolkit::OpenMode::kCreate);
  LineWriter writer(file);
  for (std::string_view line : kLoadEdit.block) writer.WriteLine(line);
  writer.Flush();
  const std::uint64_t size = file.Size();
  file.Flush();
  file.Close();
  toolkit::fs::Rename(temp, target);
  return size;
}

}  // namespace

AcadDocResult AddLoadBlockToAcadDoc(const std::string& supportFolder) {
  if (!toolkit::Fs().DirExists(toolkit::fs::StripTrailingBackslash(supportFolder))) {
    return AcadDocResult::kNotOpened;
  }
  const std::string target = supportFolder + std::string(kAcadDocName);
  // The folder ends with a backslash, so the start-up file patcher's "\lisp.new" loses its own.
  const std::string temp = supportFolder + std::string(kLispTempName.substr(1));
  if (!toolkit::Fs().FileExists(target)) {
    const std::uint64_t size = CreateWithBlock(target, temp);
    if (RewriteJournal* journal = CurrentRewriteJournal()) journal->FileCreated(target, size);
    return AcadDocResult::kCreated;
  }
  const bool patched = RewriteWithBackup(
      target, temp, supportFolder + std::string(kAcadDocBackupName), kLoadEdit.marker,
      [](std::string_view line, LineWriter& copy) { copy.WriteLine(line); },
      {kLoadEdit.block[0], kLoadEdit.block[1], kLoadEdit.block[2]});
  return patched ? AcadDocResult::kPatched : AcadDocResult::kNotOpened;
}

}  // namespace cad
