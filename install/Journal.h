// The installation's journal: every change an installation makes to the disk, written to the
// destination folder as the change is made, so that a failed or abandoned installation can be
// undone, an AutoCAD file left half swapped by a killed installer can be repaired by the next
// run, and an uninstaller can take the product away again. docs/JOURNAL.md describes the format:
// plain text, one change per line, versioned by its first line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cad/Rewrite.h"
#include "extract/Extraction.h"

namespace config {
class FrontEnd;
}

namespace install {

// The journal's file name in the destination folder.
inline constexpr const char* kJournalName = "INSTALL.JNL";
inline constexpr int kJournalVersion = 1;

struct Change {
  enum class Kind {
    kFolder,    // a folder the run created
    kFile,      // a file the run created where no file stood
    kSwap,      // an AutoCAD file's copy is complete; the renames follow
    kPatch,     // the swap is done: the copy has the file's name, the old text is the backup
    kRegistry,  // an entry added to a registry value of the current user
    kGroup,     // a Program Manager group the run created, by its name
    kKey,       // a registry key of the current user the run created, with the values it wrote
  };
  Kind kind = Kind::kFolder;
  std::string path;                         // the folder, the file, or the AutoCAD file
  std::uint64_t size = 0;                   // kFile: its size as the archive gave it
  std::optional<std::uint32_t> crc;         // kFile: its CRC-32, once the file is complete
  cad::RewritePaths rewrite;                // kSwap and kPatch
  std::vector<cad::InsertedLine> inserted;  // kPatch: the lines it added
  // kRegistry: `path` is the key; the value's name, the entry added, and what the value held
  // before (nothing when it did not exist).
  std::string valueName;
  std::string added;
  std::optional<std::string> before;

  friend bool operator==(const Change&, const Change&) = default;
};

// One installation's part of the journal, in the order its changes were made.
struct JournalRun {
  int number = 0;
  std::string product;
  std::vector<Change> changes;
  bool complete = false;  // ended with its success; false for a run that was cut short
};

// Everything a journal file holds. Reading stops at a line that is cut short or not understood:
// what stands before it is kept.
struct JournalContents {
  int version = 0;
  std::vector<JournalRun> runs;
};
std::optional<JournalContents> ReadJournal(const std::string& path);
// The same, from the file's text.
std::optional<JournalContents> ParseJournal(const std::string& text);

// The journal of the running installation. Changes made before the destination folder exists
// (the folders of the tree itself) wait in memory until Open gives them a file; from then on each
// change is written as it is made. A killed process loses none of them; a swap's entry is also on
// the disk before its renames start.
class Journal : public cad::RewriteJournal, public extract::ExtractionJournal {
 public:
  explicit Journal(std::string product);
  ~Journal() override;
  Journal(const Journal&) = delete;
  Journal& operator=(const Journal&) = delete;

  // Appends this run to the journal at `path`, creating it when there is none.
  void Open(const std::string& path);
  // Tells `frontEnd` what became of each AutoCAD file: rewritten (with its backup) or left alone.
  void NoteTo(config::FrontEnd& frontEnd) { notes_ = &frontEnd; }
  void AlreadyPatched(const std::string& target) override;
  void FolderCreated(const std::string& path) override;
  void FileCreated(const std::string& path, std::uint64_t size) override;
  // The file is complete, with this CRC: the uninstaller deletes it only while it still has it.
  void FileChecksum(const std::string& path, std::uint32_t crc) override;
  void HoldRecords() override { holding_ = true; }
  void WriteHeldRecords() override;
  void GroupCreated(const std::string& name);
  void KeyCreated(const std::string& path);
  void SwapStarts(const cad::RewritePaths& paths) override;
  void Rewritten(const cad::RewritePaths& paths,
                 const std::vector<cad::InsertedLine>& inserted) override;
  void RegistryValueChanged(const std::string& key, const std::string& name,
                            const std::string& added,
                            const std::optional<std::string>& before) override;
  // The run ended with its success.
  void Complete();
  // Takes this run out of the journal file again, or the file itself when this run created it.
  // The changes stay known to ThisRun().
  void Forget();

  const std::vector<Change>& ThisRun() const { return changes_; }
  // The bytes of the files the journal's runs, this one included, have placed.
  std::uint64_t PlacedBytes() const;

 private:
  void Add(Change change, bool toDisk);
  void Write(const std::string& text);

  std::string product_;
  config::FrontEnd* notes_ = nullptr;
  std::vector<Change> changes_;
  std::size_t crcCursor_ = 0;
  std::uint64_t earlierBytes_ = 0;
  std::string pending_;  // lines waiting for the file
  bool holding_ = false;
  std::string held_;  // lines held for one write
  std::string path_;
  toolkit::fs::File file_;
  bool createdFile_ = false;
};

// The text of one change, as the journal writes it (one or more lines, each ending with CR LF).
std::string FormatChange(const Change& change);

// Gives the CRC to the file change of `path` among `changes`. The CRCs of a package come in the
// order of its files, so the search starts at `cursor`, where the last one was found.
void AttachCrc(std::vector<Change>& changes, std::size_t& cursor, const std::string& path,
               std::uint32_t crc);

}  // namespace install
