// The headless backend's registry: the current user's hive in memory, with typed values that tests
// fill and read back. Key and value names are compared without regard to the case of a-z, as the
// Windows registry compares them, and listed as they were first spelt. Tests can make a key
// impossible to open or create, and make a value that the registry lists fail to deliver its data.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "toolkit/Registry.h"

namespace toolkit::headless {

// Returned for a path that starts with an empty name ("\\\\Software"): past the one backslash
// that means "from the root", a key's path is relative and may not start with a separator.
inline constexpr std::uint32_t kErrBadPathname = 161;

class MemoryRegistry : public Registry {
 public:
  // --- Set-up and inspection for tests -------------------------------------------------------
  // No keys, no open keys, no faults.
  void Reset();
  // Each setter creates the key (and its parents) when missing. Strings are stored with their
  // terminating NUL, as the registry stores them.
  void SetString(const std::string& path, const std::string& name, const std::string& text);
  void SetExpandString(const std::string& path, const std::string& name, const std::string& text);
  void SetNumber(const std::string& path, const std::string& name, std::uint32_t number);
  void SetRaw(const std::string& path, const std::string& name, RegValueType type,
              const std::string& data);
  bool KeyExists(const std::string& path) const;
  std::optional<std::pair<RegValueType, std::string>> Value(const std::string& path,
                                                            const std::string& name) const;
  // The text of a string value as a reader gets it (up to its first NUL); nothing when the value
  // is missing or of another type.
  std::optional<std::string> StringValue(const std::string& path, const std::string& name) const;
  // Every key and value, to compare the whole hive before and after a run: a key by its folded
  // path with an empty text, a value by its key's folded path, "|", its folded name, with its
  // type's number, ":" and its data.
  std::map<std::string, std::string> Snapshot() const;
  int OpenKeyCount() const { return static_cast<int>(open_.size()); }
  int CreateKeyCount() const { return createCalls_; }
  // Opening or creating this key fails with `code` until cleared with 0.
  void FailCreateKey(const std::string& path, std::uint32_t code);
  // The value is listed with its type and size, but reading its data fails with `code`.
  void FailQueryValue(const std::string& path, const std::string& name, std::uint32_t code);

  // --- Registry ------------------------------------------------------------------------------
  std::uint32_t CreateKey(const std::string& path, RegKeyId& key) override;
  std::uint32_t OpenKey(const std::string& path, RegKeyId& key) override;
  std::uint32_t DeleteValue(RegKeyId key, const std::string& name) override;
  std::uint32_t DeleteKey(const std::string& path) override;
  std::uint32_t WriteNumber(RegKeyId key, const std::string& name, std::uint32_t number) override;
  std::uint32_t CloseKey(RegKeyId key) override;
  std::uint32_t QueryValueInfo(RegKeyId key, const std::string& name, RegValueType& type,
                               std::uint32_t& size) override;
  std::uint32_t QueryValue(RegKeyId key, const std::string& name, RegValueType& type,
                           std::string& data) override;
  std::uint32_t SubKeyNames(RegKeyId key, std::vector<std::string>& names) override;
  std::uint32_t WriteString(RegKeyId key, const std::string& name,
                            const std::string& text) override;

 private:
  struct StoredValue {
    RegValueType type;
    std::string data;
  };
  struct Key {
    std::string name;                           // the last part of the path, as first spelt
    std::map<std::string, StoredValue> values;  // by folded name
  };

  // The path without its outer backslashes, and its folded ("software\autodesk") form; false for
  // a malformed one.
  static bool Normalize(const std::string& path, std::string& folded, std::string* spelt = nullptr);
  Key& MakeKey(const std::string& spelt);
  std::uint32_t Open(const std::string& path, bool create, RegKeyId& key);
  const StoredValue* FindValue(RegKeyId key, const std::string& name) const;

  std::map<std::string, Key> keys_;  // by folded path; every parent has its own entry
  std::map<RegKeyId, std::string> open_;
  RegKeyId nextId_ = 1;
  int createCalls_ = 0;
  std::map<std::string, std::uint32_t> createFaults_;                         // by folded path
  std::map<std::pair<std::string, std::string>, std::uint32_t> queryFaults_;  // path, name
};

// The instance behind toolkit::Reg() in the headless backend.
MemoryRegistry& MemReg();

}  // namespace toolkit::headless
