// A user whose name the system's ANSI code page (1252 here) cannot hold, with the real programs on
// 64-bit Windows: the user's application data and temporary folder under "C:\users\Łukasz", an
// AutoCAD 2026 whose profile lies there, and the medium in "C:\Установка". Wine takes the user's
// name from the Unix user, so the test points the user's shell folder of application data and the
// programs' %TEMP% at such folders instead, and lays AutoCAD's registry keys to name them; it puts
// back what it changed, since the prefix is shared. The installation finds the profile, installs
// and logs every name as it is, the removal leaves every AutoCAD file byte for byte as it was, per
// user and for every user; and the dialog shows such a folder whole.
//
// The test's own calls are the wide ones throughout: an ANSI call would itself best-fit the names.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tests/wine/extract/MediumFixture.h"
#include "tests/wine/support/Driver.h"
#include "tests/wine/support/Wow64.h"
#include "tests/wine/wow64/Scene.h"

namespace {

namespace fs = std::filesystem;
using namespace winetest;
using namespace winetest::wow64;

std::wstring W(const std::string& utf8) {
  const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
  std::wstring wide(std::size_t(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), wide.data(), length);
  return wide;
}

std::string U(const std::wstring& wide) {
  const int length =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string utf8(std::size_t(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), utf8.data(), length, nullptr,
                      nullptr);
  return utf8;
}

bool IsUtf8(const std::string& bytes) {
  return bytes.empty() || MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(),
                                              int(bytes.size()), nullptr, 0) > 0;
}

const std::string kUser = "C:\\users\\\xC5\x81ukasz";  // Łukasz
const std::string kRoaming = kUser + "\\AppData\\Roaming";
const std::string kLocal = kUser + "\\AppData\\Local";
const std::string kTemp = kLocal + "\\Temp";
// The record folder, where the user's journal and uninstaller live.
const std::string kRecord = kLocal + "\\Tolvek";
const std::string kMedium =
    "C:\\\xD0\xA3\xD1\x81\xD1\x82\xD0\xB0\xD0\xBD\xD0\xBE\xD0\xB2\xD0\xBA\xD0\xB0";
const std::string kMediumBuilt = "C:\\medium-unicode";
const std::string kProduct2026 = kAutoCad + "\\R25.1\\ACAD-9101:410";
const std::string kProduct2005 = kAutoCad + "\\R16.1\\ACAD-301:410";
const std::string kSupport2026 = kRoaming + "\\Autodesk\\AutoCAD 2026\\R25.1\\ita\\Support\\";
const std::string kSupport2005 = kRoaming + "\\Autodesk\\AutoCAD 2005\\R16.1\\ita\\Support\\";
const std::string kBundle = kRoaming + "\\Autodesk\\ApplicationPlugins\\Tolvek.bundle";
const std::string kVariables = "\\Profiles\\<<Unnamed Profile>>\\Variables";
const std::string kActiveSetup =
    "Software\\Microsoft\\Active Setup\\Installed Components\\"
    "{7E2B6C41-3F0D-4A8E-9B15-6D4C2A9E8F03}";
const std::string kShellFolders =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
const std::string kRunLine = "RUNTOLVEK, START c:/tolvek4/tolvek.exe, 1,,\r\n";

// AutoCAD's files as users' editors leave them: the command alias file in UTF-8 with its mark and
// a Cyrillic comment, the menu in code page 1251.
const std::string kPgp =
    "\xEF\xBB\xBF; \xD0\x9F\xD1\x80\xD0\xB8\xD0\xBC\xD0\xB5\xD1\x80\r\nA, *ARC\r\n";
const std::string kMns = "// \xCF\xF0\xE8\xEC\xE5\xF0\r\n***TOOLBARS\r\n***HELPSTRINGS\r\n";

