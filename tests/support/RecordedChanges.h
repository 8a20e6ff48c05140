// A recorder of changes for tests: keeps what each layer tells it, in the order told, so a test
// can hold it beside what the layer did on the disk.
#pragma once

#include <string>
#include <vector>

#include "toolkit/ChangeRecorder.h"

namespace testing_support {

struct RecordedChanges : toolkit::ChangeRecorder {
  void FolderCreated(const std::string& path) override { folders.push_back(path); }
  void FileCreated(const std::string& path, std::uint64_t) override { files.push_back(path); }
  void FileChecksum(const std::string& path, std::uint32_t) override { checked.push_back(path); }
  void SwapStarts(const toolkit::FileSwap& swap) override { started.push_back(swap); }
  void Rewritten(const toolkit::FileSwap& swap) override { rewritten.push_back(swap); }
  void LeftAsItWas(const std::string& target, toolkit::LeftReason why) override {
    left.push_back({target, why});
  }
  void RegistryValueChanged(const std::string& key, const std::string&, const std::string&,
                            const std::optional<std::string>&) override {
    values.push_back(key);
  }
  void KeyCreated(const std::string& path) override { keys.push_back(path); }
  void GroupCreated(const std::string& name) override { groups.push_back(name); }

  std::vector<std::string> folders, files, checked, values, keys, groups;
  std::vector<toolkit::FileSwap> started, rewritten;
  std::vector<std::pair<std::string, toolkit::LeftReason>> left;
};

}  // namespace testing_support
