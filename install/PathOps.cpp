#include "install/PathOps.h"

#include "config/FrontEnd.h"
#include "toolkit/Errors.h"
#include "toolkit/FileSystem.h"

namespace install {

namespace fs = toolkit::fs;

void SplitAtFirst(std::string& text, char separator, std::string& head) {
  auto at = text.find(separator);
  if (at == std::string::npos) {
    head.clear();
    return;
  }
  head = text.substr(0, at);
  text = text.substr(at + 1);
}

bool CheckFolderExists(config::FrontEnd& frontEnd, const std::string& path,
                       const std::string& message) {
  if (fs::TryChDir(path).Failed()) {
    frontEnd.Tell(config::Notice::kPlain, message);
    return true;
  }
  return false;
}

void EnterOrCreatePath(const std::string& path, toolkit::ChangeRecorder& recorder) {
  if (fs::TryChDir(path).Failed()) ForcePath(path, recorder);
}

namespace {

// Enters one component of a path, creating it when it cannot be entered.
void EnterOrCreateComponent(const std::string& component, toolkit::ChangeRecorder& recorder) {
  if (!component.empty() && component.back() == ':') {
    fs::ChDir(component);
    fs::ChDir("\\");
    return;
  }
  if (fs::TryChDir(component).Done()) return;
  // On the record before it is made.
  recorder.FolderCreated(JoinPath(toolkit::Fs().CurrentDir(), component));
  fs::MkDir(component);
  fs::ChDir(component);
}

}  // namespace

void ForcePath(const std::string& path, toolkit::ChangeRecorder& recorder) {
  std::string rest = path;
  std::string component;
  while (rest.find('\\') != std::string::npos) {
    SplitAtFirst(rest, '\\', component);
    EnterOrCreateComponent(component, recorder);
  }
  if (!rest.empty()) EnterOrCreateComponent(rest, recorder);
}

void MakeSubdir(const std::string& name, toolkit::ChangeRecorder& recorder) {
  if (fs::TryChDir(name).Failed()) {
    // On the record before it is made: afterwards nobody could tell it from one that was there.
    recorder.FolderCreated(JoinPath(toolkit::Fs().CurrentDir(), name));
    fs::MkDir(name);
  } else {
    fs::ChDir("..");
  }
}

}  // namespace install
