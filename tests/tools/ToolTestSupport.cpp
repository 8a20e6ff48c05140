#include "tests/tools/ToolTestSupport.h"

#include <stdlib.h>

#include <fstream>
#include <iterator>
#include <stdexcept>

#include "unzip/Extract.h"
#include "unzip/PosixStorage.h"

namespace tooltest {

TempFolder::TempFolder() {
  std::string pattern = (fs::temp_directory_path() / "tools-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

std::string Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Write(const fs::path& path, const std::string& content) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
}

std::map<std::string, std::string> Files(const fs::path& root) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (entry.is_regular_file()) {
      files[entry.path().lexically_relative(root).generic_string()] = Read(entry.path());
    }
  }
  return files;
}

std::int32_t ExtractWithOurExtractor(const fs::path& archive, const fs::path& folder) {
  fs::create_directories(folder);
  const std::string name = archive.string();
  UnzipParams params{};
  params.ArchiveName = name.c_str();
  params.FileSpecCount = 0;
  unzip::PosixStorage storage(folder.string());
  return unzip::Extract(params, storage);
}

std::string Lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

}  // namespace tooltest
