#include "toolkit/headless/HeadlessLibraries.h"

#include <algorithm>
#include <cctype>

namespace toolkit::headless {

void HeadlessLibraries::Reset() { *this = HeadlessLibraries{}; }

void HeadlessLibraries::Provide(const std::string& fileName,
                                std::map<std::string, void*> entryPoints) {
  provided_[fileName] = std::move(entryPoints);
}

unsigned HeadlessLibraries::SetErrorMode(unsigned mode) {
  errorModes_.push_back(mode);
  unsigned previous = errorMode_;
  errorMode_ = mode;
  return previous;
}

LibraryHandle HeadlessLibraries::Load(const std::string& fileName) {
  requested_.push_back(fileName);
  auto named = [&](const auto& entry) {
    const std::string& name = entry.first;
    if (fileName.size() < name.size()) return false;
    const std::size_t at = fileName.size() - name.size();
    if (at > 0 && fileName[at - 1] != '\\' && fileName[at - 1] != ':') return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
      if (std::tolower(static_cast<unsigned char>(fileName[at + i])) !=
          std::tolower(static_cast<unsigned char>(name[i]))) {
        return false;
      }
    }
    return true;
  };
  auto library = std::find_if(provided_.begin(), provided_.end(), named);
  if (library == provided_.end() || loadResult_ <= 32) return loadResult_ > 32 ? 0 : loadResult_;
  loadedEntries_ = &library->second;
  ++loaded_;
  return loadResult_;
}

void* HeadlessLibraries::EntryPoint(LibraryHandle library, const std::string& name) {
  if (library != loadResult_ || loadedEntries_ == nullptr || missing_.count(name) != 0) {
    return nullptr;
  }
  auto entry = loadedEntries_->find(name);
  return entry == loadedEntries_->end() ? nullptr : entry->second;
}

void HeadlessLibraries::Free(LibraryHandle library) {
  if (library == loadResult_ && loaded_ > 0) --loaded_;
}

HeadlessLibraries& FakeLibraries() {
  static HeadlessLibraries libraries;
  return libraries;
}

}  // namespace toolkit::headless

namespace toolkit {
DynamicLibraries& Libraries() { return headless::FakeLibraries(); }
}  // namespace toolkit
