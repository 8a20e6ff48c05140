#include "toolkit/ChangeRecorder.h"

namespace toolkit {
namespace {

class Unrecorded : public ChangeRecorder {
 public:
  void FolderCreated(const std::string&) override {}
  void FileCreated(const std::string&, std::uint64_t) override {}
  void FileChecksum(const std::string&, std::uint32_t) override {}
  void SwapStarts(const FileSwap&) override {}
  void Rewritten(const FileSwap&) override {}
  void RegistryValueChanged(const std::string&, const std::string&, const std::string&,
                            const std::optional<std::string>&) override {}
  void KeyCreated(const std::string&) override {}
  void GroupCreated(const std::string&) override {}
};

}  // namespace

ChangeRecorder& NoRecording() {
  static Unrecorded recorder;
  return recorder;
}

}  // namespace toolkit
