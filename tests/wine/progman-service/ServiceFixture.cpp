#include "tests/wine/progman-service/ServiceFixture.h"

#include <objidl.h>
#include <shlobj.h>

#include <chrono>
#include <ostream>

#include "tools/progman-service/ComPtr.h"

namespace pmtest {
namespace {

using progman::ComPtr;

using namespace winetest;

std::string ServiceProgram() { return BuiltFile("tools\\progman-service\\PMSERVICE.EXE"); }

HDDEDATA CALLBACK IgnoreEverything(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) {
  return nullptr;
}

// Balances the test thread's COM initialisation for one read.
class ComScope {
 public:
  ComScope() : initialised_(SUCCEEDED(CoInitialize(nullptr))) {}
  ~ComScope() {
    if (initialised_) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  bool initialised_;
};

}  // namespace

Service::Service(const std::string& arguments) {
  process_ = std::make_unique<InstallerProcess>(ServiceProgram(), "", arguments);
  serving_ = process_->Id() != 0 && Run("/wait=20") == 0u;
}

Service::~Service() {
  if (process_->Id() != 0 && !process_->WaitForExit(0ms)) Run("/stop");
}

std::optional<DWORD> Service::Run(const std::string& arguments) {
  InstallerProcess run(ServiceProgram(), "", arguments);
  if (run.Id() == 0) return std::nullopt;
  // A DDE connection is sought by a message sent to every top-level window, the windows the
  // library gave this thread among them: they must be answered while the program runs.
  const auto deadline = std::chrono::steady_clock::now() + 30s;
  while (!run.WaitForExit(10ms)) {
    if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  }
  return run.ExitCode();
}

WaitingClient::WaitingClient() {
  if (DdeInitializeA(&instance_, IgnoreEverything, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR) {
    instance_ = 0;
    return;
  }
  name_ = DdeCreateStringHandleA(instance_, "PROGMAN", CP_WINANSI);
  if (name_ != nullptr) conversation_ = DdeConnect(instance_, name_, nullptr, nullptr);
}

WaitingClient::~WaitingClient() {
  if (conversation_ != nullptr) DdeDisconnect(conversation_);
  if (name_ != nullptr) DdeFreeStringHandle(instance_, name_);
  if (instance_ != 0) DdeUninitialize(instance_);
}

bool WaitingClient::Execute(const std::string& commands) {
  if (conversation_ == nullptr) return false;
  DWORD result = 0;
  auto* data = reinterpret_cast<LPBYTE>(const_cast<char*>(commands.c_str()));
  return DdeClientTransaction(data, DWORD(commands.size() + 1), conversation_, nullptr, CF_TEXT,
                              XTYP_EXECUTE, 10000, &result) != nullptr;
}

std::string ProgramsFolder(bool common) {
  char folder[MAX_PATH] = {};
  SHGetFolderPathA(nullptr, common ? CSIDL_COMMON_PROGRAMS : CSIDL_PROGRAMS, nullptr,
                   SHGFP_TYPE_CURRENT, folder);
  return folder;
}

void PrintTo(const ShortcutView& view, std::ostream* out) {
  *out << "\"" << view.target << "\" args \"" << view.arguments << "\" in \"" << view.workingFolder
       << "\" icon \"" << view.iconFile << "\"," << view.iconIndex;
}

std::optional<ShortcutView> ReadShortcut(const std::string& path) {
  ComScope com;
  ComPtr<IShellLinkA> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              link.Out()))) {
    return std::nullopt;
  }
  ComPtr<IPersistFile> file;
  if (FAILED(link->QueryInterface(IID_IPersistFile, file.Out()))) return std::nullopt;
  std::wstring widePath(MAX_PATH, L'\0');
  widePath.resize(std::size_t(
      MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, widePath.data(), int(widePath.size()))));
  if (widePath.empty() || FAILED(file->Load(widePath.c_str(), STGM_READ))) return std::nullopt;
  ShortcutView view;
  char text[MAX_PATH] = {};
  link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH);
  view.target = text;
  text[0] = '\0';
  link->GetArguments(text, MAX_PATH);
  view.arguments = text;
  text[0] = '\0';
  link->GetWorkingDirectory(text, MAX_PATH);
  view.workingFolder = text;
  text[0] = '\0';
  link->GetIconLocation(text, MAX_PATH, &view.iconIndex);
  view.iconFile = text;
  return view;
}

}  // namespace pmtest
