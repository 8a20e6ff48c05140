// Passes every change on to the journal and tells the front end, for the log, what became of each
// AutoCAD file: rewritten (with its backup), or left as it was and why.
#pragma once

#include "toolkit/ChangeRecorder.h"

namespace config {
class FrontEnd;
}

namespace install {

class NotedRecorder : public toolkit::ChangeRecorder {
 public:
  NotedRecorder(toolkit::ChangeRecorder& record, config::FrontEnd& frontEnd)
      : record_(record), frontEnd_(frontEnd) {}

  void FolderCreated(const std::string& path) override { record_.FolderCreated(path); }
  void FileCreated(const std::string& path, std::uint64_t size) override {
    record_.FileCreated(path, size);
  }
  void FileChecksum(const std::string& path, std::uint32_t crc) override {
    record_.FileChecksum(path, crc);
  }
  void HoldRecords() override { record_.HoldRecords(); }
  void WriteHeldRecords() override { record_.WriteHeldRecords(); }
  void SwapStarts(const toolkit::FileSwap& swap) override { record_.SwapStarts(swap); }
  void Rewritten(const toolkit::FileSwap& swap) override;
  void LeftAsItWas(const std::string& target, toolkit::LeftReason why) override;
  void RegistryValueChanged(const std::string& key, const std::string& name,
                            const std::string& added,
                            const std::optional<std::string>& before) override {
    record_.RegistryValueChanged(key, name, added, before);
  }
  void KeyCreated(const std::string& path) override { record_.KeyCreated(path); }
  void GroupCreated(const std::string& name) override { record_.GroupCreated(name); }

 private:
  toolkit::ChangeRecorder& record_;
  config::FrontEnd& frontEnd_;
};

// A path as a person reads it: a folder and a name joined as the patchers join them may meet at a
// doubled backslash, which Windows reads as one.
std::string AsShown(std::string path);

}  // namespace install
