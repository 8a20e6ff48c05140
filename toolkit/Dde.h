// A DDE client conversation, as the main dialog holds one for Program Manager. Opening connects
// to the service on the topic; when no server answers, the program named by the service is
// started (minimised, not activated) and the connection tried once more. On Win32 this is the
// DDE management library; headless, a fake Program Manager that a test starts and reads.
#pragma once

#include <memory>
#include <string>

namespace toolkit {

class DdeConversation {
 public:
  virtual ~DdeConversation() = default;
  // Nothing happens when the conversation is open already.
  virtual void Open() = 0;
  bool IsOpen() const { return open_; }
  // Sends the zero-terminated text (the terminator included) as an execute transaction without
  // waiting for the server to carry it out. False when no conversation is open or the
  // transaction is refused.
  virtual bool ExecuteMacro(const char* command) = 0;
  virtual void Close() = 0;

 protected:
  bool open_ = false;
};

std::unique_ptr<DdeConversation> CreateDdeConversation(const std::string& service,
                                                       const std::string& topic);

}  // namespace toolkit
