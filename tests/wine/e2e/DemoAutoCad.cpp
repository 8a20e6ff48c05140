#include "tests/wine/e2e/DemoAutoCad.h"

#include <windows.h>

#include <stdexcept>

#include "tests/wine/support/Driver.h"
#include "toolkit/win32/Handles.h"

namespace e2e {
namespace {

using toolkit::win32::UniqueKey;

const std::string kAutoCadKey = "Software\\Autodesk\\AutoCAD";
const std::string kReleaseKey = kAutoCadKey + "\\R16.2";
const std::string kProductKey = kReleaseKey + "\\ACAD-4001:410";

UniqueKey OpenKey(const std::string& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) {
    return UniqueKey();
  }
  return UniqueKey(key);
}

std::optional<std::string> StringValue(const std::string& path, const std::string& name) {
  UniqueKey key = OpenKey(path);
  if (!key) return std::nullopt;
  char buffer[1024] = {};
  DWORD size = sizeof buffer - 1;
  DWORD type = 0;
  if (RegQueryValueExA(key.Get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer),
                       &size) != ERROR_SUCCESS ||
      type != REG_SZ) {
    return std::nullopt;
  }
  return std::string(buffer);
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

void SetStringValue(const std::string& path, const std::string& name, const std::string& text) {
  if (!WriteStringValue(path, name, text)) {
    throw std::runtime_error("cannot set HKCU\\" + path + " " + name);
  }
}

void CopyDemoFile(const std::string& name, const std::string& to) {
  winetest::WriteFile(to, DemoFile(name));
  if (winetest::ReadFile(to) != DemoFile(name)) throw std::runtime_error("cannot write " + to);
}

}  // namespace

std::string DemoFile(const std::string& name) {
  std::optional<std::string> content =
      winetest::ReadFile(std::string(DEMO_AUTOCAD_DIR) + "\\" + name);
  if (!content) throw std::runtime_error("the demo AutoCAD file " + name + " is missing");
  return *content;
}

DemoAutoCad::DemoAutoCad(StartupFiles startupFiles) {
  winetest::RemoveTree(kCadFolder);
  winetest::RemoveTree(kProfileRoot);
  winetest::MakeTree(kCadFolder + "\\support");
  winetest::MakeTree(kProfileSupport);
  if (startupFiles == StartupFiles::kPresent) {
    CopyDemoFile("acad2005.lsp", kCadFolder + "\\acad2005.lsp");
    CopyDemoFile("acad2005doc.lsp", kCadFolder + "\\support\\acad2005doc.lsp");
  }
  CopyDemoFile("acad.mns", kProfileSupport + "\\acad.mns");
  CopyDemoFile("acad.pgp", kProfileSupport + "\\acad.pgp");

  for (const std::string& key :
       {std::string("Software\\Autodesk"), kAutoCadKey, kReleaseKey, kProductKey}) {
    if (!OpenKey(key)) createdKeys_.push_back(key);
  }
  const std::pair<std::string, std::string> values[] = {
      {kAutoCadKey, "CurVer"}, {kReleaseKey, "CurVer"}, {kProductKey, "RoamableRootFolder"}};
  for (const auto& [key, name] : values) values_.push_back({key, name, StringValue(key, name)});
  SetStringValue(kAutoCadKey, "CurVer", "R16.2");
  SetStringValue(kReleaseKey, "CurVer", "ACAD-4001:410");
  SetStringValue(kProductKey, "RoamableRootFolder", "C:\\Profili\\AutoCAD 2006\\R16.2\\ita\\");
}

DemoAutoCad::~DemoAutoCad() {
  for (const SavedValue& value : values_) {
    if (value.before) {
      WriteStringValue(value.key, value.name, *value.before);
    } else if (UniqueKey key = OpenKey(value.key)) {
      RegDeleteValueA(key.Get(), value.name.c_str());
    }
  }
  for (auto key = createdKeys_.rbegin(); key != createdKeys_.rend(); ++key) {
    RegDeleteKeyA(HKEY_CURRENT_USER, key->c_str());
  }
  winetest::RemoveTree(kCadFolder);
  winetest::RemoveTree(kProfileRoot);
}

}  // namespace e2e
