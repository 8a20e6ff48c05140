// The in-memory file system and registry against the contract the Win32 backend meets under Wine
// (tests/wine/toolkit/Win32ContractTest.cpp): the same cases, with the fake's own switches standing
// in for what another program does to a file or a key.
#include "tests/toolkit/contract/FileSystemContract.h"
#include "tests/toolkit/contract/RegistryContract.h"
#include "toolkit/headless/MemoryFileSystem.h"
#include "toolkit/headless/MemoryRegistry.h"

namespace {

using toolkit::headless::MemFs;
using toolkit::headless::MemReg;

struct MemoryFileSystemBackend {
  void SetUp() {
    MemFs().Reset();
    MemFs().MakeDirs(Root());
    MemFs().MakeDirs(OtherDriveFolder());
  }
  void TearDown() { MemFs().Reset(); }
  std::string Root() { return "C:\\TolvekContract"; }
  void SetReadOnly(const std::string& path, bool readOnly) { MemFs().SetReadOnly(path, readOnly); }
  void HoldWithoutSharing(const std::string& path) {
    MemFs().SetLocked(path, true);
    held_.push_back(path);
  }
  void ReleaseHeld() {
    for (const std::string& path : held_) MemFs().SetLocked(path, false);
    held_.clear();
  }
  std::string OtherDriveFolder() { return "D:\\Media"; }
  std::string MissingDrive() { return "Q:"; }
  void MakeLink(const std::string& path, const std::string& target) {
    MemFs().MakeLink(path, target);
  }

  std::vector<std::string> held_;
};

struct MemoryRegistryBackend {
  void SetUp() { MemReg().Reset(); }
  void TearDown() { MemReg().Reset(); }
  std::string Root() { return "Software\\TolvekContract"; }
  void Put(const std::string& path, const std::string& name, toolkit::RegValueType type,
           const std::string& data) {
    MemReg().SetRaw(path, name, type, data);
  }
  bool KeyExists(const std::string& path) { return MemReg().KeyExists(path); }
};

}  // namespace

namespace contract {
INSTANTIATE_TYPED_TEST_SUITE_P(MemoryFileSystemContract, FileSystemContract,
                               MemoryFileSystemBackend);
INSTANTIATE_TYPED_TEST_SUITE_P(MemoryRegistryContract, RegistryContract, MemoryRegistryBackend);
}  // namespace contract
