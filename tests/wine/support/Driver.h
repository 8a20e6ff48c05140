// Drives the real INSTALL.EXE from outside its process, as a user and as a Windows tool would:
// starts it, waits for its windows by polling against a deadline, reads captions, states and
// control names (the "ControlName" window property), presses buttons with mouse messages, and
// answers message boxes.
#pragma once

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "toolkit/win32/Handles.h"

namespace winetest {

using namespace std::chrono_literals;

// The Windows path of a file built beside the tests (INSTALL.EXE, INSTALL.DLL).
std::string BuiltFile(const std::string& name);

class InstallerProcess {
 public:
  // Starts `exe` with `folder` as its current folder (the test's own when empty).
  InstallerProcess(const std::string& exe, const std::string& folder,
                   const std::string& arguments = "");
  ~InstallerProcess();
  InstallerProcess(const InstallerProcess&) = delete;
  InstallerProcess& operator=(const InstallerProcess&) = delete;

  DWORD Id() const { return id_; }
  bool WaitForExit(std::chrono::milliseconds timeout);
  std::optional<DWORD> ExitCode() const;

 private:
  toolkit::win32::UniqueHandle process_;
  toolkit::win32::UniqueHandle thread_;
  DWORD id_ = 0;
};

// Wine's own Program Manager, which the installer starts when no DDE server answers for
// "ProgMan", serves no DDE and stays open: tests end every one of it they leave behind.
void EndProgramManagers();

// Starts `exe` in C:\ with `arguments` and waits for its end, two minutes at most: its exit code,
// nothing when it did not end.
std::optional<DWORD> RunToTheEnd(const std::string& exe, const std::string& arguments);

// A command as the registry holds one ("\"C:\...\UNINSTAL.EXE\" /UNINSTALL /S"): the quoted
// program and its arguments.
std::pair<std::string, std::string> SplitCommand(const std::string& command);
// The command run to its end.
std::optional<DWORD> RunCommand(const std::string& command);

// The processes whose program has this file name ("TolvekUn.exe"), compared without regard to
// case.
std::vector<DWORD> ProcessesNamed(const std::string& name);

// The stand-in for a running AutoCAD (tests/wine/acad's acad.exe), started and waited for until
// the processes list it; ended when this goes.
class StandInAutoCad {
 public:
  // `program`: "acad.exe", or "acadlt.exe" for AutoCAD LT.
  explicit StandInAutoCad(const std::string& program = "acad.exe");
  // Started and listed: a test asserts this before it relies on AutoCAD running.
  bool Listed() const { return listed_; }

 private:
  InstallerProcess process_;
  bool listed_ = false;
};

// The visible top-level windows of a process.
std::vector<HWND> TopLevelWindows(DWORD processId);
// Polls until a top-level window of the process satisfies `match`; nullptr at the deadline.
template <typename Match>
HWND WaitForWindow(DWORD processId, Match match, std::chrono::milliseconds timeout = 20s) {
  auto deadline = std::chrono::steady_clock::now() + timeout;
  do {
    for (HWND window : TopLevelWindows(processId)) {
      if (match(window)) return window;
    }
    Sleep(50);
  } while (std::chrono::steady_clock::now() < deadline);
  return nullptr;
}

std::string Text(HWND window);
std::string ClassOf(HWND window);
// The control's name the installer gives each of its windows; empty for others.
std::string ControlName(HWND window);
// The descendant window with this control name, or nullptr.
HWND FindControl(HWND root, const std::string& name);
// Every descendant window.
std::vector<HWND> Descendants(HWND root);
bool Checked(HWND radio);

// A press of the left mouse button in the middle of the window, as the user gives it.
void Press(HWND window);

// A standard message box of the process ("#32770"), with its title, text and button captions.
struct MessageBoxView {
  HWND window = nullptr;
  std::string title;
  std::string text;
  std::vector<std::string> buttons;
};
std::optional<MessageBoxView> WaitForMessageBox(DWORD processId,
                                                std::chrono::milliseconds timeout = 20s);
// Presses the box's button with this caption ("OK", "&Yes", ...).
void Answer(const MessageBoxView& box, const std::string& button);

}  // namespace winetest

namespace winetest {

// Deletes a folder with everything in it; nothing happens when it is missing.
void RemoveTree(const std::string& folder);
// Creates a folder and every missing parent.
void MakeTree(const std::string& folder);
void WriteFile(const std::string& path, const std::string& content);
std::optional<std::string> ReadFile(const std::string& path);
// The temporary folder (%TEMP%) as the programs started from the tests see it, without its last
// backslash: where a silent run's log and the uninstaller's copy go.
std::string TempFolder();
// Where an installation for the current user keeps its record and uninstaller: the user's local
// application data, "Tolvek".
std::string UserRecordFolder();
// Puts a symbolic link to the folder `target` at `path`, as a user of Windows would with mklink /D.
// Wine's CreateSymbolicLink makes nothing and it keeps no reparse points of its own, but it shows
// a symbolic link of the Unix side as one (FILE_ATTRIBUTE_REPARSE_POINT): the link is made there,
// by running ln, which Wine starts as a Unix program. False when it could not be made.
bool MakeLink(const std::string& path, const std::string& target);
// Removes the link at `path` itself, never what it leads to.
void RemoveLink(const std::string& path);
// A log the installer wrote (UTF-8 after a byte-order mark) in code page 1252, the page the tests
// state their texts in; nothing when the file cannot be read, lacks the mark, is not valid UTF-8
// or holds a character code page 1252 has not.
std::optional<std::string> ReadLog(const std::string& path);
// Every name below a folder, as relative paths with their capitalisation on disk, folders ending
// with a backslash, with each entry's last-write time.
std::vector<std::pair<std::string, std::uint64_t>> Listing(const std::string& folder);

// Polls `condition` until it holds or the deadline passes; returns its last value.
template <typename Condition>
bool WaitUntil(Condition condition, std::chrono::milliseconds timeout = 20s) {
  auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    Sleep(50);
  }
  return true;
}

}  // namespace winetest
