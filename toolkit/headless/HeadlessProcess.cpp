#include "toolkit/headless/HeadlessProcess.h"

#include "toolkit/FileSystem.h"
#include "toolkit/Utf8.h"

namespace toolkit::headless {

void HeadlessProcess::Reset() { *this = HeadlessProcess{}; }

std::optional<std::string> HeadlessProcess::InAnsiCodePage(std::string_view utf8) {
  if (!IsUtf8(utf8)) return std::nullopt;
  if (ansiCodePage_ == 65001) return std::string(utf8);
  if (ansiCodePage_ == 20127) {
    for (char c : utf8) {
      if (static_cast<unsigned char>(c) >= 0x80) return std::nullopt;
    }
    return std::string(utf8);
  }
  return Cp1252FromUtf8(utf8);
}

bool HeadlessProcess::Holds(const std::string& name) const {
  for (const auto& [id, held] : held_) {
    if (held == name) return true;
  }
  return false;
}

std::uint32_t HeadlessProcess::ClaimMutex(const std::string& name, MutexId& mutex) {
  mutex = 0;
  if (elsewhere_.contains(name) || Holds(name)) return kErrAlreadyExists;
  mutex = nextId_++;
  held_.emplace(mutex, name);
  return 0;
}

void HeadlessProcess::ReleaseMutex(MutexId mutex) { held_.erase(mutex); }

std::uint32_t HeadlessProcess::RunAndWait(const std::string& program, const std::string& arguments,
                                          std::uint32_t& exitCode) {
  if (!runner_) return kErrFileNotFound;
  exitCode = runner_(program, arguments);
  return 0;
}

void HeadlessProcess::SetRunning(const std::string& fileName, bool running) {
  if (running) {
    running_.insert(fs::FoldCase(fileName));
  } else {
    running_.erase(fs::FoldCase(fileName));
  }
}

bool HeadlessProcess::IsProgramRunning(const std::string& fileName) {
  return running_.contains(fs::FoldCase(fileName));
}

HeadlessProcess& HeadlessProc() {
  static HeadlessProcess process;
  return process;
}

}  // namespace toolkit::headless

namespace toolkit {
ProcessServices& Proc() { return headless::HeadlessProc(); }
}  // namespace toolkit
