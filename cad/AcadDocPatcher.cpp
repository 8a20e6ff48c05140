#include "cad/AcadDocPatcher.h"

#include "cad/AcadFiles.h"
#include "cad/LineWriter.h"
#include "cad/LispCandidates.h"
#include "cad/Rewrite.h"
#include "toolkit/Crc32.h"
#include "toolkit/FileSystem.h"

namespace cad {
namespace {

// The block is written under a temporary name and then given the file's: AutoCAD, started
// meanwhile, finds either no acaddoc.lsp or the whole one. The rename fails rather than replace
// a file someone else made in the meantime.
// The recorder learns of the file before it is made, and of its CRC once it is complete.
void CreateWithBlock(const std::string& target, const std::string& temp,
                     toolkit::ChangeRecorder& recorder) {
  std::string text;
  for (std::string_view line : kLoadEdit.block) (text += line) += "\r\n";
  toolkit::fs::File file;
  file.Open(temp, toolkit::OpenMode::kCreate);
  file.Write(text);
  file.Flush();
  file.Close();
  recorder.FileCreated(target, text.size());
  toolkit::fs::Rename(temp, target);
  recorder.FileChecksum(target, toolkit::Crc32(0, text.data(), text.size()));
}

}  // namespace

AcadDocResult AddLoadBlockToAcadDoc(const std::string& supportFolder,
                                    toolkit::ChangeRecorder& recorder) {
  if (!toolkit::Fs().DirExists(toolkit::fs::StripTrailingBackslash(supportFolder))) {
    return AcadDocResult::kNotOpened;
  }
  const std::string target = supportFolder + std::string(kAcadDocName);
  // The folder ends with a backslash, so the start-up file patcher's "\lisp.new" loses its own.
  const std::string temp = supportFolder + std::string(kLispTempName.substr(1));
  if (!toolkit::Fs().FileExists(target)) {
    CreateWithBlock(target, temp, recorder);
    return AcadDocResult::kCreated;
  }
  const bool patched = RewriteWithBackup(
      target, temp, supportFolder + std::string(kAcadDocBackupName), kLoadEdit.marker,
      [](std::string_view line, LineWriter& copy) { copy.WriteLine(line); },
      {kLoadEdit.block[0], kLoadEdit.block[1], kLoadEdit.block[2]}, recorder);
  return patched ? AcadDocResult::kPatched : AcadDocResult::kNotOpened;
}

bool AcadDocLacksLoad(const std::string& supportFolder) {
  if (!toolkit::Fs().DirExists(toolkit::fs::StripTrailingBackslash(supportFolder))) return false;
  const std::string target = supportFolder + std::string(kAcadDocName);
  if (!toolkit::Fs().FileExists(target)) return true;
  return RewriteWouldAdd(target, kLoadEdit.marker, {}, true);
}

}  // namespace cad
