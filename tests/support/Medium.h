// An installation medium in the in-memory file system: the eighteen packages as real ZIP
// archives, each holding a few files whose contents name their package, so a test can check that
// every file landed where its package belongs.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "toolkit/headless/MemoryFileSystem.h"

namespace testing_support {

struct PackageContent {
  std::string package;                       // "\\tk.pck"
  std::map<std::string, std::string> files;  // member name -> content
};

// The demo medium: every package with its files.
std::vector<PackageContent> DemoPackages();

// Writes the packages and install.exe into `folder` (e.g. "c:\\setup"); packages listed in
// `leaveOut` are not written (they are on a later disk).
void WriteMedium(toolkit::headless::MemoryFileSystem& disk, const std::string& folder,
                 const std::vector<std::string>& leaveOut = {});
// A machine ready for an installation with the medium at c:\setup (the program's own folder):
// Where the installation's record and uninstaller live on the headless machine: for the user, in
// the user's local application data; for every user, in the machine's Program Files.
inline const std::string kUserRecordFolder = "c:\\Users\\user\\AppData\\Local\\Tolvek";
inline const std::string kMachineRecordFolder = "c:\\Program Files\\Tolvek";

// A machine about to be installed on from "c:\\setup", by a user with a temporary folder and
// application data, whose Program Manager answers.
void LayInstallerMachine(toolkit::headless::MemoryFileSystem& disk);

// AutoCAD 2006 in its proposed folder with its two start-up files, and a profile at `profile`
// ("c:\\Profiles\\u1\\Acad\\") whose Support folder holds acad.mns and acad.pgp ("A, *ARC"), with
// the registry values leading to it.
void LayAutoCad2004Machine(toolkit::headless::MemoryFileSystem& disk, const std::string& profile);

// Writes one package.
void WritePackage(toolkit::headless::MemoryFileSystem& disk, const std::string& path,
                  const std::map<std::string, std::string>& files);

}  // namespace testing_support
