// The registry service: the current user's hive, where AutoCAD records each user's profiles,
// folders and variables, and the machine's, where it records where each product is installed.
// A path names a key of the current user's hive; one that starts with "HKLM\" names a key of the
// machine's, seen as 64-bit programs see it (on 64-bit Windows a 32-bit program would otherwise
// meet the copy of 32-bit programs, and miss a 64-bit AutoCAD). Like the file-system service it
// reports operating-system error codes (0 = done) and names no OS type, so the installer's logic
// and the headless backend never see an HKEY.
//
// On top of the service sits RegistryCursor, the way the installer reads values: one current key
// at a time, string values read with the run-time library's rules and errors.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/Errors.h"
#include "toolkit/UniqueHandle.h"

namespace toolkit {

using RegKeyId = std::uintptr_t;  // opaque; 0 is never an open key

enum class RegValueType {
  kString,        // REG_SZ
  kExpandString,  // REG_EXPAND_SZ
  kNumber,        // REG_DWORD
  kBinary,        // REG_BINARY
  kOther,         // any other kind, e.g. REG_MULTI_SZ
};

class Registry {
 public:
  virtual ~Registry() = default;

  // Opens, with full access, the key at `path` below the current user's root, creating it and any
  // missing parents. One leading backslash is allowed: it only says the path starts at the root.
  virtual std::uint32_t CreateKey(const std::string& path, RegKeyId& key) = 0;
  // Opens the key at `path` only when it exists (kErrFileNotFound otherwise), for walking a
  // branch of AutoCAD's that must not gain empty keys on the way: with full access, or to read
  // only where the user may read but not write (much of the machine's hive).
  virtual std::uint32_t OpenKey(const std::string& path, RegKeyId& key) = 0;
  virtual std::uint32_t CloseKey(RegKeyId key) = 0;
  // The type and data size in bytes (a string's terminating NUL included); kErrFileNotFound (2)
  // when the key has no such value.
  virtual std::uint32_t QueryValueInfo(RegKeyId key, const std::string& name, RegValueType& type,
                                       std::uint32_t& size) = 0;
  // The type and raw data of a value, as the registry stores it (strings with their NULs).
  virtual std::uint32_t QueryValue(RegKeyId key, const std::string& name, RegValueType& type,
                                   std::string& data) = 0;
  // The names of the key's direct sub-keys, spelt as they were created.
  virtual std::uint32_t SubKeyNames(RegKeyId key, std::vector<std::string>& names) = 0;
  // Stores `text` as a plain string value (REG_SZ), replacing any value of that name.
  virtual std::uint32_t WriteString(RegKeyId key, const std::string& name,
                                    const std::string& text) = 0;
  // Stores a number value (REG_DWORD), replacing any value of that name.
  virtual std::uint32_t WriteNumber(RegKeyId key, const std::string& name,
                                    std::uint32_t number) = 0;
  // Removes a value; kErrFileNotFound (2) when the key has none of that name.
  virtual std::uint32_t DeleteValue(RegKeyId key, const std::string& name) = 0;
  // Removes the key at `path` with its values; one that still has sub-keys stays (an error), and
  // a missing one is kErrFileNotFound.
  virtual std::uint32_t DeleteKey(const std::string& path) = 0;
};

// The prefix of a path in the machine's hive.
inline constexpr const char* kMachineHive = "HKLM\\";

// The service of the backend this program is linked with.
Registry& Reg();

// Closes a key of Reg(), ignoring the outcome: the owner of a key that goes away cannot act on it.
void CloseRegistryKey(RegKeyId key);
using UniqueRegKey = Unique<RegKeyId, CloseRegistryKey>;

// A failed registry read, with the run-time library's texts ("Invalid data type for '%s'", ...).
class ERegistryException : public Exception {
 public:
  explicit ERegistryException(const std::string& message) : Exception(message) {}
};

// The current user's registry seen through one current key, as the run-time library's registry
// object shows it: opening a key replaces the current one, and an open that fails leaves the
// previous key current, so that the next read still has a key to read from.
class RegistryCursor {
 public:
  // Opens or creates the key with full access; false (and the previous key kept) on failure.
  bool OpenKey(const std::string& path);
  // Opens the key only when it exists; false (and the previous key kept) otherwise.
  bool OpenExistingKey(const std::string& path);
  // The text of a string value of the current key; empty when the value is missing or holds no
  // data (or no key is open). Raises ERegistryException for a value of another type, or one the
  // registry reports but then fails to deliver.
  std::string ReadString(const std::string& name);
  // Whether the current key has a value of this name, of any type.
  bool HasValue(const std::string& name);
  // Stores a plain string value in the current key; raises ERegistryException ("Failed to set
  // data for '%s'") when it cannot, or when no key is open.
  void WriteString(const std::string& name, const std::string& text);
  // Stores a number value in the current key; false when it cannot.
  bool WriteNumber(const std::string& name, std::uint32_t number);
  // Removes a value of the current key; false when it cannot.
  bool DeleteValue(const std::string& name);
  // The current key's sub-keys; none when no key is open or they cannot be listed.
  std::vector<std::string> SubKeyNames();

 private:
  UniqueRegKey current_;
};

}  // namespace toolkit
