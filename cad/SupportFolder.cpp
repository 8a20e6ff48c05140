#include "cad/SupportFolder.h"

#include "toolkit/Registry.h"

namespace cad {
namespace {
constexpr const char* kAutoCadKey = "\\Software\\Autodesk\\AutoCAD";

// Walks from the AutoCAD key to the current product's key, leaving that key current.
AcadProductKey OpenProductKey(toolkit::RegistryCursor& registry) {
  AcadProductKey key;
  // The outcome of each open is ignored on purpose: a key that can be neither opened nor created
  // leaves the previous one current, and the next value is read from there.
  registry.OpenKey(kAutoCadKey);
  key.release = registry.ReadString("CurVer");
  registry.OpenKey(std::string(kAutoCadKey) + "\\" + key.release);
  std::string product = registry.ReadString("CurVer");
  key.path = std::string(kAutoCadKey) + "\\" + key.release + "\\" + product;
  registry.OpenKey(key.path);
  return key;
}

}  // namespace

std::string GetAcadSupportDir() {
  toolkit::RegistryCursor registry;
  OpenProductKey(registry);
  // The roamable folder normally ends with a backslash, so none is added before "Support\".
  return registry.ReadString("RoamableRootFolder") + "Support\\";
}

std::optional<std::string> FindAcadSupportDir() {
  toolkit::RegistryCursor registry;
  if (!registry.OpenExistingKey(kAutoCadKey)) return std::nullopt;
  const std::string release = registry.ReadString("CurVer");
  if (release.empty()) return std::nullopt;
  const std::string releaseKey = std::string(kAutoCadKey) + "\\" + release;
  if (!registry.OpenExistingKey(releaseKey)) return std::nullopt;
  const std::string product = registry.ReadString("CurVer");
  if (product.empty() || !registry.OpenExistingKey(releaseKey + "\\" + product)) {
    return std::nullopt;
  }
  const std::string root = registry.ReadString("RoamableRootFolder");
  if (root.empty()) return std::nullopt;
  return root + "Support\\";
}

AcadProductKey GetAcadProductKey() {
  toolkit::RegistryCursor registry;
  return OpenProductKey(registry);
}

}  // namespace cad
