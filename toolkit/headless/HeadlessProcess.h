// The headless backend's process services: the arguments, %TEMP% and the clock a test sets,
// mutexes that a test can make "held by another process", and the programs a test says run.
#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>

#include "toolkit/Process.h"

namespace toolkit::headless {

class HeadlessProcess : public ProcessServices {
 public:
  // --- Set-up and inspection for tests -------------------------------------------------------
  // No arguments, %TEMP% "c:\temp", the clock at 2006-03-01 09:30:00.000, no mutex held.
  void Reset();
  void SetArguments(const std::string& arguments) { arguments_ = arguments; }
  void SetTempFolder(const std::string& folder) { tempFolder_ = folder; }
  // Another process holds the mutex of this name.
  void HoldElsewhere(const std::string& name) { elsewhere_.insert(name); }
  bool Holds(const std::string& name) const;
  // What RunAndWait does: the test's stand-in for the program started, returning its exit code.
  // Without one, no program can be started (kErrFileNotFound).
  using Runner = std::function<std::uint32_t(const std::string& program, const std::string& args)>;
  void SetRunner(Runner runner) { runner_ = std::move(runner); }
  // The files DeleteAtRestart was asked for.
  const std::set<std::string>& DeletedAtRestart() const { return deleteAtRestart_; }
  // A program of this file name starts or ends running in the user's session; a test may change
  // it at any moment, for example while a box is up.
  void SetRunning(const std::string& fileName, bool running);

  // --- The service ----------------------------------------------------------------------------
  std::string Arguments() override { return arguments_; }
  std::string TempFolder() override { return tempFolder_; }
  LocalTime Now() override { return {2006, 3, 1, 9, 30, 0, 0}; }
  std::uint32_t ClaimMutex(const std::string& name, MutexId& mutex) override;
  void ReleaseMutex(MutexId mutex) override;
  std::uint32_t RunAndWait(const std::string& program, const std::string& arguments,
                           std::uint32_t& exitCode) override;
  std::uint32_t DeleteAtRestart(const std::string& path) override {
    deleteAtRestart_.insert(path);
    return 0;
  }
  bool IsProgramRunning(const std::string& fileName) override;
  bool IsAdministrator() override { return administrator_; }
  // An administrator until said otherwise.
  void SetAdministrator(bool administrator) { administrator_ = administrator; }
  // Counts up from a number a test may set, so that a test knows the name a run will pick.
  std::uint64_t UnguessableNumber() override { return nextNumber_++; }
  void SetNextNumber(std::uint64_t number) { nextNumber_ = number; }
  // The system's ANSI code page: 1252 (Western European) until said otherwise; 20127 (ASCII
  // alone) and 65001 (UTF-8) stand for the pages that hold less and more.
  void SetAnsiCodePage(unsigned page) { ansiCodePage_ = page; }
  std::optional<std::string> InAnsiCodePage(std::string_view utf8) override;

 private:
  std::string arguments_;
  std::string tempFolder_ = "c:\\temp";
  std::set<std::string> elsewhere_;
  std::map<MutexId, std::string> held_;
  MutexId nextId_ = 1;
  Runner runner_;
  std::set<std::string> deleteAtRestart_;
  std::set<std::string> running_;  // folded file names
  bool administrator_ = true;
  std::uint64_t nextNumber_ = 0x5EED;
  unsigned ansiCodePage_ = 1252;
};

HeadlessProcess& HeadlessProc();

}  // namespace toolkit::headless
