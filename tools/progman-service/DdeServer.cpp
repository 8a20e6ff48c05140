#include "tools/progman-service/DdeServer.h"

#include <exception>
#include <string>

#include "toolkit/UniqueHandle.h"

namespace progman {
namespace {

// The library's callback carries no pointer of ours.
DdeServer* server = nullptr;

constexpr const char* kName = "PROGMAN";

HDDEDATA Answer(UINT flag) { return reinterpret_cast<HDDEDATA>(static_cast<ULONG_PTR>(flag)); }

HDDEDATA CALLBACK IgnoreEverything(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) {
  return nullptr;
}

void CloseConversation(HCONV conversation) { DdeDisconnect(conversation); }
using UniqueConversation = toolkit::Unique<HCONV, CloseConversation>;

}  // namespace

DdeInstance::DdeInstance(PFNCALLBACK callback, DWORD flags) {
  if (DdeInitializeA(&id_, callback, flags, 0) != DMLERR_NO_ERROR) id_ = 0;
}

DdeInstance::~DdeInstance() {
  if (id_ != 0) DdeUninitialize(id_);
}

DdeName::DdeName(const DdeInstance& instance, const char* text) : instance_(instance.Id()) {
  if (instance_ != 0) handle_ = DdeCreateStringHandleA(instance_, text, CP_WINANSI);
}

DdeName::~DdeName() {
  if (handle_ != nullptr) DdeFreeStringHandle(instance_, handle_);
}

ServiceRegistration::ServiceRegistration(const DdeInstance& instance, const DdeName& service)
    : instance_(instance.Id()), service_(service.Get()) {
  registered_ = service_ != nullptr && DdeNameService(instance_, service_, nullptr, DNS_REGISTER);
}

ServiceRegistration::~ServiceRegistration() {
  if (registered_) DdeNameService(instance_, service_, nullptr, DNS_UNREGISTER);
}

// Advise, request and poke transactions are never served: the library refuses them itself.
DdeServer::DdeServer(Handler handler)
    : handler_(std::move(handler)),
      instance_(Callback, APPCLASS_STANDARD | CBF_FAIL_ADVISES | CBF_FAIL_REQUESTS |
                              CBF_FAIL_POKES | CBF_SKIP_REGISTRATIONS | CBF_SKIP_UNREGISTRATIONS),
      name_(instance_, kName),
      registration_(instance_, name_) {
  server = this;
}

DdeServer::~DdeServer() { server = nullptr; }

HDDEDATA CALLBACK DdeServer::Callback(UINT type, UINT format, HCONV, HSZ first, HSZ second,
                                      HDDEDATA data, ULONG_PTR, ULONG_PTR) {
  if (server == nullptr) return nullptr;
  switch (type) {
    case XTYP_CONNECT:
    case XTYP_WILDCONNECT:
      return server->Connect(type, format, first, second);
    case XTYP_EXECUTE:
      return server->Execute(data);
    default:
      return nullptr;
  }
}

HDDEDATA DdeServer::Connect(UINT type, UINT format, HSZ topic, HSZ service) {
  // A null handle is a wildcard; the library compares names without regard to case.
  const bool ourTopic = topic == nullptr || DdeCmpStringHandles(topic, name_.Get()) == 0;
  const bool ourService = service == nullptr || DdeCmpStringHandles(service, name_.Get()) == 0;
  if (!ourTopic || !ourService) return nullptr;
  if (type == XTYP_CONNECT) return Answer(TRUE);
  HSZPAIR pairs[2] = {{name_.Get(), name_.Get()}, {nullptr, nullptr}};
  return DdeCreateDataHandle(instance_.Id(), reinterpret_cast<LPBYTE>(pairs), sizeof pairs, 0,
                             nullptr, format, 0);
}

HDDEDATA DdeServer::Execute(HDDEDATA data) {
  // An exception must not unwind through the library's frames: whatever goes wrong is an answer.
  try {
    std::string text(DdeGetData(data, nullptr, 0, 0), '\0');
    text.resize(DdeGetData(data, reinterpret_cast<LPBYTE>(text.data()), DWORD(text.size()), 0));
    return Answer(handler_(text) ? DDE_FACK : DDE_FNOTPROCESSED);
  } catch (const std::exception&) {
    return Answer(DDE_FNOTPROCESSED);
  }
}

bool WaitForProgramManager(DWORD milliseconds) {
  DdeInstance instance(IgnoreEverything, APPCMD_CLIENTONLY);
  DdeName name(instance, kName);
  if (name.Get() == nullptr) return false;
  const DWORD start = GetTickCount();
  for (;;) {
    UniqueConversation conversation(DdeConnect(instance.Id(), name.Get(), nullptr, nullptr));
    if (conversation) return true;
    if (GetTickCount() - start >= milliseconds) return false;
    Sleep(100);
  }
}

}  // namespace progman
