// The installation's journal file: every change an installation makes to the machine, written to
// the destination folder as the change is made, so that a failed or abandoned installation can be
// undone, what a killed installer left half done can be settled by the next run, and an
// uninstaller can take the product away again. Its text is install/JournalFormat.h's.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "install/JournalFormat.h"
#include "toolkit/ChangeRecorder.h"
#include "toolkit/FileSystem.h"

namespace install {

// A journal larger than this is not one an installation of the product writes (some thousand
// files take a few hundred kilobytes, each later installation as much again): it is refused
// rather than read into memory.
inline constexpr std::uint64_t kJournalSizeLimit = 32 * 1024 * 1024;

enum class JournalState {
  kMissing,     // there is no journal
  kRead,        // read; `contents` holds it
  kUnreadable,  // it cannot be opened or read, or holds no journal
  kNewer,       // a later version of the installer wrote it
  kTooLarge,    // past kJournalSizeLimit
};

struct JournalFile {
  JournalState state = JournalState::kMissing;
  JournalContents contents;
  std::uint64_t size = 0;  // the file's bytes
};

JournalFile ReadJournal(const std::string& path);

// What keeps a journal from being used, in the user's language ("cannot be read"); nothing for
// one that is missing or whole. A damaged one still says what stands before the damage.
std::optional<std::string> WhatIsWrongWith(const JournalFile& journal);

// The journal of the running installation or uninstallation. Changes made before the destination
// folder exists (the folders of the tree itself) wait in memory until Open gives them a file;
// from then on each change is written as it is made. A killed process loses none of them; a
// swap's entry, a key's and a registry value's are also on the disk before the change is made.
class Journal : public toolkit::ChangeRecorder {
 public:
  Journal(std::string product, RunKind kind);
  ~Journal() override;
  Journal(const Journal&) = delete;
  Journal& operator=(const Journal&) = delete;

  // Appends this run to the journal at `path` (`existing`, as read before), creating it when
  // there is none. A journal of the first version is taken to the current one: its first line
  // says so from now on. Raises EInOutError when the file cannot be written, and an Exception
  // with the journal's message for one that was not read (the installation refuses it first).
  void Open(const std::string& path, const JournalFile& existing);

  void FolderCreated(const std::string& path) override;
  void FileCreated(const std::string& path, std::uint64_t size) override;
  void FileChecksum(const std::string& path, std::uint32_t crc) override;
  void HoldRecords() override { holding_ = true; }
  void WriteHeldRecords() override;
  void SwapStarts(const toolkit::FileSwap& swap) override;
  void Rewritten(const toolkit::FileSwap& swap) override;
  void RegistryValueChanged(const std::string& key, const std::string& name,
                            const std::string& added,
                            const std::optional<std::string>& before) override;
  void KeyCreated(const std::string& path) override;
  void GroupCreated(const std::string& name) override;

  // The run ended with its success.
  void Complete();
  // Takes this run out of the journal file again, or the file itself when this run created it.
  // The changes stay known to ThisRun().
  void Forget();

  const std::vector<Change>& ThisRun() const { return changes_; }
  // The bytes of the files the journal's runs, this one included, have placed.
  std::uint64_t PlacedBytes() const;
  // The journal file's bytes so far.
  std::uint64_t FileSize() const { return fileSize_; }
  // This run began the journal file.
  bool StartedTheFile() const { return createdFile_; }

 private:
  void Add(Change change, bool toDisk);
  void Write(const std::string& text);

  std::string product_;
  RunKind kind_;
  std::vector<Change> changes_;
  std::size_t crcCursor_ = 0;
  std::uint64_t earlierBytes_ = 0;
  std::string pending_;  // lines waiting for the file
  bool holding_ = false;
  std::string held_;  // lines held for one write
  std::string path_;
  toolkit::fs::File file_;
  bool createdFile_ = false;
  std::uint64_t fileSize_ = 0;
};

}  // namespace install
