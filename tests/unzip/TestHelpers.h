// Shared pieces of the extractor's tests: a scratch folder per test, a recording callback, a
// storage that fails on purpose, and one call that runs the extractor as UnzDllExec would.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "unzip/PosixStorage.h"
#include "unzip/UnzipApi.h"

namespace unzip::test {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);
void WriteText(const std::string& path, const std::string& text);
std::optional<std::string> ReadText(const std::string& path);
// Every file and folder under `root`, relative, sorted; folders end in '/'.
std::vector<std::string> ListTree(const std::string& root);

struct Event {
  std::int32_t code = 0;
  std::string name;
  std::int32_t size = 0;
  std::uint32_t written = 0;
  void* caller = nullptr;
};

class Recorder {
 public:
  std::vector<Event> events;
  // Answer "stop" on this event (0-based), or never.
  std::optional<std::size_t> stopAt;

  static std::int32_t UNZIP_STDCALL Callback(UnzipCallbackInfo* info);
  std::size_t Count(std::int32_t code) const;
};

// Fails every write once `limit` bytes of output were written in total: a disk that fills up.
// Its count of bytes is one for all files, so it is written on the caller's thread: with writers,
// which member meets the full disk first would be chance.
class FullDiskStorage : public PosixStorage {
 public:
  FullDiskStorage(std::string root, std::uint64_t limit)
      : PosixStorage(std::move(root)), limit_(limit) {}
  bool ConcurrentOutput() const override { return false; }
  Status WriteOutput(OutputFile file, const void* data, std::size_t size) override;

 private:
  std::uint64_t limit_;
  std::uint64_t written_ = 0;
};

struct ExtractCall {
  std::vector<std::string> specs;
  Recorder* recorder = nullptr;
  Storage* storage = nullptr;                      // default: a PosixStorage on the target folder
  std::optional<unsigned> writers = std::nullopt;  // default: the extractor's
  UnzipFailure* failure = nullptr;                 // receives what UnzDllLastFailure would
};

// Extracts `archive` into `folder` through unzip::Extract, filling the record as the installer
// does; returns what UnzDllExec would.
std::int32_t ExtractInto(const std::string& archive, const std::string& folder,
                         const ExtractCall& call = {});

}  // namespace unzip::test
