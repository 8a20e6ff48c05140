// The Start menu as the Windows shell keeps it: a group is a folder below the Programs folder of
// the user or of all users, an item a shell link in it, written through the shell's own
// IShellLinkA so that Explorer and any other shell take it as theirs. Expects COM to be
// initialised on the calling thread.
#pragma once

#include <optional>
#include <string>

#include "tools/progman-service/ProgramManager.h"

namespace progman {

class ShellStartMenu : public StartMenu {
 public:
  bool CreateGroup(const Group& group) override;
  bool DeleteGroup(const Group& group) override;
  bool CreateShortcut(const Group& group, const Shortcut& shortcut) override;
  bool DeleteShortcut(const Group& group, const std::string& name) override;
  bool FileExists(const std::string& path) override;

  // The group's folder, or nullopt when the shell has no Programs folder or the path is too long.
  static std::optional<std::string> GroupFolder(const Group& group);
};

}  // namespace progman
