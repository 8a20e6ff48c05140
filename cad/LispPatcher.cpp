#include "cad/LispPatcher.h"

#include <algorithm>
#include <vector>

#include "cad/LispCandidates.h"
#include "cad/Marker.h"
#include "cad/Rewrite.h"

namespace cad {
namespace {

bool ApplyEdit(const LispEdit& edit, const std::string& folder, const std::string& base,
               const std::string& extension, toolkit::ChangeRecorder& recorder) {
  std::vector<Marker> insertionPoints(edit.insertionPoints.begin(), edit.insertionPoints.end());
  auto copyRule = [&](std::string_view line, LineWriter& copy) {
    copy.WriteLine(line);
    // One block per line, even when a line holds two of the insertion texts.
    bool insertHere = std::any_of(insertionPoints.begin(), insertionPoints.end(),
                                  [&](const Marker& point) { return point.FoundIn(line); });
    if (!insertHere) return;
    for (std::string_view added : edit.block) copy.WriteLine(added);
  };
  return RewriteWithBackup(folder + base + extension, folder + std::string(kLispTempName),
                           folder + base + std::string(kLispBackupExtension), edit.marker, copyRule,
                           {}, recorder);
}

// The same test a rewrite makes before it reads: a file it could not open is not there for it.
bool CanOpenForRewrite(const std::string& path) {
  toolkit::fs::File file;
  return file.TryOpen(path, toolkit::OpenMode::kReadWrite).Done();
}

}  // namespace

bool AddAutoloadLine(const std::string& folder, const std::string& base,
                     const std::string& extension, toolkit::ChangeRecorder& recorder) {
  return ApplyEdit(kAutoloadEdit, folder, base, extension, recorder);
}

bool AddLoadLine(const std::string& folder, const std::string& base, const std::string& extension,
                 toolkit::ChangeRecorder& recorder) {
  return ApplyEdit(kLoadEdit, folder, base, extension, recorder);
}

bool AnyLispCandidatePresent(const std::string& acadFolder) {
  return std::any_of(kLispCandidates.begin(), kLispCandidates.end(),
                     [&](const LispCandidate& candidate) {
                       return CanOpenForRewrite(acadFolder + std::string(candidate.tested));
                     });
}

bool AnyLispCandidateLacksLine(const std::string& acadFolder) {
  return std::any_of(
      kLispCandidates.begin(), kLispCandidates.end(), [&](const LispCandidate& candidate) {
        const LispEdit& edit = candidate.step == LispStep::kAutoload ? kAutoloadEdit : kLoadEdit;
        return CanOpenForRewrite(acadFolder + std::string(candidate.tested)) &&
               RewriteWouldAdd(acadFolder + std::string(candidate.subFolder) +
                                   std::string(candidate.base) + std::string(kLispExtension),
                               edit.marker, edit.insertionPoints, false);
      });
}

bool PatchAcadLisp(const std::string& acadFolder, toolkit::ChangeRecorder& recorder) {
  // All presence tests come first: a patch must not make a later row look present or absent.
  std::array<bool, kLispCandidates.size()> present{};
  for (std::size_t row = 0; row < kLispCandidates.size(); ++row) {
    present[row] = CanOpenForRewrite(acadFolder + std::string(kLispCandidates[row].tested));
  }
  bool result = false;
  for (std::size_t row = 0; row < kLispCandidates.size(); ++row) {
    if (!present[row]) continue;
    const LispCandidate& candidate = kLispCandidates[row];
    const std::string folder = acadFolder + std::string(candidate.subFolder);
    const std::string base(candidate.base);
    const std::string extension(kLispExtension);
    result = candidate.step == LispStep::kAutoload
                 ? AddAutoloadLine(folder, base, extension, recorder)
                 : AddLoadLine(folder, base, extension, recorder);
  }
  return result;
}

}  // namespace cad
