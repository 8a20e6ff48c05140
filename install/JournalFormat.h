// The text of the installation's journal (docs/JOURNAL.md): plain text, one record a line, fields
// parted by tabs, versioned by its first line. This is the one place that writes and reads it;
// install/Journal.h keeps the file, install/Undo.h acts on what it says.
//
// The file lies in a folder others may have written to, so reading it trusts nothing: a text that
// is no journal, or of a later version, is said to be so rather than guessed at, and a line that
// is not understood ends the reading, with what stands before it kept and the cut said.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/ChangeRecorder.h"

namespace install {

// The journal's file name in the destination folder.
inline constexpr const char* kJournalName = "INSTALL.JNL";
// Version 2 added the sizes and CRCs of each rewrite's two texts and the original's line ends,
// and the kind of each run; version 3 writes its texts in UTF-8 (each run says so), where the
// earlier ones wrote code page 1252. Versions 1 and 2 are still read, their texts converted.
inline constexpr int kJournalVersion = 3;

struct Change {
  enum class Kind {
    kFolder,    // a folder the run created
    kFile,      // a file the run created where no file stood
    kSwap,      // a rewrite's copy is complete; the renames follow
    kPatch,     // the rewrite is done: the copy has the file's name, the old text is the backup
    kRegistry,  // an entry added to a registry value
    kGroup,     // a Program Manager group the run created, by its name
    kKey,       // a registry key the run created, with the values it wrote
  };
  Kind kind = Kind::kFolder;
  std::string path;                  // the folder, the file, the rewritten file, the key or group
  std::uint64_t size = 0;            // kFile: its size as the archive gave it
  std::optional<std::uint32_t> crc;  // kFile: its CRC-32, once the file is complete
  toolkit::FileSwap swap;            // kSwap and kPatch (the inserted lines for kPatch only)
  // kSwap and kPatch: the swap's sizes, CRCs and line ends are known (a version 1 record has
  // only its paths and lines).
  bool summed = false;
  // kRegistry: `path` is the key; the value's name, the entry added, and what the value held
  // before (nothing when it did not exist).
  std::string valueName;
  std::string added;
  std::optional<std::string> before;

  friend bool operator==(const Change&, const Change&) = default;
};

enum class RunKind {
  kInstall,  // an installation: its changes are the product's
  kRemoval,  // an uninstallation: its own rewrites, on the record only to settle a kill
};

// One run's part of the journal, in the order its changes were made.
struct JournalRun {
  int number = 0;
  RunKind kind = RunKind::kInstall;
  std::string product;
  std::vector<Change> changes;
  bool complete = false;  // ended with its success; false for a run that was cut short
};

struct JournalContents {
  int version = 0;
  std::vector<JournalRun> runs;
  // The reading stopped at a whole line it did not understand: what follows it is not known.
  bool damaged = false;
  // The bytes read up to the end of the last whole line (a last line cut short by a kill is not
  // counted).
  std::size_t wholeBytes = 0;
};

// The text as a journal; nothing when it does not start with the journal's first line. A later
// version is returned with its version and no runs: it is not guessed at.
std::optional<JournalContents> ParseJournal(std::string_view text);

// The lines of the journal, each ending with CR LF.
std::string FormatHeader();
std::string FormatRunStart(int number, RunKind kind, const std::string& product);
std::string FormatChange(const Change& change);
std::string FormatChecksum(const std::string& path, std::uint32_t crc);
std::string FormatRunDone();
std::string FormatRunUndone();

// Gives the CRC to the file change of `path` among `changes`. The CRCs of a package come in the
// order of its files, so the search starts at `cursor`, where the last one was found.
void AttachCrc(std::vector<Change>& changes, std::size_t& cursor, const std::string& path,
               std::uint32_t crc);

}  // namespace install
