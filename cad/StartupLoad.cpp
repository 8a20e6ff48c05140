#include "cad/StartupLoad.h"

#include "cad/AcadDocPatcher.h"
#include "cad/AcadReleases.h"
#include "cad/LispPatcher.h"
#include "cad/SupportFolder.h"
#include "toolkit/FileSystem.h"

namespace cad {

bool WireProductLisp(const std::string& acadFolder, bool release14, const PlaceProductFiles& place,
                     toolkit::ChangeRecorder& recorder) {
  // An installation that finds a start-up file it knows does exactly what it always did.
  if (release14 || AnyLispCandidatePresent(acadFolder)) return PatchAcadLisp(acadFolder, recorder);
  const AcadProductKey product = GetAcadProductKey();
  const AcadRelease* release = FindAcadRelease(product.release);
  if (release == nullptr) return false;
  if (release->load == AcadLoad::kAcadDoc) {
    return AddLoadBlockToAcadDoc(GetAcadSupportDir(), recorder) != AcadDocResult::kNotOpened;
  }
  const std::optional<std::string> contents =
      LayBundle(toolkit::Fs().AppDataDir(), place, recorder);
  if (!contents) return false;
  if (release->load == AcadLoad::kTrustedBundle)
    TrustInEveryProfile(product.path, *contents, recorder);
  return true;
}

}  // namespace cad
