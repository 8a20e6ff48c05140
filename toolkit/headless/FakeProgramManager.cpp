#include "toolkit/headless/FakeProgramManager.h"

#include <cstring>

#include "toolkit/Dde.h"

namespace toolkit::headless {

FakeProgramManager& ProgramManager() {
  static FakeProgramManager manager;
  return manager;
}

namespace {

class FakeConversation : public DdeConversation {
 public:
  FakeConversation(std::string service, std::string topic)
      : service_(std::move(service)), topic_(std::move(topic)) {}

  void Open() override {
    if (open_) return;
    FakeProgramManager& manager = ProgramManager();
    if (!manager.running) {
      manager.startedPrograms.push_back(service_ + " " + topic_);
      if (manager.startResult >= 32 && manager.startBringsServerUp) manager.running = true;
    }
    open_ = manager.running && service_ == "ProgMan";
    if (open_) ++manager.connections;
  }

  bool ExecuteMacro(const char* command) override {
    FakeProgramManager& manager = ProgramManager();
    if (!open_ || !manager.running || manager.refuseTransactions) return false;
    manager.commands.emplace_back(command, std::strlen(command));
    return true;
  }

  void Close() override {
    if (open_) ++ProgramManager().disconnections;
    open_ = false;
  }

 private:
  std::string service_;
  std::string topic_;
};

}  // namespace
}  // namespace toolkit::headless

namespace toolkit {
std::unique_ptr<DdeConversation> CreateDdeConversation(const std::string& service,
                                                       const std::string& topic) {
  return std::make_unique<headless::FakeConversation>(service, topic);
}
}  // namespace toolkit
