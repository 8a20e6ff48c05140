// What an extraction creates, told to the journal before the library writes it: afterwards
// nobody could tell a new file from one it replaced.
//
// A whole package is announced before the library runs: its directory is read, and each member
// whose name reads the same to the library and here (plain ASCII, no name the system would alter
// or refuse) is told with its folders, its size and its CRC-32, all in one write. A member
// announced and never written (the package fails first) is a record of a file that is not
// there, which undoing passes over. The members left over, and the files picked by name, are
// told one by one as the library starts them, and get their CRC once the package is complete.
//
// Folders once seen are remembered for the rest of the package, and so are the files each holds:
// a folder is listed once, where asking for each member's name would have the system search the
// folder each time.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "toolkit/ChangeRecorder.h"

namespace extract {

class CreationWatch {
 public:
  CreationWatch(toolkit::ChangeRecorder& journal, std::string targetFolder);

  // Before the library extracts the whole package.
  void Announce(const std::string& packagePath);
  // As the library starts a member's file; nothing for a member already announced.
  void FileStarts(std::string name, std::uint64_t size);
  // The package is extracted in full: each file told one by one gets its CRC from the
  // archive's directory.
  void PackageDone(const std::string& packagePath);

 private:
  // Folded. An ordered set, as the room check's (install/Preflight.cpp): a hash table would bring
  // a code of its own into the program, some kilobytes of its 512, for lookups that cost next to
  // nothing beside the file each names.
  using FileNames = std::set<std::string>;

  // Tells of the folders of `name` (a member's, with backslashes) not there yet; a folder
  // entry's name ends with a backslash, and is one of them.
  void NoteFolders(const std::string& name);
  // Tells of the member's file if it is new, and gives its path then.
  std::optional<std::string> NoteFile(const std::string& name, std::uint64_t size);
  // The files the folder holds, listed the first time it is asked for.
  FileNames& FilesIn(const std::string& folder);
  bool IsNew(FileNames& files, const std::string& path, const std::string& leaf);

  toolkit::ChangeRecorder& journal_;
  std::string target_;
  // Each folder seen, by folded path, with the files it holds once it has been listed.
  std::map<std::string, std::optional<FileNames>> folders_;
  // The folder part of the last member's name (up to its last backslash), and its files.
  std::string lastFolderPart_;
  FileNames* lastFiles_ = nullptr;
  // Member names, with backslashes, in order once the package is announced: a package of some
  // hundred members is announced before the library may start, a sorted list is built fastest.
  std::vector<std::string> announced_;
  std::vector<std::pair<std::string, std::string>> created_;  // folded member name, path
};

}  // namespace extract
