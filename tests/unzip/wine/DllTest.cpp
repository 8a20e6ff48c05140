// INSTALL.DLL through its real boundary: LoadLibrary by bare name, the undecorated stdcall
// exports, the 16464-byte record filled as the installer fills it, the callback called back
// with the installer's Caller, members written relative to the current folder, a read-only file
// from an earlier installation replaced, dates kept, and hostile names refused; the DLL's
// writer threads under Wine: many members byte for byte, and a stop while they are busy; and the
// third export, which tells the installer which member a run lost first and why.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "tests/unzip/TestArchive.h"
#include "unzip/UnzipApi.h"

namespace unzip::test {
namespace {

using ExecFn = int32_t(UNZIP_STDCALL*)(UnzipParams*);
using VersionFn = uint32_t(UNZIP_STDCALL*)();
using LastFailureFn = void(UNZIP_STDCALL*)(UnzipFailure*);

struct Calls {
  std::vector<int32_t> codes;
  std::vector<std::string> names;
  void* caller = nullptr;
  std::size_t stopAt = SIZE_MAX;  // answer "stop" on this call (0-based)
  DWORD thread = 0;               // every call comes on this thread
  bool otherThread = false;
};

int32_t UNZIP_STDCALL Record(UnzipCallbackInfo* info) {
  auto* calls = static_cast<Calls*>(info->Caller);
  calls->caller = info->Caller;
  calls->codes.push_back(info->ActionCode);
  if (info->ActionCode == kUnzipActionFileStarts) calls->names.push_back(info->FileName);
  if (calls->thread != ::GetCurrentThreadId()) calls->otherThread = true;
  return calls->codes.size() - 1 == calls->stopAt ? -1 : 0;
}

std::string Content(std::size_t size, unsigned seed) {
  std::string text(size, '\0');
  for (auto& c : text) {
    seed = seed * 1103515245 + 12345;
    c = char("abcdefgh \r\n"[(seed >> 16) % 11]);
  }
  return text;
}

std::vector<TestMember> ManyMembers() {
  std::vector<TestMember> members;
  for (unsigned i = 0; i < 300; ++i) {
    members.push_back(
        {.name = "Parts/P" + std::to_string(i % 5) + "/m" + std::to_string(i) + ".lsp",
         .content = Content(i % 50 == 0 ? 200000 : i * 13, i)});
  }
  return members;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return in ? text.str() : std::string("<missing>");
}

class DllTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dll_ = ::LoadLibraryA("INSTALL.DLL");
    ASSERT_NE(dll_, nullptr);
    // Through void*: GetProcAddress's FARPROC takes no arguments, so a direct cast is refused.
    exec_ = reinterpret_cast<ExecFn>(reinterpret_cast<void*>(::GetProcAddress(dll_, "UnzDllExec")));
    version_ = reinterpret_cast<VersionFn>(
        reinterpret_cast<void*>(::GetProcAddress(dll_, "GetUnzDllVersion")));
    lastFailure_ = reinterpret_cast<LastFailureFn>(
        reinterpret_cast<void*>(::GetProcAddress(dll_, "UnzDllLastFailure")));
    ASSERT_NE(exec_, nullptr);
    ASSERT_NE(version_, nullptr);
    ASSERT_NE(lastFailure_, nullptr);

    char temp[MAX_PATH];
    ASSERT_GT(::GetTempPathA(MAX_PATH, temp), 0u);
    root_ = std::string(temp) + "unzip-dll-" + std::to_string(::GetCurrentProcessId());
    ::CreateDirectoryA(root_.c_str(), nullptr);
    target_ = root_ + "\\target";
    ::CreateDirectoryA(target_.c_str(), nullptr);
    char current[MAX_PATH];
    ::GetCurrentDirectoryA(MAX_PATH, current);
    previous_ = current;
    ASSERT_TRUE(::SetCurrentDirectoryA(target_.c_str()));
  }
  void TearDown() override {
    ::SetCurrentDirectoryA(previous_.c_str());
    if (dll_) ::FreeLibrary(dll_);
    std::string command = "cmd /c rmdir /s /q \"" + root_ + "\"";
    std::system(command.c_str());
  }
  std::string WriteArchive(const std::vector<TestMember>& members) {
    const auto bytes = MakeArchive(members);
    const std::string path = root_ + "\\package.pck";
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return path;
  }
  // As the installer does: defaults, a 256-byte buffer for the name, one optional spec.
  int32_t Run(const std::string& archive, Calls& calls, const char* spec = nullptr) {
    calls.thread = ::GetCurrentThreadId();
    auto params = std::make_unique<UnzipParams>();
    params->Caller = &calls;
    params->Constant8 = 140;
    params->Callback = &Record;
    params->Flags28[3] = UNZIP_TRUE;
    params->Flags28[8] = UNZIP_TRUE;
    params->Constant72 = 7;
    char name[256] = {};
    archive.copy(name, sizeof name - 1);
    params->ArchiveName = name;
    char specBuffer[256] = {};
    if (spec) {
      std::string(spec).copy(specBuffer, sizeof specBuffer - 1);
      params->FileSpecs[0] = specBuffer;
      params->FileSpecCount = 1;
    }
    return exec_(params.get());
  }

