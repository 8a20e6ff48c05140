#include "cad/AcadDocPatcher.h"

#include "cad/LineWriter.h"
#include "cad/LispCandidates.h"
#include "cad/Rewrite.h"
#include "toolkit/Crc32.h"
#include "toolkit/FileSystem.h"

namespace cad {
namespace {

constexpr std::string_view kAcadDocName = "acaddoc.lsp";
constexpr std::string_view kAcadDocBackupName = "acaddoc.bak";

// The block is written under a temporary name and then given the file's: AutoCAD, started
// meanwhile, finds either no acaddoc.lsp or the whole one. The rename fails rather than replace
// a file someone else made in the meantime.
// Tells the journal of the file made, with its size and CRC.
void CreateWithBlock(const std::string& target, const std::string& temp) {
  std::string text;
  for (std::string_view line : kLoadEdit.block) (text += line) += "\r\n";
  toolkit::fs::File file;
  file.Open(temp, toolkit::OpenMode::kCreate);
  file.Write(text);
  file.Flush();
  file.Close();
  toolkit::fs::Rename(temp, target);
  if (RewriteJournal* journal = CurrentRewriteJournal()) {
    journal->FileCreated(target, text.size());
    journal->FileChecksum(target, toolkit::Crc32(0, text.data(), text.size()));
  }
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
    CreateWithBlock(target, temp);
    return AcadDocResult::kCreated;
  }
  const bool patched = RewriteWithBackup(
      target, temp, supportFolder + std::string(kAcadDocBackupName), kLoadEdit.marker,
      [](std::string_view line, LineWriter& copy) { copy.WriteLine(line); },
      {kLoadEdit.block[0], kLoadEdit.block[1], kLoadEdit.block[2]});
  return patched ? AcadDocResult::kPatched : AcadDocResult::kNotOpened;
}

}  // namespace cad
