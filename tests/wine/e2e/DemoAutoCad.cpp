#include "tests/wine/e2e/DemoAutoCad.h"

#include <shlobj.h>
#include <windows.h>

#include <stdexcept>

#include "tests/wine/support/Driver.h"
#include "toolkit/win32/Handles.h"

namespace e2e {
namespace {

using toolkit::win32::UniqueKey;

const std::string kAutodeskKey = "Software\\Autodesk";
const std::string kAutoCadKey = kAutodeskKey + "\\AutoCAD";

UniqueKey OpenKey(const std::string& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) {
    return UniqueKey();
  }
  return UniqueKey(key);
}

bool WriteStringValue(const std::string& path, const std::string& name, const std::string& text) {
  HKEY raw = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &raw,
                      nullptr) != ERROR_SUCCESS) {
    return false;
  }
  UniqueKey key(raw);
  return RegSetValueExA(key.Get(), name.c_str(), 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(text.c_str()),
                        DWORD(text.size() + 1)) == ERROR_SUCCESS;
}

void DeleteValue(const std::string& path, const std::string& name) {
  if (UniqueKey key = OpenKey(path)) RegDeleteValueA(key.Get(), name.c_str());
}

// RegDeleteKey takes only a key without sub-keys.
void DeleteKeyTree(const std::string& path) {
  if (UniqueKey key = OpenKey(path)) {
    char name[256];
    DWORD length = sizeof name;
    while (RegEnumKeyExA(key.Get(), 0, name, &length, nullptr, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS) {
      DeleteKeyTree(path + "\\" + name);
      length = sizeof name;
    }
  }
  RegDeleteKeyA(HKEY_CURRENT_USER, path.c_str());
}

void CopyDemoFile(const std::string& name, const std::string& to) {
  winetest::WriteFile(to, DemoFile(name));
  if (winetest::ReadFile(to) != DemoFile(name)) throw std::runtime_error("cannot write " + to);
}

// The support folder without "Support", with a final backslash, as AutoCAD records it.
std::string RoamableRoot(const Scene& scene) {
  return scene.support.substr(0, scene.support.rfind('\\') + 1);
}

}  // namespace

std::string DemoFile(const std::string& name) {
  std::optional<std::string> content =
      winetest::ReadFile(std::string(DEMO_AUTOCAD_DIR) + "\\" + name);
  if (!content) throw std::runtime_error("the demo AutoCAD file " + name + " is missing");
  return *content;
}

Scene AutoCad2008() {
  Scene scene;
  scene.startupFiles = StartupFiles::kNone;
  scene.release = "R17.1";
  scene.product = "ACAD-6001:409";
  scene.support = kProfileRoot + "\\AutoCAD 2008\\R17.1\\enu\\Support";
  scene.profiles = {{"<<Unnamed Profile>>", std::nullopt}};
  return scene;
}

Scene AutoCad2026() {
  Scene scene;
  scene.startupFiles = StartupFiles::kNone;
  scene.release = "R25.1";
  scene.product = "ACAD-9101:409";
  scene.support = kProfileRoot + "\\AutoCAD 2026\\R25.1\\enu\\Support";
  scene.profiles = {{"<<Unnamed Profile>>", "C:\\Lisp\\Mine;D:\\Shared\\..."}, {"Disegno", ""}};
  return scene;
}

std::string ProductKey(const Scene& scene) {
  return kAutoCadKey + "\\" + scene.release + "\\" + scene.product;
}

std::string VariablesKey(const Scene& scene, const std::string& profile) {
  return ProductKey(scene) + "\\Profiles\\" + profile + "\\Variables";
}

std::string AppData() {
  char path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path))) {
    throw std::runtime_error("no application-data folder");
  }
  return path;
}

std::string BundleFolder() { return AppData() + "\\Autodesk\\ApplicationPlugins\\Tolvek.bundle"; }

