// What the tests of PMSERVICE.EXE share with the end-to-end tests that install beside it: the
// service started as the demo starts it and stopped again, a DDE client that waits for each
// answer, and the Start menu read back through the shell's own interfaces.
#pragma once

#include <windows.h>

#include <ddeml.h>

#include <memory>
#include <optional>
#include <string>

#include "tests/wine/support/Driver.h"

namespace pmtest {

// PMSERVICE.EXE, serving once the constructor returns (Serving() says whether it came up), asked
// to stop by /stop when it goes.
class Service {
 public:
  explicit Service(const std::string& arguments = "");
  ~Service();
  Service(const Service&) = delete;
  Service& operator=(const Service&) = delete;

  bool Serving() const { return serving_; }
  winetest::InstallerProcess& Process() { return *process_; }
  // Runs PMSERVICE.EXE with the arguments and returns its exit code, nullopt if it hung.
  static std::optional<DWORD> Run(const std::string& arguments);

 private:
  std::unique_ptr<winetest::InstallerProcess> process_;
  bool serving_ = false;
};

// A DDE client on PROGMAN that waits for each execute transaction to be answered. It names no
// topic, as the installer does: Wine's own shell serves PROGMAN too, but only to clients that name
// the topic, so the conversation is always with the service under test.
class WaitingClient {
 public:
  WaitingClient();
  ~WaitingClient();
  WaitingClient(const WaitingClient&) = delete;
  WaitingClient& operator=(const WaitingClient&) = delete;

  bool Connected() const { return conversation_ != nullptr; }
  // True when the service acknowledged the commands, false when it refused them or none answered.
  bool Execute(const std::string& commands);

 private:
  DWORD instance_ = 0;
  HSZ name_ = nullptr;
  HCONV conversation_ = nullptr;
};

// The user's Programs folder, or all users' one.
std::string ProgramsFolder(bool common = false);

struct ShortcutView {
  std::string target;
  std::string arguments;
  std::string workingFolder;
  std::string iconFile;
  int iconIndex = 0;
  bool operator==(const ShortcutView&) const = default;
};
void PrintTo(const ShortcutView& view, std::ostream* out);

// The shortcut as the shell reads it; nullopt when it cannot be loaded.
std::optional<ShortcutView> ReadShortcut(const std::string& path);

}  // namespace pmtest
