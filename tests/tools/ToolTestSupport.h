// What the tools' tests share: a scratch folder, whole-file reads and writes, a tree listing, and
// extraction through the installer's own extractor, the way INSTALL.DLL does it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace tooltest {

namespace fs = std::filesystem;

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const fs::path& Path() const { return path_; }
  fs::path operator/(const std::string& name) const { return path_ / name; }

 private:
  fs::path path_;
};

std::string Read(const fs::path& path);
void Write(const fs::path& path, const std::string& content);

// Every file below `root`: relative name ('/' separated) -> content.
std::map<std::string, std::string> Files(const fs::path& root);

// Extracts a whole archive into `folder` with unzip::Extract and the POSIX storage; returns what
// UnzDllExec would return (0: every member extracted with the right CRC).
std::int32_t ExtractWithOurExtractor(const fs::path& archive, const fs::path& folder);

std::string Lower(std::string text);

}  // namespace tooltest