void Put(const std::string& path, const std::string& bytes) {
  fs::create_directories(fs::path(W(path)).parent_path());
  toolkit::win32::UniqueHandle file(toolkit::win32::NullIfInvalid(CreateFileW(
      W(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)));
  DWORD written = 0;
  ::WriteFile(file.Get(), bytes.data(), DWORD(bytes.size()), &written, nullptr);
}

std::optional<std::string> Get(const std::string& path) {
  toolkit::win32::UniqueHandle file(toolkit::win32::NullIfInvalid(
      CreateFileW(W(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)));
  if (!file) return std::nullopt;
  std::string bytes(GetFileSize(file.Get(), nullptr), '\0');
  DWORD read = 0;
  ::ReadFile(file.Get(), bytes.data(), DWORD(bytes.size()), &read, nullptr);
  bytes.resize(read);
  return bytes;
}

void Remove(const std::string& folder) {
  std::error_code ignored;
  fs::remove_all(fs::path(W(folder)), ignored);
}

REGSAM Flag(View view) { return view == View::k64 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY; }

void SetText(HKEY root, View view, const std::string& key, const std::string& name,
             const std::string& value, DWORD type = REG_SZ) {
  HKEY created = nullptr;
  ASSERT_EQ(RegCreateKeyExW(root, W(key).c_str(), 0, nullptr, 0, KEY_SET_VALUE | Flag(view),
                            nullptr, &created, nullptr),
            ERROR_SUCCESS);
  toolkit::win32::UniqueKey owned(created);
  const std::wstring text = W(value);
  ASSERT_EQ(RegSetValueExW(owned.Get(), W(name).c_str(), 0, type,
                           reinterpret_cast<const BYTE*>(text.c_str()),
                           DWORD((text.size() + 1) * sizeof(wchar_t))),
            ERROR_SUCCESS);
}

// A text value and its type; nothing when it is missing.
std::optional<std::pair<std::string, DWORD>> TextOf(HKEY root, View view, const std::string& key,
                                                    const std::string& name) {
  HKEY opened = nullptr;
  if (RegOpenKeyExW(root, W(key).c_str(), 0, KEY_QUERY_VALUE | Flag(view), &opened) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  toolkit::win32::UniqueKey owned(opened);
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExW(owned.Get(), W(name).c_str(), nullptr, &type, nullptr, &size) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
  RegQueryValueExW(owned.Get(), W(name).c_str(), nullptr, &type,
                   reinterpret_cast<BYTE*>(text.data()), &size);
  text.resize(wcsnlen(text.c_str(), text.size()));
  return std::pair{U(text), type};
}

std::string Text(HKEY root, View view, const std::string& key, const std::string& name) {
  const auto value = TextOf(root, view, key, name);
  return value ? value->first : "<none>";
}

// The process's environment with %TEMP% and %TMP% at the user's temporary folder.
std::wstring EnvironmentWithTemp() {
  std::wstring block;
  wchar_t* strings = GetEnvironmentStringsW();
  for (const wchar_t* at = strings; *at != L'\0'; at += wcslen(at) + 1) {
    const std::wstring entry = at;
    if (_wcsnicmp(at, L"TEMP=", 5) == 0 || _wcsnicmp(at, L"TMP=", 4) == 0) continue;
    block += entry + L'\0';
  }
  FreeEnvironmentStringsW(strings);
  block += L"TEMP=" + W(kTemp) + L'\0' + L"TMP=" + W(kTemp) + L'\0';
  return block + L'\0';
}

// Starts the program with its arguments (both UTF-8) in the user's environment.
class Started {
 public:
  Started(const std::string& exe, const std::string& arguments) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::wstring line = L"\"" + W(exe) + L"\" " + W(arguments);
    std::wstring environment = EnvironmentWithTemp();
    if (CreateProcessW(W(exe).c_str(), line.data(), nullptr, nullptr, FALSE,
                       CREATE_UNICODE_ENVIRONMENT, environment.data(), L"C:\\", &startup, &info)) {
      process_.Reset(info.hProcess);
      thread_.Reset(info.hThread);
      id_ = info.dwProcessId;
    }
  }
  ~Started() {
    if (process_ && WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT) {
      TerminateProcess(process_.Get(), 1);
      WaitForSingleObject(process_.Get(), 5000);
    }
    EndProgramManagers();
  }
  Started(const Started&) = delete;
  Started& operator=(const Started&) = delete;

  DWORD Id() const { return id_; }
  std::optional<DWORD> ExitCode() {
    if (!process_ || WaitForSingleObject(process_.Get(), 120000) != WAIT_OBJECT_0) {
      return std::nullopt;
    }
    DWORD code = 0;
    GetExitCodeProcess(process_.Get(), &code);
    return code;
  }

 private:
  toolkit::win32::UniqueHandle process_;
  toolkit::win32::UniqueHandle thread_;
  DWORD id_ = 0;
};

std::optional<DWORD> RunAsUser(const std::string& exe, const std::string& arguments) {
  return Started(exe, arguments).ExitCode();
}

// A command as the registry holds it, run to its end.
std::optional<DWORD> RunRegistered(const std::string& command) {
  const auto [exe, arguments] = SplitCommand(command);
  return RunAsUser(exe, arguments);
}

class UnicodeNamesWineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(ProgramFiles64());
    for (const char* folder : kRedirected) {
      saved_[folder] = TextOf(HKEY_CURRENT_USER, View::k64, kShellFolders, folder);
    }
    Clean();
    BuildDemoMedium(kMediumBuilt);
    // Wine makes a Unix file name of a Windows one in the locale's character set: this needs a
    // UTF-8 locale (scripts/deps.sh makes en_US.UTF-8).
    ASSERT_TRUE(MoveFileW(W(kMediumBuilt).c_str(), W(kMedium).c_str())) << GetLastError();
    fs::create_directories(fs::path(W(kTemp)));
    fs::create_directories(fs::path(W(kRoaming)));
    SetText(HKEY_CURRENT_USER, View::k64, kShellFolders, "AppData", kRoaming, REG_EXPAND_SZ);
    SetText(HKEY_CURRENT_USER, View::k64, kShellFolders, "Local AppData", kLocal, REG_EXPAND_SZ);
    acad_ = *ProgramFiles64() + "\\Autodesk\\AutoCAD 2026";
    MakeTree(acad_);
    SetText(HKEY_LOCAL_MACHINE, View::k64, kProduct2026, "AcadLocation", acad_);
  }

  void TearDown() override {
    Clean();
    for (const auto& [folder, value] : saved_) {
      if (value) {
        SetText(HKEY_CURRENT_USER, View::k64, kShellFolders, folder, value->first, value->second);
        continue;
      }
      HKEY key = nullptr;
      if (RegOpenKeyExW(HKEY_CURRENT_USER, W(kShellFolders).c_str(), 0, KEY_SET_VALUE, &key) ==
          ERROR_SUCCESS) {
        RegDeleteValueW(key, W(folder).c_str());
        RegCloseKey(key);
      }
    }
  }

  void Clean() {
    DeleteEverywhere({kAutoCad, kEntry, kActiveSetup});
    for (const std::string& folder :
         {kMedium, kMediumBuilt, kUser, std::string("C:\\Tolvek4"), extractwine::kScratch,
          *ProgramFiles64() + "\\Tolvek",
          *ProgramFiles64() + "\\Autodesk\\ApplicationPlugins\\Tolvek.bundle"}) {
      Remove(folder);
    }
  }

  // The user has started the AutoCAD of `product` once: its profile, support folder and files.
  static void Start(const std::string& product, const std::string& support) {
    const std::string root = support.substr(0, support.size() - std::string("Support\\").size());
    SetText(HKEY_CURRENT_USER, View::k64, product, "RoamableRootFolder", root);
    SetText(HKEY_CURRENT_USER, View::k64, product + kVariables, "TRUSTEDPATHS", "C:\\Lisp");
    Put(support + "acad.pgp", kPgp);
    Put(support + "acad.mns", kMns);
  }

  // A log the programs wrote: UTF-8 after its mark, with every name as it is.
  static void ExpectLogNames(const std::string& path, const std::vector<std::string>& names) {
    const std::optional<std::string> bytes = Get(path);
    ASSERT_TRUE(bytes) << path;
    ASSERT_TRUE(bytes->starts_with("\xEF\xBB\xBF")) << *bytes;
    EXPECT_TRUE(IsUtf8(*bytes)) << *bytes;
    for (const std::string& name : names) {
      EXPECT_NE(bytes->find(name), std::string::npos) << name << "\n" << *bytes;
    }
    // Nothing best-fitted ("Lukasz") or lost to a '?' in a path.
    for (const char* wrong : {"Lukasz", "\\?", "?\\", "C:\\?"}) {
      EXPECT_EQ(bytes->find(wrong), std::string::npos) << wrong << "\n" << *bytes;
    }
  }

  // The user's folders as the prefix had them, given back after the test.
  static constexpr const char* kRedirected[] = {"AppData", "Local AppData"};
  std::map<std::string, std::optional<std::pair<std::string, DWORD>>> saved_;
  std::string acad_;
};

