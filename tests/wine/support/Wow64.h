// What a 32-bit program meets on 64-bit Windows, for the Wine tests that run in the 64-bit prefix
// (add_wine64_test): there the registry has two views of HKLM\Software, the 32-bit program's
// Program Files is "C:\Program Files (x86)", and the 64-bit one must be asked for by name.
//
// Every registry call names its view explicitly, so that a test says which one it writes and which
// one it reads, instead of meeting WoW64's redirection by surprise. Keys are given below a root
// (HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER) as "Software\\...".
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace winetest::wow64 {

// AutoCAD's own key and the product's Add or Remove Programs entry, below HKLM or HKCU.
inline const std::string kAutoCad = "Software\\Autodesk\\AutoCAD";
inline const std::string kEntry = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tolvek";

enum class View {
  k64,  // KEY_WOW64_64KEY: what a 64-bit program, AutoCAD 2020 and later among them, sees
  k32,  // KEY_WOW64_32KEY: what a 32-bit program sees by default (WOW6432Node under Software)
};

// Creates the key if needed and sets a string value (REG_SZ); the system's error code, or
// ERROR_SUCCESS.
LONG WriteString(HKEY root, View view, const std::string& key, const std::string& name,
                 const std::string& value);
// The string value, or nothing when the key or the value is missing or not a string.
std::optional<std::string> ReadString(HKEY root, View view, const std::string& key,
                                      const std::string& name);
bool KeyExists(HKEY root, View view, const std::string& key);
// Deletes the key with all its sub-keys; ERROR_SUCCESS also when it did not exist.
LONG DeleteTree(HKEY root, View view, const std::string& key);

// Whether this process is a 32-bit one running on 64-bit Windows.
bool RunsUnderWow64();

// The Program Files folder a 32-bit program is given (CSIDL_PROGRAM_FILES, as the installer's
// toolkit asks for it): "C:\Program Files (x86)" under WoW64.
std::string ProgramFiles32();
// The 64-bit Program Files folder, from the ProgramW6432 variable 64-bit Windows gives every
// process; nothing on 32-bit Windows. A 32-bit program cannot take it from the known folder
// FOLDERID_ProgramFilesX64, which Windows refuses to 32-bit programs.
std::optional<std::string> ProgramFiles64();

// The user's Roaming folder (CSIDL_APPDATA), where a per-user bundle goes.
std::string AppData();

}  // namespace winetest::wow64
