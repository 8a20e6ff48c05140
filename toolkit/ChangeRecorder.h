// What an installation changes on the machine, told as it is made to whoever keeps the record:
// the installer's journal, from which a failed installation is undone, a killed one repaired and
// the product removed again. Every layer that changes something takes the recorder it is handed,
// so a change made outside an installation (a test, a tool) is simply told to nobody.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace toolkit {

// A file's bytes as the undo recognises them: a file is taken away or put back only while it
// still has the size and CRC-32 the record gives.
struct FileSum {
  std::uint64_t size = 0;
  std::uint32_t crc = 0;
  friend bool operator==(const FileSum&, const FileSum&) = default;
};

// A line a rewrite added, by its 1-based number in the new text.
struct InsertedLine {
  std::size_t number = 0;
  std::string text;
  friend bool operator==(const InsertedLine&, const InsertedLine&) = default;
};

// One rewrite of a text file through a copy: the copy is written under `temp`, an older backup
// waits under `aside`, the file becomes `backup` and the copy takes its name.
struct FileSwap {
  std::string target;
  std::string temp;
  std::string backup;
  std::string aside;
  FileSum original;  // the target's bytes before the rewrite
  FileSum written;   // the copy's bytes, which take the target's name
  // The line end of each line of the original, coded (cad/LineEnds.h), so that the original can
  // be rebuilt byte for byte from the copy.
  std::string lineEnds;
  std::vector<InsertedLine> inserted;  // the lines the copy added, numbered in the copy
  friend bool operator==(const FileSwap&, const FileSwap&) = default;
};

// Why a text file that was to be rewritten was left as it was.
enum class LeftReason {
  kAlreadyThere,  // it holds the product's lines from an earlier installation
  kNothingToAdd,  // it has no place where the product's lines belong
};

class ChangeRecorder {
 public:
  virtual ~ChangeRecorder() = default;

  // A folder or a file made where none stood, told before it is made: afterwards nobody could
  // tell a new file from one it replaced.
  virtual void FolderCreated(const std::string& path) = 0;
  virtual void FileCreated(const std::string& path, std::uint64_t size) = 0;
  // The file told of is complete and has this CRC-32.
  virtual void FileChecksum(const std::string& path, std::uint32_t crc) = 0;
  // What is told between the two calls may be kept at the second, in one write: the records of a
  // whole package, told before the library starts.
  virtual void HoldRecords() {}
  virtual void WriteHeldRecords() {}

  // The copy of a rewrite is complete and on the disk; the renames follow. What the recorder
  // keeps of this must be on the disk too when it returns.
  virtual void SwapStarts(const FileSwap& swap) = 0;
  // The copy holds the target's name and the old text is the backup.
  virtual void Rewritten(const FileSwap& swap) = 0;
  virtual void LeftAsItWas(const std::string& /*target*/, LeftReason /*why*/) {}

  // An entry added to a registry value that held `before` (nothing when it did not exist).
  virtual void RegistryValueChanged(const std::string& key, const std::string& name,
                                    const std::string& added,
                                    const std::optional<std::string>& before) = 0;
  // A registry key made where none stood, told before it is made.
  virtual void KeyCreated(const std::string& path) = 0;
  // A Program Manager group the user agreed to, sent by its name.
  virtual void GroupCreated(const std::string& name) = 0;
};

// The recorder of changes that nobody records.
ChangeRecorder& NoRecording();

}  // namespace toolkit