TEST_F(UnicodeNamesWineTest, ASilentInstallationForTheUserIsMadeAndTakenBackByTheTrueNames) {
  Start(kProduct2026, kSupport2026);
  ASSERT_EQ(RunAsUser(kMedium + "\\INSTALL.EXE", "/S /NOGROUP"), 3010u);

  EXPECT_EQ(Get(kSupport2026 + "acad.pgp"), kPgp + kRunLine);
  EXPECT_TRUE(Get(kSupport2026 + "acad.mns")->starts_with(kMns.substr(0, 10)));
  EXPECT_TRUE(Get(kSupport2026 + "tolvek.lsp"));
  EXPECT_TRUE(Get(kBundle + "\\Contents\\tolvek.lsp"));
  EXPECT_EQ(Text(HKEY_CURRENT_USER, View::k64, kProduct2026 + kVariables, "TRUSTEDPATHS"),
            "C:\\Lisp;" + kBundle + "\\Contents");
  ExpectLogNames(kTemp + "\\Tolvek-install.log",
                 {"Installazione avviata da " + kMedium, "Modificato: " + kSupport2026 + "acad.pgp",
                  "pacchetto " + kBundle + "\\Contents"});
  const std::string journal = Get(kRecord + "\\INSTALL.JNL").value_or("");
  EXPECT_TRUE(journal.starts_with("TOLVEK-JOURNAL\t3\r\n")) << journal;
  EXPECT_NE(journal.find("PATCH\t1\t" + kSupport2026 + "acad.pgp\t"), std::string::npos) << journal;
  EXPECT_EQ(Text(HKEY_CURRENT_USER, View::k64, kEntry, "DisplayIcon"), kRecord + "\\UNINSTAL.EXE");

  const std::string quiet = Text(HKEY_CURRENT_USER, View::k64, kEntry, "QuietUninstallString");
  ASSERT_EQ(RunRegistered(quiet), 0u) << quiet;
  EXPECT_EQ(Get(kSupport2026 + "acad.pgp"), kPgp);
  EXPECT_EQ(Get(kSupport2026 + "acad.mns"), kMns);
  EXPECT_FALSE(Get(kSupport2026 + "tolvek.lsp"));
  EXPECT_FALSE(Get(kBundle + "\\Contents\\tolvek.lsp"));
  EXPECT_EQ(Text(HKEY_CURRENT_USER, View::k64, kProduct2026 + kVariables, "TRUSTEDPATHS"),
            "C:\\Lisp");
  ExpectLogNames(kTemp + "\\Tolvek-uninstall.log", {kSupport2026 + "acad.pgp"});
}

