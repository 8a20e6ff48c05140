// The services of the running process beyond its files and windows: the arguments it was started
// with, the folder for temporary files, the local time, the machine-wide mutexes by which two
// runs of a program keep out of each other's way, the programs it starts, and whether a program
// runs beside it. Like the other services it names no OS type, so the installer's start-up reads
// its command line and stamps its log the same way on both backends.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "toolkit/UniqueHandle.h"

namespace toolkit {

struct LocalTime {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
};

using MutexId = std::uintptr_t;  // opaque; 0 is never a claimed mutex

class ProcessServices {
 public:
  virtual ~ProcessServices() = default;

  // The command line after the program's own name, as the process received it: quotes and all.
  virtual std::string Arguments() = 0;
  // The folder for the user's temporary files (%TEMP%), without a final backslash.
  virtual std::string TempFolder() = 0;
  virtual LocalTime Now() = 0;
  // Claims the mutex of this name for every session of the machine: 0 when this process now
  // holds it, kErrAlreadyExists (183) when another process does, another code when it cannot be
  // asked.
  virtual std::uint32_t ClaimMutex(const std::string& name, MutexId& mutex) = 0;
  virtual void ReleaseMutex(MutexId mutex) = 0;
  // Starts `program` with `arguments` and waits for it to end: 0 and its exit code, or the code
  // that kept it from starting.
  virtual std::uint32_t RunAndWait(const std::string& program, const std::string& arguments,
                                   std::uint32_t& exitCode) = 0;
  // Has a file that is in use now (a running program's) deleted when the system next starts, or,
  // for a user who may not arrange that, when the user next logs on. 0 once arranged.
  virtual std::uint32_t DeleteAtRestart(const std::string& path) = 0;
  // Whether a program of this file name ("acad.exe", compared without regard to case) runs in
  // the current user's session; where the system has no sessions (Windows 9x), anywhere. False
  // too when the processes cannot be listed: nothing is known to run.
  virtual bool IsProgramRunning(const std::string& fileName) = 0;
  // Whether the process runs with an administrator's rights (an elevated administrator, or
  // SYSTEM); always where the system keeps no rights (Windows 9x).
  virtual bool IsAdministrator() = 0;
  // 64 bits nobody can guess, for the name of a folder a run makes where others may make names
  // first: the system's random generator where it has one, otherwise the clocks and the
  // process's number mixed.
  virtual std::uint64_t UnguessableNumber() = 0;
  // The UTF-8 text in the system's ANSI code page, the encoding in which Windows' programs
  // (AutoCAD among them) read a text file without a byte-order mark; nothing when the page has
  // no byte for one of its characters (a best fit, "L" for "\xC5\x81", is no answer).
  virtual std::optional<std::string> InAnsiCodePage(std::string_view utf8) = 0;
};

// The service of the backend this program is linked with.
ProcessServices& Proc();

void ReleaseClaimedMutex(MutexId mutex);
// A claimed mutex, released when its owner goes: a run that ends in any way lets the next one in.
using UniqueMutex = Unique<MutexId, ReleaseClaimedMutex>;

}  // namespace toolkit