  HMODULE dll_ = nullptr;
  ExecFn exec_ = nullptr;
  VersionFn version_ = nullptr;
  LastFailureFn lastFailure_ = nullptr;
  std::string root_;
  std::string target_;
  std::string previous_;
};

TEST_F(DllTest, VersionIsReported) { EXPECT_EQ(version_(), UNZIP_VERSION); }

TEST_F(DllTest, ExtractsIntoTheCurrentFolderAndCallsBack) {
  Calls calls;
  const auto archive = WriteArchive({{.name = "Help/readme.rtf", .content = "{\\rtf1 x}"},
                                     {.name = "big.bin", .content = std::string(70000, 'b')}});
  EXPECT_EQ(Run(archive, calls), 0);
  EXPECT_EQ(ReadFile(target_ + "\\help\\README.RTF"), "{\\rtf1 x}");
  EXPECT_EQ(ReadFile(target_ + "\\big.bin"), std::string(70000, 'b'));
  EXPECT_EQ(calls.caller, &calls);
  EXPECT_EQ(calls.codes, (std::vector<int32_t>{1, 1, 2, 2, 3}));
  EXPECT_EQ(calls.names, (std::vector<std::string>{"Help/readme.rtf", "big.bin"}));
}

TEST_F(DllTest, ReadOnlyFileOfAnEarlierInstallationIsReplacedAndTheDateKept) {
  const std::string file = target_ + "\\tkicon1.bmp";
  { std::ofstream(file) << "old"; }
  ASSERT_TRUE(::SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY));
  Calls calls;
  const std::uint16_t date = std::uint16_t(((2003 - 1980) << 9) | (7 << 5) | 15);
  const std::uint16_t time = std::uint16_t((8 << 11) | (30 << 5) | 21);
  const auto archive = WriteArchive(
      {{.name = "support/TKICON1.BMP", .content = "BM new", .date = date, .time = time},
       {.name = "other.txt", .content = "not asked for"}});
  EXPECT_EQ(Run(archive, calls, "tkicon1.bmp"), 0);
  // The member sits in a folder in the archive; the file spec matched its base name.
  const std::string extracted = target_ + "\\support\\tkicon1.bmp";
  EXPECT_EQ(ReadFile(extracted), "BM new");
  EXPECT_EQ(ReadFile(target_ + "\\other.txt"), "<missing>");

  HANDLE handle = ::CreateFileA(extracted.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(handle, INVALID_HANDLE_VALUE);
  FILETIME written{};
  FILETIME local{};
  WORD fatDate = 0;
  WORD fatTime = 0;
  ASSERT_TRUE(::GetFileTime(handle, nullptr, nullptr, &written));
  ::CloseHandle(handle);
  ASSERT_TRUE(::FileTimeToLocalFileTime(&written, &local));
  ASSERT_TRUE(::FileTimeToDosDateTime(&local, &fatDate, &fatTime));
  EXPECT_EQ(fatDate, date);
  EXPECT_EQ(fatTime, time);

  // Same again over the read-only file, now in the root.
  const auto rootArchive = WriteArchive({{.name = "tkicon1.bmp", .content = "BM newer"}});
  EXPECT_EQ(Run(rootArchive, calls), 0);
  EXPECT_EQ(ReadFile(file), "BM newer");
}

TEST_F(DllTest, HostileNamesAndBadDataFailAlone) {
  Calls calls;
  const auto archive = WriteArchive({{.name = "..\\..\\evil.txt", .content = "evil"},
                                     {.name = "C:\\evil.txt", .content = "evil"},
                                     {.name = "NUL.txt", .content = "evil"},
                                     {.name = "crc.txt", .content = "damaged", .crc = 1},
                                     {.name = "good.txt", .content = "good"}});
  EXPECT_EQ(Run(archive, calls), 4);
  EXPECT_EQ(ReadFile(target_ + "\\good.txt"), "good");
  EXPECT_EQ(ReadFile(root_ + "\\evil.txt"), "<missing>");
  EXPECT_EQ(ReadFile(target_ + "\\crc.txt"), "<missing>");
}

TEST_F(DllTest, DamagedMemberKeepsTheFileOfAnEarlierInstallation) {
  const std::string file = target_ + "\\crc.txt";
  { std::ofstream(file) << "installed"; }
  Calls calls;
  const auto archive = WriteArchive({{.name = "CRC.TXT", .content = "damaged", .crc = 1}});
  EXPECT_EQ(Run(archive, calls), 1);
  EXPECT_EQ(ReadFile(file), "installed");
  WIN32_FIND_DATAA found;
  HANDLE search = ::FindFirstFileA((target_ + "\\*.tmp").c_str(), &found);
  EXPECT_EQ(search, INVALID_HANDLE_VALUE) << found.cFileName;
  if (search != INVALID_HANDLE_VALUE) ::FindClose(search);
}