// For every user: the machine's part from the administrator's run, each user's part at the user's
// logon (Active Setup's command, run here in the user's environment), in the user's own folders;
// the removal, then the next logon, take it back.
TEST_F(UnicodeNamesWineTest, EachUsersPartReachesTheProfileAndGoesAgain) {
  Start(kProduct2026, kSupport2026);
  // An AutoCAD 2005 of the same user, whose menu and command alias are the user's part.
  Start(kProduct2005, kSupport2005);
  ASSERT_EQ(RunAsUser(kMedium + "\\INSTALL.EXE", "/S /ALLUSERS /NOGROUP"), 3010u);
  const std::string stub = Text(HKEY_LOCAL_MACHINE, View::k64, kActiveSetup, "StubPath");
  ASSERT_EQ(RunRegistered(stub), 0u) << stub;
  EXPECT_EQ(Get(kSupport2005 + "acad.pgp"), kPgp + kRunLine);
  EXPECT_TRUE(Get(kSupport2005 + "tolvek.lsp"));
  EXPECT_EQ(Get(kSupport2026 + "acad.pgp"), kPgp);
  ExpectLogNames(kTemp + "\\Tolvek-user.log", {"Modificato: " + kSupport2005 + "acad.pgp"});
  EXPECT_NE(Get(kRoaming + "\\Tolvek\\INSTALL.JNL").value_or("").find(kSupport2005),
            std::string::npos);

  const std::string quiet = Text(HKEY_LOCAL_MACHINE, View::k64, kEntry, "QuietUninstallString");
  ASSERT_EQ(RunRegistered(quiet), 0u) << quiet;
  ASSERT_EQ(RunRegistered(stub), 0u) << stub;
  for (const std::string& support : {kSupport2005, kSupport2026}) {
    EXPECT_EQ(Get(support + "acad.pgp"), kPgp) << support;
    EXPECT_EQ(Get(support + "acad.mns"), kMns) << support;
    EXPECT_FALSE(Get(support + "tolvek.lsp")) << support;
  }
}

// The dialog proposes a folder whose name code page 1252 cannot hold, as it is: the window shows
// every character of it.
TEST_F(UnicodeNamesWineTest, TheDialogShowsAFolderBeyondTheCodePageWhole) {
  const std::string folder = kUser +
                             "\\AutoCAD \xC5\x81\xC3\xB3"
                             "d\xC5\xBA";
  fs::create_directories(fs::path(W(folder)));
  Started installer(kMedium + "\\INSTALL.EXE", "\"/ACAD=" + folder + "\"");
  ASSERT_NE(installer.Id(), 0u);
  HWND dialog =
      WaitForWindow(installer.Id(), [](HWND window) { return ControlName(window) == "MainDlg"; });
  ASSERT_NE(dialog, nullptr);
  HWND edit = FindControl(dialog, "AppDir");
  ASSERT_NE(edit, nullptr);
  // An edit box of another process keeps its text itself: it is asked for it (GetWindowText
  // reads only the window's caption across processes).
  wchar_t shown[MAX_PATH] = {};
  WaitUntil([&] {
    return SendMessageW(edit, WM_GETTEXT, MAX_PATH, reinterpret_cast<LPARAM>(shown)) > 0;
  });
  EXPECT_EQ(U(shown), folder);
  EXPECT_EQ(std::wstring(shown).find(L'?'), std::wstring::npos);
}

}  // namespace
