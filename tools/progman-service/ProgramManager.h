// What the shell's Program Manager service makes of the commands setup programs send it: a group
// is a folder of the Start menu's Programs, an item a shortcut in the current group. The service
// holds the current group between transactions, as the shell does, so that a client may send
// "[CreateGroup(X)]" and "[AddItem(...)]" one by one. The Start menu itself is an interface: the
// Windows program gives it shell folders and shell links, the tests a recording one.
//
// Commands of one string run in order and the first that fails ends it; those before it stay done,
// as with the shell. Group and item names become folder and file names, so a name that could
// reach outside the Start menu or is no valid Windows name is refused, never cleaned up into
// another one.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/progman-service/Commands.h"

namespace progman {

struct Group {
  std::string name;     // one or more folder names joined by backslashes
  bool common = false;  // the all-users Programs folder instead of the user's
  bool operator==(const Group&) const = default;
};

struct Shortcut {
  std::string name;  // the file name without ".lnk"
  std::string target;
  std::string arguments;
  std::string workingFolder;
  std::string iconFile;  // empty: the target's own icon
  int iconIndex = 0;
  bool operator==(const Shortcut&) const = default;
};

class StartMenu {
 public:
  virtual ~StartMenu() = default;
  // Each returns false when the change could not be made; an existing group is fine to create.
  virtual bool CreateGroup(const Group& group) = 0;
  virtual bool DeleteGroup(const Group& group) = 0;
  virtual bool CreateShortcut(const Group& group, const Shortcut& shortcut) = 0;
  virtual bool DeleteShortcut(const Group& group, const std::string& name) = 0;
  // Whether a file of that full path exists, for finding where an unquoted program path ends.
  virtual bool FileExists(const std::string& path) = 0;
};

enum class Outcome {
  kDone,            // every command was carried out
  kMalformed,       // the text does not read as commands: none was carried out
  kUnknownCommand,  // a command the service does not offer
  kBadArguments,    // too few or too many arguments, or a name that cannot be a file's
  kNoCurrentGroup,  // an item command before any group was created or shown
  kFailed,          // the Start menu refused the change
};

const char* Describe(Outcome outcome);

class ProgramManager {
 public:
  explicit ProgramManager(StartMenu& menu) : menu_(menu) {}
  Outcome Execute(std::string_view text);

 private:
  Outcome Run(const Command& command);
  Outcome CreateGroup(const std::vector<std::string>& arguments);
  Outcome ShowGroup(const std::vector<std::string>& arguments);
  Outcome DeleteGroup(const std::vector<std::string>& arguments);
  Outcome AddItem(const std::vector<std::string>& arguments);
  Outcome DeleteItem(const std::vector<std::string>& arguments);

  StartMenu& menu_;
  std::optional<Group> current_;
};

// The pieces of names and command lines, public for the tests.

// A name the file system takes as one file or folder of its own: no path characters, no device
// name, no trailing dot or blank.
bool IsPlainName(std::string_view name);
// Plain names joined by single backslashes.
bool IsGroupName(std::string_view name);

struct ProgramCall {
  std::string program;
  std::string arguments;
};
// Splits an item's command line into the program and its arguments. A quoted program ends at its
// quote. An unquoted one is the whole line when that names an existing file; else it ends at the
// first blank before which an existing file is named, as Windows finds the program in
// "C:\Program Files\Tool\tool.exe /x"; else at the first blank.
ProgramCall SplitCommandLine(std::string_view commandLine,
                             const std::function<bool(const std::string&)>& fileExists);
// The file name of a path without its folder and extension: an item's name when none is given.
std::string ProgramName(std::string_view path);
// The folder of a path, without the trailing backslash but for a drive's root ("c:\").
std::string FolderOf(std::string_view path);

}  // namespace progman
