// progman_server LOGFILE: a stand-in for the shell's Program Manager, which Wine does not serve
// over DDE. It registers the DDE service "ProgMan", accepts conversations on any topic, and
// appends every execute command it receives, one per line, to LOGFILE. It runs until ended.
#include <windows.h>

#include <ddeml.h>

#include <cstdio>
#include <string>

namespace {

DWORD instance = 0;
HSZ service = nullptr;
HSZ topic = nullptr;
std::string logPath;

HDDEDATA CALLBACK Serve(UINT type, UINT format, HCONV, HSZ, HSZ, HDDEDATA data, ULONG_PTR,
                        ULONG_PTR) {
  switch (type) {
    case XTYP_CONNECT:
      return reinterpret_cast<HDDEDATA>(TRUE);
    case XTYP_WILDCONNECT: {
      // A client that names no topic (the empty one) is offered Program Manager's own.
      HSZPAIR pairs[2] = {{service, topic}, {nullptr, nullptr}};
      return DdeCreateDataHandle(instance, reinterpret_cast<LPBYTE>(pairs), sizeof pairs, 0,
                                 nullptr, format, 0);
    }
    case XTYP_EXECUTE: {
      DWORD size = DdeGetData(data, nullptr, 0, 0);
      std::string command(size, '\0');
      DdeGetData(data, reinterpret_cast<LPBYTE>(command.data()), size, 0);
      command.resize(lstrlenA(command.c_str()));
      if (FILE* log = std::fopen(logPath.c_str(), "ab")) {
        std::fprintf(log, "%s\n", command.c_str());
        std::fclose(log);
      }
      return reinterpret_cast<HDDEDATA>(DDE_FACK);
    }
    default:
      return nullptr;
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  logPath = argv[1];
  if (DdeInitializeA(&instance, Serve, APPCLASS_STANDARD, 0) != DMLERR_NO_ERROR) return 1;
  service = DdeCreateStringHandleA(instance, "PROGMAN", CP_WINANSI);
  topic = DdeCreateStringHandleA(instance, "PROGMAN", CP_WINANSI);
  if (!DdeNameService(instance, service, nullptr, DNS_REGISTER)) return 1;
  // The test waits for this file before it talks to the server.
  if (FILE* ready = std::fopen((logPath + ".ready").c_str(), "wb")) std::fclose(ready);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  DdeNameService(instance, service, nullptr, DNS_UNREGISTER);
  DdeFreeStringHandle(instance, service);
  DdeFreeStringHandle(instance, topic);
  DdeUninitialize(instance);
  return 0;
}
