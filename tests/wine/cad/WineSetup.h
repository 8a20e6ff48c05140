// What the Wine tests need from Windows itself to set the scene: registry values written the way
// AutoCAD or an administrator would write them, files copied onto the Wine drive, the read-only
// attribute, a file held open by another program. The code under test never uses these.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace cad::wine {

// Runs a command line (e.g. "reg.exe add ...") and returns its exit code.
std::uint32_t Run(const std::string& commandLine);

bool KeyExists(const std::string& path);  // below HKEY_CURRENT_USER
void SetStringValue(const std::string& path, const std::string& name, const std::string& text);
// A plain string value as Windows returns it; nothing when missing or of another type.
std::optional<std::string> StringValue(const std::string& path, const std::string& name);
void DeleteTree(const std::string& path);

// A fresh folder under the Wine user's temporary folder, removed with everything in it at the end.
class TempFolder {
 public:
  TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  ~TempFolder();
  // With a trailing backslash.
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

std::optional<std::string> ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& content);
void MakeFolder(const std::string& path);
void SetReadOnly(const std::string& path, bool readOnly);

// Holds a file open without sharing, as a running AutoCAD may, until destroyed.
class LockedFile {
 public:
  explicit LockedFile(const std::string& path);
  LockedFile(const LockedFile&) = delete;
  LockedFile& operator=(const LockedFile&) = delete;
  ~LockedFile();

 private:
  void* handle_;
};

// The Windows path (on drive Z:) of a file of the shared test data, given its Unix path.
std::string WinePath(const std::string& unixPath);

}  // namespace cad::wine
