#include "install/Journal.h"

#include <algorithm>
#include <utility>

#include "config/Vars.h"
#include "toolkit/Errors.h"

namespace install {
namespace {

using toolkit::OpenMode;

// Where the version stands in the first line: "TOLVEK-JOURNAL\t1".
constexpr std::uint64_t kVersionDigit = 15;

Change ChangeOf(Change::Kind kind, const std::string& path) {
  Change change;
  change.kind = kind;
  change.path = path;
  return change;
}

}  // namespace

JournalFile ReadJournal(const std::string& path) {
  JournalFile journal;
  const toolkit::PathKind kind = toolkit::Fs().KindOf(path);
  if (kind == toolkit::PathKind::kNone) return journal;
  journal.state = JournalState::kUnreadable;
  // A link in the journal's place is no journal of ours, and a device none at all.
  if (kind != toolkit::PathKind::kFile) return journal;
  toolkit::fs::File file;
  if (file.TryOpen(path, OpenMode::kRead).Failed() || file.TrySize(journal.size).Failed()) {
    return journal;
  }
  if (journal.size > kJournalSizeLimit) {
    journal.state = JournalState::kTooLarge;
    return journal;
  }
  std::string text(std::size_t(journal.size), '\0');
  std::size_t read = 0;
  while (read < text.size()) {
    std::size_t got = 0;
    if (file.TryRead(text.data() + read, text.size() - read, got).Failed()) return journal;
    if (got == 0) break;
    read += got;
  }
  text.resize(read);
  std::optional<JournalContents> contents = ParseJournal(text);
  if (!contents) return journal;
  journal.state = contents->version > kJournalVersion ? JournalState::kNewer : JournalState::kRead;
  journal.contents = std::move(*contents);
  return journal;
}

std::optional<std::string> WhatIsWrongWith(const JournalFile& journal) {
  const config::ConfigurationBlock& v = config::Vars;
  switch (journal.state) {
    case JournalState::kMissing:
      return std::nullopt;
    case JournalState::kRead:
      if (journal.contents.damaged) return v.ReasonJournalDamaged;
      return std::nullopt;
    case JournalState::kUnreadable:
      return v.ReasonJournalUnreadable;
    case JournalState::kNewer:
      return v.ReasonJournalNewer;
    case JournalState::kTooLarge:
      return v.ReasonJournalTooLarge;
  }
  return v.ReasonJournalUnreadable;
}

Journal::Journal(std::string product, RunKind kind) : product_(std::move(product)), kind_(kind) {}

Journal::~Journal() {
  // Every record was written as it was made; a close that fails loses none of them.
  toolkit::fs::IgnoreFailure(file_.TryClose());
}

void Journal::Open(const std::string& path, const JournalFile& existing) {
  path_ = path;
  int number = 1;
  if (existing.state == JournalState::kRead && !existing.contents.damaged) {
    file_.Open(path, OpenMode::kReadWrite);
    if (existing.contents.version < kJournalVersion) {
      file_.Seek(kVersionDigit);
      file_.Write(std::to_string(kJournalVersion));
    }
    // What a killed run left after its last whole line goes: the next line starts afresh.
    fileSize_ = existing.contents.wholeBytes;
    file_.Seek(fileSize_);
    for (const JournalRun& run : existing.contents.runs) {
      number = std::max(number, run.number + 1);
      for (const Change& change : run.changes) {
        if (change.kind == Change::Kind::kFile) earlierBytes_ += change.size;
      }
    }
  } else if (existing.state == JournalState::kMissing) {
    file_.Open(path, OpenMode::kCreate);
    createdFile_ = true;
    Write(FormatHeader());
  } else {
    // Never written over: it may be the only record of earlier installations. Nor appended to
    // when damaged, since a reader stops where it stops understanding.
    throw toolkit::Exception(config::FormatMessage(config::Vars.MsgJournalUnreadable, {path}));
  }
  std::string pending = FormatRunStart(number, kind_, product_) + pending_;
  pending_.clear();
  Write(pending);
  file_.Flush();
}

void Journal::Write(const std::string& text) {
  if (!file_.IsOpen()) {
    pending_ += text;
    return;
  }
  if (holding_) {
    held_ += text;
    return;
  }
  file_.Write(text);
  fileSize_ += text.size();
}

void Journal::WriteHeldRecords() {
  holding_ = false;
  if (held_.empty()) return;
  Write(std::exchange(held_, {}));
}

void Journal::Add(Change change, bool toDisk) {
  // Known to this run first: a change whose line cannot be written is still undone.
  changes_.push_back(std::move(change));
  Write(FormatChange(changes_.back()));
  if (toDisk && file_.IsOpen()) file_.Flush();
}

void Journal::FolderCreated(const std::string& path) {
  Add(ChangeOf(Change::Kind::kFolder, path), false);
}

void Journal::FileCreated(const std::string& path, std::uint64_t size) {
  Change change = ChangeOf(Change::Kind::kFile, path);
  change.size = size;
  Add(std::move(change), false);
}

void Journal::FileChecksum(const std::string& path, std::uint32_t crc) {
  AttachCrc(changes_, crcCursor_, path, crc);
  Write(FormatChecksum(path, crc));
}

void Journal::GroupCreated(const std::string& name) {
  Add(ChangeOf(Change::Kind::kGroup, name), true);
}

void Journal::KeyCreated(const std::string& path) { Add(ChangeOf(Change::Kind::kKey, path), true); }

std::uint64_t Journal::PlacedBytes() const {
  std::uint64_t bytes = earlierBytes_;
  for (const Change& change : changes_) {
    if (change.kind == Change::Kind::kFile) bytes += change.size;
  }
  return bytes;
}

void Journal::SwapStarts(const toolkit::FileSwap& swap) {
  Change change = ChangeOf(Change::Kind::kSwap, swap.target);
  change.swap = swap;
  change.swap.inserted.clear();
  change.swap.lineEnds.clear();
  change.summed = true;
  Add(std::move(change), true);
}

void Journal::Rewritten(const toolkit::FileSwap& swap) {
  Change change = ChangeOf(Change::Kind::kPatch, swap.target);
  change.swap = swap;
  change.summed = true;
  Add(std::move(change), true);
}

void Journal::RegistryValueChanged(const std::string& key, const std::string& name,
                                   const std::string& added,
                                   const std::optional<std::string>& before) {
  Change change = ChangeOf(Change::Kind::kRegistry, key);
  change.valueName = name;
  change.added = added;
  change.before = before;
  Add(std::move(change), true);
}

void Journal::Complete() {
  Write(FormatRunDone());
  if (file_.IsOpen()) file_.Flush();
}

void Journal::Forget() {
  pending_.clear();
  if (!file_.IsOpen()) return;
  if (createdFile_) {
    toolkit::fs::IgnoreFailure(file_.TryClose());
    // A journal of only this undone run that stays is read as one with nothing to undo.
    toolkit::fs::IgnoreFailure(toolkit::fs::TryErase(path_));
    return;
  }
  // The journal is only ever appended to, so that no state of it loses an earlier installation.
  // A mark that cannot be written leaves the run as cut short: its records are undone already,
  // and undoing them again finds nothing left to do.
  if (file_.TryWrite(FormatRunUndone()).Done()) toolkit::fs::IgnoreFailure(file_.TryFlush());
  toolkit::fs::IgnoreFailure(file_.TryClose());
}

}  // namespace install
