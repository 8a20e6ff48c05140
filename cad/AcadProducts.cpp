#include "cad/AcadProducts.h"

#include <algorithm>

#include "toolkit/FileSystem.h"
#include "toolkit/Registry.h"
#include "toolkit/ShortSort.h"

namespace cad {
namespace {

namespace fs = toolkit::fs;

// The two families, each with its key in the user's hive, its keys in the machine's (64-bit
// AutoCAD registers in the 64-bit view, a 32-bit one on 64-bit Windows in the copy of 32-bit
// programs), the start of its product keys and its table of releases.
struct Family {
  bool lt;
  const char* userKey;
  const char* machineKeys[2];
  std::string_view productPrefix;
  const AcadRelease* (*findRelease)(std::string_view);
};

const Family kFamilies[] = {
    {false,
     kAutoCadKey,
     {"HKLM\\Software\\Autodesk\\AutoCAD", "HKLM\\Software\\WOW6432Node\\Autodesk\\AutoCAD"},
     "ACAD-",
     FindAcadRelease},
    {true,
     kAutoCadLtKey,
     {"HKLM\\Software\\Autodesk\\AutoCAD LT", "HKLM\\Software\\WOW6432Node\\Autodesk\\AutoCAD LT"},
     "ACADLT-",
     FindAcadLtRelease},
};

// A string value of the key, empty when it is missing or not text.
std::string Text(toolkit::RegistryCursor& key, const std::string& name) {
  try {
    return key.ReadString(name);
  } catch (const toolkit::ERegistryException&) {
    return {};
  }
}

bool StartsWithFolded(const std::string& text, std::string_view prefix) {
  return text.size() >= prefix.size() &&
         fs::FoldCase(text.substr(0, prefix.size())) == fs::FoldCase(std::string(prefix));
}

std::vector<std::string> SubKeys(const std::string& path) {
  toolkit::RegistryCursor key;
  if (!key.OpenExistingKey(path)) return {};
  return key.SubKeyNames();
}

AcadProduct& Entry(std::vector<AcadProduct>& products, const Family& family,
                   const std::string& release, const std::string& product) {
  for (AcadProduct& known : products) {
    if (known.lt == family.lt && fs::FoldCase(known.release) == fs::FoldCase(release) &&
        fs::FoldCase(known.product) == fs::FoldCase(product)) {
      return known;
    }
  }
  AcadProduct& added = products.emplace_back();
  added.lt = family.lt;
  added.release = release;
  added.product = product;
  added.row = family.findRelease(release);
  added.userKey = std::string(family.userKey) + "\\" + release + "\\" + product;
  return added;
}

// Every release key ("R..") with every product key of the family under `root`.
template <typename Visit>
void ForEachProduct(const Family& family, const std::string& root, Visit visit) {
  for (const std::string& release : SubKeys(root)) {
    if (!ParseReleaseKey(release)) continue;
    for (const std::string& product : SubKeys(root + "\\" + release)) {
      if (StartsWithFolded(product, family.productPrefix)) visit(release, product);
    }
  }
}

// The family's products of the user's hive and the machine's, with the user's last used.
void FindFamily(const Family& family, std::vector<AcadProduct>& products) {
  const std::size_t first = products.size();
  toolkit::RegistryCursor cursor;
  std::string currentRelease;
  std::string currentProduct;
  if (cursor.OpenExistingKey(family.userKey)) {
    currentRelease = Text(cursor, "CurVer");
    if (!currentRelease.empty() &&
        cursor.OpenExistingKey(std::string(family.userKey) + "\\" + currentRelease)) {
      currentProduct = Text(cursor, "CurVer");
    }
  }
  ForEachProduct(family, family.userKey,
                 [&](const std::string& release, const std::string& product) {
                   AcadProduct& entry = Entry(products, family, release, product);
                   toolkit::RegistryCursor key;
                   if (!key.OpenExistingKey(entry.userKey)) return;
                   const std::string root = Text(key, "RoamableRootFolder");
                   if (!root.empty()) entry.supportFolder = root + "Support\\";
                   entry.location = Text(key, "AcadLocation");
                   entry.profiles = SubKeys(entry.userKey + "\\Profiles");
                 });
  for (const char* machine : family.machineKeys) {
    ForEachProduct(family, machine, [&](const std::string& release, const std::string& product) {
      AcadProduct& entry = Entry(products, family, release, product);
      toolkit::RegistryCursor key;
      if (!entry.location.empty() ||
          !key.OpenExistingKey(std::string(machine) + "\\" + release + "\\" + product)) {
        return;
      }
      entry.location = Text(key, "AcadLocation");
    });
  }
  for (std::size_t at = first; at < products.size(); ++at) {
    AcadProduct& product = products[at];
    product.current = fs::FoldCase(product.release) == fs::FoldCase(currentRelease) &&
                      fs::FoldCase(product.product) == fs::FoldCase(currentProduct);
    toolkit::RegistryCursor release;
    product.releaseCurrent =
        release.OpenExistingKey(std::string(family.userKey) + "\\" + product.release) &&
        fs::FoldCase(Text(release, "CurVer")) == fs::FoldCase(product.product);
  }
}

}  // namespace

std::vector<AcadProduct> FindAcadProducts() {
  std::vector<AcadProduct> products;
  for (const Family& family : kFamilies) FindFamily(family, products);
  toolkit::ShortStableSort(products.begin(), products.end(),
                           [](const AcadProduct& a, const AcadProduct& b) {
                             if (a.lt != b.lt) return b.lt;
                             const auto ra = ParseReleaseKey(a.release);
                             const auto rb = ParseReleaseKey(b.release);
                             if (ra != rb) return ra > rb;
                             if (a.current != b.current) return a.current;
                             return a.releaseCurrent && !b.releaseCurrent;
                           });
  return products;
}

const AcadProduct* ProductInstalledIn(const std::vector<AcadProduct>& products,
                                      const std::string& folder) {
  const std::string wanted = fs::FoldCase(fs::StripTrailingBackslash(folder));
  const AcadProduct* found = nullptr;
  for (const AcadProduct& product : products) {
    if (product.location.empty() ||
        fs::FoldCase(fs::StripTrailingBackslash(product.location)) != wanted) {
      continue;
    }
    if (product.releaseCurrent) return &product;
    if (found == nullptr) found = &product;
  }
  return found;
}

}  // namespace cad
