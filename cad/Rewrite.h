// The one way the installer changes AutoCAD's own text files. The file is read line by line for a
// trace of an earlier installation; without one, a changed copy is written to a temporary file,
// the file as it was becomes the backup, and the copy takes its name. The file is never changed
// in place, so AutoCAD finds under the file's name either the old text or the complete new one,
// and a journal told of each swap can finish or undo one that a killed process left half done.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cad/LineReader.h"
#include "cad/LineWriter.h"

namespace cad {

// What stands in the copy for one line of the original: the patchers write the line itself and
// then the lines they add after it.
using CopyRule = std::function<void(std::string_view line, LineWriter& copy)>;

// The files of one rewrite. While the target becomes the backup, an older backup waits under the
// aside name, so that a target that cannot be renamed leaves every file as it was.
struct RewritePaths {
  std::string target;
  std::string temp;
  std::string backup;
  std::string aside;
  friend bool operator==(const RewritePaths&, const RewritePaths&) = default;
};

// The aside name of a backup.
std::string AsideNameOf(const std::string& backupPath);

// Told of every rewrite that changes a file, in the order of its steps.
class RewriteJournal {
 public:
  virtual ~RewriteJournal() = default;
  // The copy is complete and on the disk; the renames follow. What the journal keeps of this
  // must be on the disk too when it returns.
  virtual void SwapStarts(const RewritePaths& paths) = 0;
  // The copy holds the target's name and the old text is the backup.
  virtual void Rewritten(const RewritePaths& paths, const std::vector<InsertedLine>& inserted) = 0;
  // The target already held the marker: nothing was written.
  virtual void AlreadyPatched(const std::string& /*target*/) {}
  // Other changes AutoCAD's wiring makes: a folder or a file made where none stood (a bundle's,
  // a new acaddoc.lsp), and an entry added to a registry value that held `before` (nothing when
  // the value did not exist).
  virtual void FolderCreated(const std::string& /*path*/) {}
  virtual void FileCreated(const std::string& /*path*/, std::uint64_t /*size*/) {}
  // The file made is complete and has this CRC-32.
  virtual void FileChecksum(const std::string& /*path*/, std::uint32_t /*crc*/) {}
  virtual void RegistryValueChanged(const std::string& /*key*/, const std::string& /*name*/,
                                    const std::string& /*added*/,
                                    const std::optional<std::string>& /*before*/) {}
};

// The journal told of AutoCAD's changes now, or nullptr.
RewriteJournal* CurrentRewriteJournal();

// Tells `journal` of every rewrite while it lives (one at a time; none is told by default).
class ScopedRewriteJournal {
 public:
  explicit ScopedRewriteJournal(RewriteJournal& journal);
  ScopedRewriteJournal(const ScopedRewriteJournal&) = delete;
  ScopedRewriteJournal& operator=(const ScopedRewriteJournal&) = delete;
  ~ScopedRewriteJournal();

 private:
  RewriteJournal* previous_;
};

// Rewrites `targetPath` through `tempPath`, keeping the old text as `backupPath`; `trailer` lines
// follow the last copied line. Every line of the copy ends with CR LF.
//
// Returns false, with nothing changed and no temporary file left, when the target cannot be
// opened for reading and writing (missing, read-only, locked, bad path) or when another program
// holds it so that it cannot be renamed (codes 5, 32, 33); true when a line already contains
// `marker` (nothing is written) or when the copy has replaced the target. Any other file failure
// raises EInOutError; the target's name then still holds the old text (or, after the last rename,
// the new one with the old text as the backup), and at most a stray temporary file remains.
bool RewriteWithBackup(const std::string& targetPath, const std::string& tempPath,
                       const std::string& backupPath, std::string_view marker,
                       const CopyRule& copyRule,
                       std::initializer_list<std::string_view> trailer = {});

// The same rewrite for a change that has no marker to look for (taking the product's lines out
// again): the copy is always written.
bool RewriteLines(const std::string& targetPath, const std::string& tempPath,
                  const std::string& backupPath, const CopyRule& copyRule);

}  // namespace cad