std::optional<std::string> StringValue(const std::string& path, const std::string& name) {
  UniqueKey key = OpenKey(path);
  if (!key) return std::nullopt;
  char buffer[4096] = {};
  DWORD size = sizeof buffer - 1;
  DWORD type = 0;
  if (RegQueryValueExA(key.Get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer),
                       &size) != ERROR_SUCCESS ||
      type != REG_SZ) {
    return std::nullopt;
  }
  return std::string(buffer);
}

DemoAutoCad::DemoAutoCad(StartupFiles startupFiles)
    : DemoAutoCad([&] {
        Scene scene;
        scene.startupFiles = startupFiles;
        return scene;
      }()) {}

DemoAutoCad::DemoAutoCad(const Scene& scene) {
  winetest::RemoveTree(kCadFolder);
  winetest::RemoveTree(kProfileRoot);
  winetest::RemoveTree(BundleFolder());
  const std::string autodesk = AppData() + "\\Autodesk";
  if (GetFileAttributesA(autodesk.c_str()) == INVALID_FILE_ATTRIBUTES) madeFolders_ = autodesk;
  winetest::MakeTree(kCadFolder + "\\support");
  winetest::MakeTree(scene.support);
  if (scene.startupFiles == StartupFiles::kPresent) {
    CopyDemoFile("acad2005.lsp", kCadFolder + "\\acad2005.lsp");
    CopyDemoFile("acad2005doc.lsp", kCadFolder + "\\support\\acad2005doc.lsp");
  }
  CopyDemoFile("acad.mns", scene.support + "\\acad.mns");
  CopyDemoFile("acad.pgp", scene.support + "\\acad.pgp");
  if (scene.acadDoc) winetest::WriteFile(scene.support + "\\acaddoc.lsp", *scene.acadDoc);
  if (!scene.registered) return;

  const std::string releaseKey = kAutoCadKey + "\\" + scene.release;
  MakeKey(ProductKey(scene));
  SetValue(kAutoCadKey, "CurVer", scene.release);
  SetValue(releaseKey, "CurVer", scene.product);
  SetValue(ProductKey(scene), "RoamableRootFolder", RoamableRoot(scene));
  for (const Profile& profile : scene.profiles) {
    MakeKey(VariablesKey(scene, profile.name));
    SetValue(VariablesKey(scene, profile.name), "TRUSTEDPATHS", profile.trustedPaths);
  }
}

void DemoAutoCad::MakeKey(const std::string& key) {
  std::size_t end = kAutodeskKey.size();
  for (;;) {
    const std::string part = key.substr(0, end);
    if (!OpenKey(part)) {
      HKEY raw = nullptr;
      if (RegCreateKeyExA(HKEY_CURRENT_USER, part.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                          &raw, nullptr) != ERROR_SUCCESS) {
        throw std::runtime_error("cannot create HKCU\\" + part);
      }
      UniqueKey made(raw);
      createdKeys_.push_back(part);
    }
    if (end == std::string::npos) return;
    end = key.find('\\', end + 1);
  }
}

void DemoAutoCad::SetValue(const std::string& key, const std::string& name,
                           const std::optional<std::string>& text) {
  values_.push_back({key, name, StringValue(key, name)});
  if (!text) {
    DeleteValue(key, name);
  } else if (!WriteStringValue(key, name, *text)) {
    throw std::runtime_error("cannot set HKCU\\" + key + " " + name);
  }
}

DemoAutoCad::~DemoAutoCad() {
  for (auto value = values_.rbegin(); value != values_.rend(); ++value) {
    if (value->before) {
      WriteStringValue(value->key, value->name, *value->before);
    } else {
      DeleteValue(value->key, value->name);
    }
  }
  for (auto key = createdKeys_.rbegin(); key != createdKeys_.rend(); ++key) DeleteKeyTree(*key);
  winetest::RemoveTree(kCadFolder);
  winetest::RemoveTree(kProfileRoot);
  winetest::RemoveTree(BundleFolder());
  if (madeFolders_) winetest::RemoveTree(*madeFolders_);
}

}  // namespace e2e