TEST_F(DllTest, ManyMembersByteForByteWithWritersAndWithout) {
  const auto members = ManyMembers();
  const auto archive = WriteArchive(members);
  for (const char* writers : {"", "0", "3"}) {
    // Empty: the DLL's own choice.
    ::SetEnvironmentVariableA("TOLVEK_UNZIP_WRITERS", *writers ? writers : nullptr);
    Calls calls;
    EXPECT_EQ(Run(archive, calls), 0) << writers;
    EXPECT_FALSE(calls.otherThread) << writers;
    ASSERT_EQ(calls.names.size(), members.size()) << writers;
    for (std::size_t i = 0; i < members.size(); ++i) {
      EXPECT_EQ(calls.names[i], members[i].name) << writers;
      std::string path = target_ + "\\" + members[i].name;
      for (char& c : path) {
        if (c == '/') c = '\\';
      }
      EXPECT_EQ(ReadFile(path), members[i].content) << writers << " " << path;
    }
    EXPECT_EQ(calls.codes.back(), kUnzipActionEnd);
    std::system(("cmd /c rmdir /s /q \"" + target_ + "\\Parts\"").c_str());
  }
  ::SetEnvironmentVariableA("TOLVEK_UNZIP_WRITERS", nullptr);
}

TEST_F(DllTest, AStopWhileTheWritersAreBusyLeavesOnlyTheMembersBefore) {
  const auto members = ManyMembers();
  const auto archive = WriteArchive(members);
  Calls calls;
  calls.stopAt = 200;
  EXPECT_EQ(Run(archive, calls), kUnzipStopped);
  ASSERT_EQ(calls.codes.size(), 202u);
  EXPECT_EQ(calls.codes.back(), kUnzipActionEnd);
  const std::size_t finished = calls.names.size() - 1;
  for (std::size_t i = 0; i < members.size(); ++i) {
    std::string path = target_ + "\\" + members[i].name;
    for (char& c : path) {
      if (c == '/') c = '\\';
    }
    EXPECT_EQ(ReadFile(path), i < finished ? members[i].content : "<missing>") << path;
  }
}

// Run after run, each report is the run's own: what one run found never shows in the next.
TEST_F(DllTest, TheLastFailureNamesTheFirstMemberLostAndWhy) {
  struct Step {
    const char* what;
    std::vector<TestMember> members;  // none: an archive that is not there
    int32_t result;
    int32_t reason;
    std::string name;
  };
  // A folder where the file should go: its writer cannot make the file.
  ASSERT_TRUE(::CreateDirectoryA((target_ + "\\taken.txt").c_str(), nullptr));
  const std::vector<Step> steps = {
      {"refused names first",
       {{.name = "..\\..\\evil.txt", .content = "evil"},
        {.name = "crc.txt", .content = "damaged", .crc = 1}},
       2,
       kUnzipFailureName,
       "..\\..\\evil.txt"},
      {"all well", {{.name = "good.txt", .content = "good"}}, 0, kUnzipFailureNone, ""},
      {"a writer's failure before damage",
       {{.name = "taken.txt", .content = std::string(100000, 't')},
        {.name = "crc.txt", .content = "damaged", .crc = 1}},
       2,
       kUnzipFailureWrite,
       "taken.txt"},
      {"damage",
       {{.name = "Help/crc.txt", .content = "damaged", .crc = 1}},
       1,
       kUnzipFailureDamaged,
       "Help/crc.txt"},
      {"no archive", {}, kUnzipBadArchive, kUnzipFailureUnreadable, ""},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    Calls calls;
    const std::string archive =
        step.members.empty() ? root_ + "\\missing.pck" : WriteArchive(step.members);
    EXPECT_EQ(Run(archive, calls), step.result);
    UnzipFailure failure;
    std::memset(&failure, 0xCC, sizeof failure);
    lastFailure_(&failure);
    EXPECT_EQ(failure.StructSize, sizeof failure);
    EXPECT_EQ(failure.Reason, step.reason);
    EXPECT_EQ(failure.OsError != 0, step.reason == kUnzipFailureWrite) << failure.OsError;
    EXPECT_EQ(std::string(failure.FileName), step.name);
  }
  // A null record is ignored, and a call without one clears the report too.
  lastFailure_(nullptr);
  EXPECT_EQ(exec_(nullptr), kUnzipBadParams);
  UnzipFailure failure{};
  lastFailure_(&failure);
  EXPECT_EQ(failure.Reason, kUnzipFailureNone);
}

TEST_F(DllTest, MissingArchiveEndsCleanly) {
  Calls calls;
  EXPECT_EQ(Run(root_ + "\\missing.pck", calls), kUnzipBadArchive);
  EXPECT_EQ(calls.codes, std::vector<int32_t>{3});
  EXPECT_EQ(exec_(nullptr), kUnzipBadParams);
}

}  // namespace
}  // namespace unzip::test
