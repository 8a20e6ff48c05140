// The DDE conversation over the DDE management library. The library instance is the process's,
// made once; service and topic name handles live as long as the conversation.
#include <windows.h>

#include <ddeml.h>

#include "toolkit/Dde.h"
#include "toolkit/win32/SystemText.h"

namespace toolkit {
namespace {

using win32::Ansi;
using win32::IsNt;
using win32::Wide;

HDDEDATA CALLBACK IgnoreEverything(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) {
  return nullptr;
}

// On the NT family the instance is a wide one, so that a command naming a path beyond the ANSI
// code page reaches the Program Manager whole; the system gives an ANSI server the command in its
// own code page.
DWORD Instance() {
  static DWORD instance = [] {
    DWORD id = 0;
    const UINT status = IsNt() ? DdeInitializeW(&id, IgnoreEverything, APPCMD_CLIENTONLY, 0)
                               : DdeInitializeA(&id, IgnoreEverything, APPCMD_CLIENTONLY, 0);
    if (status != DMLERR_NO_ERROR) id = 0;
    return id;
  }();
  return instance;
}

class NameHandle {
 public:
  explicit NameHandle(const std::string& name)
      : handle_(Instance() == 0 ? nullptr
                : IsNt() ? DdeCreateStringHandleW(Instance(), Wide(name).c_str(), CP_WINUNICODE)
                         : DdeCreateStringHandleA(Instance(), Ansi(name).c_str(), CP_WINANSI)) {}
  NameHandle(const NameHandle&) = delete;
  NameHandle& operator=(const NameHandle&) = delete;
  ~NameHandle() {
    if (handle_) DdeFreeStringHandle(Instance(), handle_);
  }
  HSZ Get() const { return handle_; }

 private:
  HSZ handle_;
};

class Win32DdeConversation : public DdeConversation {
 public:
  Win32DdeConversation(std::string service, std::string topic)
      : service_(std::move(service)), topic_(std::move(topic)) {}
  ~Win32DdeConversation() override { Close(); }

  void Open() override {
    if (open_ || Instance() == 0) return;
    serviceName_ = std::make_unique<NameHandle>(service_);
    topicName_ = std::make_unique<NameHandle>(topic_);
    conversation_ = DdeConnect(Instance(), serviceName_->Get(), topicName_->Get(), nullptr);
    if (conversation_ == nullptr) {
      std::string commandLine = service_ + " " + topic_;
      if (WinExec(commandLine.c_str(), SW_SHOWMINNOACTIVE) >= 32) {
        conversation_ = DdeConnect(Instance(), serviceName_->Get(), topicName_->Get(), nullptr);
      }
    }
    open_ = conversation_ != nullptr;
  }

  bool ExecuteMacro(const char* command) override {
    if (!open_) return false;
    DWORD result = 0;
    HDDEDATA sent = nullptr;
    if (IsNt()) {
      std::wstring text = Wide(command);
      sent = DdeClientTransaction(reinterpret_cast<LPBYTE>(text.data()),
                                  DWORD((text.size() + 1) * sizeof(wchar_t)), conversation_,
                                  nullptr, CF_UNICODETEXT, XTYP_EXECUTE, TIMEOUT_ASYNC, &result);
    } else {
      std::string text = Ansi(command);
      sent = DdeClientTransaction(reinterpret_cast<LPBYTE>(text.data()), DWORD(text.size() + 1),
                                  conversation_, nullptr, CF_TEXT, XTYP_EXECUTE, TIMEOUT_ASYNC,
                                  &result);
    }
    return sent != nullptr;
  }

  void Close() override {
    if (conversation_ != nullptr) DdeDisconnect(conversation_);
    conversation_ = nullptr;
    serviceName_.reset();
    topicName_.reset();
    open_ = false;
  }

 private:
  std::string service_;
  std::string topic_;
  std::unique_ptr<NameHandle> serviceName_;
  std::unique_ptr<NameHandle> topicName_;
  HCONV conversation_ = nullptr;
};

}  // namespace

std::unique_ptr<DdeConversation> CreateDdeConversation(const std::string& service,
                                                       const std::string& topic) {
  return std::make_unique<Win32DdeConversation>(service, topic);
}

}  // namespace toolkit
