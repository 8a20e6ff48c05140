// The DDE side of the service: one DDE management library instance that registers the service
// "PROGMAN", accepts conversations on the topic "PROGMAN" and from clients that name no topic (the
// installer's own), and hands the text of every execute transaction to a handler. The handler's
// answer becomes the acknowledgement, so a client waiting for the transaction learns whether its
// commands were carried out. The library calls back on the thread that made the server, from
// within its message loop; a process has one server at a time.
#pragma once

#include <windows.h>

#include <ddeml.h>

#include <functional>
#include <string_view>

namespace progman {

// An instance of the DDE management library, uninitialised when it goes; Id() is 0 when it
// could not be started.
class DdeInstance {
 public:
  DdeInstance(PFNCALLBACK callback, DWORD flags);
  ~DdeInstance();
  DdeInstance(const DdeInstance&) = delete;
  DdeInstance& operator=(const DdeInstance&) = delete;
  DWORD Id() const { return id_; }

 private:
  DWORD id_ = 0;
};

// A string handle of an instance, freed when it goes; null when it could not be made.
class DdeName {
 public:
  DdeName(const DdeInstance& instance, const char* text);
  ~DdeName();
  DdeName(const DdeName&) = delete;
  DdeName& operator=(const DdeName&) = delete;
  HSZ Get() const { return handle_; }

 private:
  DWORD instance_;
  HSZ handle_ = nullptr;
};

// The registration of a service name, withdrawn when it goes.
class ServiceRegistration {
 public:
  ServiceRegistration(const DdeInstance& instance, const DdeName& service);
  ~ServiceRegistration();
  ServiceRegistration(const ServiceRegistration&) = delete;
  ServiceRegistration& operator=(const ServiceRegistration&) = delete;
  bool Registered() const { return registered_; }

 private:
  DWORD instance_;
  HSZ service_;
  bool registered_ = false;
};

class DdeServer {
 public:
  using Handler = std::function<bool(std::string_view text)>;

  explicit DdeServer(Handler handler);
  ~DdeServer();
  DdeServer(const DdeServer&) = delete;
  DdeServer& operator=(const DdeServer&) = delete;

  // False when the library could not be started or the service name not registered.
  bool Serving() const { return registration_.Registered(); }

 private:
  static HDDEDATA CALLBACK Callback(UINT type, UINT format, HCONV conversation, HSZ first,
                                    HSZ second, HDDEDATA data, ULONG_PTR, ULONG_PTR);
  HDDEDATA Connect(UINT type, UINT format, HSZ topic, HSZ service);
  HDDEDATA Execute(HDDEDATA data);

  Handler handler_;
  DdeInstance instance_;
  DdeName name_;  // "PROGMAN", the service's name and its topic's
  ServiceRegistration registration_;
};

// Waits until a server of PROGMAN answers a connection that names no topic, as the installer
// opens its own, for the scripts that start the service in the background. Wine's shell answers
// only connections that name the topic, so this waits for ours.
bool WaitForProgramManager(DWORD milliseconds);

}  // namespace progman
