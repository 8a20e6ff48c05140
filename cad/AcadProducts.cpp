#include "cad/AcadProducts.h"

#include <algorithm>

#include "toolkit/FileSystem.h"
#include "toolkit/Registry.h"

namespace cad {
namespace {

namespace fs = toolkit::fs;

// The hives that hold AutoCAD's products, the user's first: 64-bit AutoCAD registers in the
// machine's 64-bit view, a 32-bit one on 64-bit Windows in the copy of 32-bit programs.
constexpr const char* kMachineAutoCadKeys[] = {
    "HKLM\\Software\\Autodesk\\AutoCAD",
    "HKLM\\Software\\WOW6432Node\\Autodesk\\AutoCAD",
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

AcadProduct& Entry(std::vector<AcadProduct>& products, const std::string& release,
                   const std::string& product) {
  for (AcadProduct& known : products) {
    if (fs::FoldCase(known.release) == fs::FoldCase(release) &&
        fs::FoldCase(known.product) == fs::FoldCase(product)) {
      return known;
    }
  }
  AcadProduct& added = products.emplace_back();
  added.release = release;
  added.product = product;
  added.row = FindAcadRelease(release);
  added.userKey = std::string(kAutoCadKey) + "\\" + release + "\\" + product;
  return added;
}

// Every release key ("R..") with every product key ("ACAD-..") under `root`.
template <typename Visit>
void ForEachProduct(const std::string& root, Visit visit) {
  for (const std::string& release : SubKeys(root)) {
    if (!ParseReleaseKey(release)) continue;
    for (const std::string& product : SubKeys(root + "\\" + release)) {
      if (StartsWithFolded(product, "ACAD-")) visit(release, product);
    }
  }
}

}  // namespace

std::vector<AcadProduct> FindAcadProducts() {
  std::vector<AcadProduct> products;
  toolkit::RegistryCursor cursor;
  std::string currentRelease;
  std::string currentProduct;
  if (cursor.OpenExistingKey(kAutoCadKey)) {
    currentRelease = Text(cursor, "CurVer");
    if (!currentRelease.empty() &&
        cursor.OpenExistingKey(std::string(kAutoCadKey) + "\\" + currentRelease)) {
      currentProduct = Text(cursor, "CurVer");
    }
  }
  ForEachProduct(kAutoCadKey, [&](const std::string& release, const std::string& product) {
    AcadProduct& entry = Entry(products, release, product);
    toolkit::RegistryCursor key;
    if (!key.OpenExistingKey(entry.userKey)) return;
    const std::string root = Text(key, "RoamableRootFolder");
    if (!root.empty()) entry.supportFolder = root + "Support\\";
    entry.location = Text(key, "AcadLocation");
    entry.profiles = SubKeys(entry.userKey + "\\Profiles");
  });
  for (const char* machine : kMachineAutoCadKeys) {
    ForEachProduct(machine, [&](const std::string& release, const std::string& product) {
      AcadProduct& entry = Entry(products, release, product);
      toolkit::RegistryCursor key;
      if (!entry.location.empty() ||
          !key.OpenExistingKey(std::string(machine) + "\\" + release + "\\" + product)) {
        return;
      }
      entry.location = Text(key, "AcadLocation");
    });
  }
  for (AcadProduct& product : products) {
    product.current = fs::FoldCase(product.release) == fs::FoldCase(currentRelease) &&
                      fs::FoldCase(product.product) == fs::FoldCase(currentProduct);
  }
  std::stable_sort(products.begin(), products.end(),
                   [](const AcadProduct& a, const AcadProduct& b) {
                     const auto ra = ParseReleaseKey(a.release);
                     const auto rb = ParseReleaseKey(b.release);
                     if (ra != rb) return ra > rb;
                     return a.current && !b.current;
                   });
  return products;
}

const AcadProduct* ProductInstalledIn(const std::vector<AcadProduct>& products,
                                      const std::string& folder) {
  const std::string wanted = fs::FoldCase(fs::StripTrailingBackslash(folder));
  for (const AcadProduct& product : products) {
    if (!product.location.empty() &&
        fs::FoldCase(fs::StripTrailingBackslash(product.location)) == wanted) {
      return &product;
    }
  }
  return nullptr;
}

}  // namespace cad
