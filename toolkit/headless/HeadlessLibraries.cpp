#include "toolkit/headless/HeadlessLibraries.h"

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
  auto library = provided_.find(fileName);
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
