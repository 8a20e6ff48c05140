// The path operations the destination tree is built with. They work on the process's current
// folder: a folder is entered by making it current, and one that cannot be entered is created.
// Failures raise the input/output error (toolkit::EInOutError) unless stated otherwise.
#pragma once

#include <string>

#include "toolkit/ChangeRecorder.h"
#include "toolkit/FileSystem.h"

namespace config {
class FrontEnd;
}

namespace install {

// Splits `text` at the first `separator`: `head` gets what stands before it and `text` keeps what
// follows. Without the separator, `head` is empty and `text` stays as it is.
void SplitAtFirst(std::string& text, char separator, std::string& head);

using toolkit::fs::StripTrailingBackslash;

// True, after showing `message` in a plain box, when the folder cannot be entered; false when it
// exists, in which case it has become the current folder.
bool CheckFolderExists(config::FrontEnd& frontEnd, const std::string& path,
                       const std::string& message);

// Makes `path` (absolute or relative) the current folder, creating every missing folder on the way.
// `recorder` is told of each folder created, by its full path.
void EnterOrCreatePath(const std::string& path, toolkit::ChangeRecorder& recorder);

// Walks the components of `path` from the current folder, entering each one and creating it
// where it cannot be entered. A component such as "c:" makes that drive current at its root.
void ForcePath(const std::string& path, toolkit::ChangeRecorder& recorder);

// Makes sure the sub-folder `name` of the current folder exists; the current folder stays.
void MakeSubdir(const std::string& name, toolkit::ChangeRecorder& recorder);

using toolkit::fs::JoinPath;

}  // namespace install
