#include "tests/support/Medium.h"

#include <algorithm>

#include "extract/PackageTable.h"
#include "tests/unzip/TestArchive.h"
#include "toolkit/headless/FakeProgramManager.h"
#include "toolkit/headless/MemoryRegistry.h"

namespace testing_support {

std::vector<PackageContent> DemoPackages() {
  std::vector<PackageContent> packages;
  packages.push_back({extract::kCadPackage,
                      {{"tkicon1.bmp", "BM icon one"},
                       {"tkicon2.bmp", "BM icon two"},
                       {"tolvek.lsp", "(defun c:tolvek () (princ))"}}});
  packages.push_back({extract::kConfigPackage, {{"tolvek.cfg", "[cfg]\r\nunits=mm\r\n"}}});
  packages.push_back({extract::kHelpPackage, {{"readme.rtf", "{\\rtf1 Tolvek demo}"}}});
  for (const auto& row : extract::PackageTable) {
    std::string name = std::string(row.package).substr(1);
    packages.push_back({row.package,
                        {{name + ".dat", "data of " + name},
                         {"sub/" + name + ".txt", std::string(70000, 'x') + name}}});
  }
  return packages;
}

void WritePackage(toolkit::headless::MemoryFileSystem& disk, const std::string& path,
                  const std::map<std::string, std::string>& files) {
  std::vector<unzip::test::TestMember> members;
  for (const auto& [name, content] : files) {
    unzip::test::TestMember member;
    member.name = name;
    member.content = content;
    members.push_back(member);
  }
  auto bytes = unzip::test::MakeArchive(members);
  disk.PutFile(path, std::string(bytes.begin(), bytes.end()));
}

void WriteMedium(toolkit::headless::MemoryFileSystem& disk, const std::string& folder,
                 const std::vector<std::string>& leaveOut) {
  for (const auto& package : DemoPackages()) {
    if (std::find(leaveOut.begin(), leaveOut.end(), package.package) != leaveOut.end()) continue;
    WritePackage(disk, folder + package.package, package.files);
  }
  // The installer itself, which an installation copies into the destination as its uninstaller.
  disk.PutFile(folder + "\\install.exe", "MZ installer");
}

void LayInstallerMachine(toolkit::headless::MemoryFileSystem& disk) {
  WriteMedium(disk, "c:\\setup");
  disk.SetProgramPath("c:\\setup\\install.exe");
  disk.MakeDirs("c:\\temp");
  disk.MakeDirs("c:\\Users\\user\\AppData\\Roaming");
  toolkit::headless::ProgramManager().running = true;
}

void LayAutoCad2004Machine(toolkit::headless::MemoryFileSystem& disk, const std::string& profile) {
  const std::string acad = "c:\\Programmi\\Autocad 2006";
  disk.SetProgramPath("c:\\setup\\install.exe");
  WriteMedium(disk, "c:\\setup");
  disk.MakeDirs("c:\\temp");
  disk.PutFile(acad + "\\acad2005.lsp", "(princ)\r\n");
  disk.PutFile(acad + "\\support\\acad2005doc.lsp", ";; ACAD2004DOC.LSP\r\n(princ)\r\n");
  disk.PutFile(profile + "Support\\acad.mns", "***TOOLBARS\r\n***HELPSTRINGS\r\n");
  disk.PutFile(profile + "Support\\acad.pgp", "A, *ARC\r\n");
  auto& registry = toolkit::headless::MemReg();
  registry.SetString("\\Software\\Autodesk\\AutoCAD", "CurVer", "R16.1");
  registry.SetString("\\Software\\Autodesk\\AutoCAD\\R16.1", "CurVer", "ACAD-301:409");
  registry.SetString("\\Software\\Autodesk\\AutoCAD\\R16.1\\ACAD-301:409", "RoamableRootFolder",
                     profile);
}

}  // namespace testing_support
