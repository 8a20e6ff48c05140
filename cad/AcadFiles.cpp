#include "cad/AcadFiles.h"

#include <algorithm>
#include <utility>

#include "cad/LispCandidates.h"
#include "cad/MenuLines.h"
#include "cad/PgpPatcher.h"
#include "toolkit/FileSystem.h"

namespace cad {
namespace {

std::string_view WithoutSlash(std::string_view name) {
  return !name.empty() && name.front() == '\\' ? name.substr(1) : name;
}

}  // namespace

bool AnyProductFileMissing(const std::string& folder) {
  return std::any_of(kProductFiles.begin(), kProductFiles.end(), [&](std::string_view name) {
    return toolkit::Fs().KindOf(toolkit::fs::JoinPath(folder, std::string(name))) ==
           toolkit::PathKind::kNone;
  });
}

std::optional<RewrittenFile> FindRewrittenFile(std::string_view name) {
  const std::string folded = toolkit::fs::FoldCase(std::string(name));
  for (const LispCandidate& candidate : kLispCandidates) {
    // The backup is named after the file: acad2005doc.lsp keeps acad2005doc.bak.
    const std::string base(WithoutSlash(candidate.base));
    if (toolkit::fs::FoldCase(base + std::string(kLispExtension)) == folded) {
      return RewrittenFile{std::string(WithoutSlash(kLispTempName)),
                           base + std::string(kLispBackupExtension)};
    }
  }
  const std::pair<std::string_view, RewrittenFile> fixed[] = {
      {kAcadDocName, {std::string(WithoutSlash(kLispTempName)), std::string(kAcadDocBackupName)}},
      {"acad.mns",
       {std::string(WithoutSlash(kMenuTempName)), std::string(WithoutSlash(kMenuBackupName))}},
      {WithoutSlash(kAcltMenuName),
       {std::string(WithoutSlash(kMenuTempName)), std::string(WithoutSlash(kMenuBackupName))}},
      {"acad.pgp", {std::string(kPgpTempName), std::string(kPgpBackupName)}},
  };
  for (const auto& [file, rewrite] : fixed) {
    if (toolkit::fs::FoldCase(std::string(file)) == folded) return rewrite;
  }
  return std::nullopt;
}

bool IsAcadDocName(const std::string& path) {
  const std::size_t slash = path.find_last_of('\\');
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  return toolkit::fs::FoldCase(name) == kAcadDocName;
}

bool IsProductLine(std::string_view line) {
  const auto in = [&](const auto& block) {
    return std::find(block.begin(), block.end(), line) != block.end();
  };
  return in(kAutoloadEdit.block) || in(kLoadEdit.block) || in(kToolbarBlock) ||
         in(kHelpStringBlock) || line == kRunLine;
}

}  // namespace cad
