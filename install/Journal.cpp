#include "install/Journal.h"

#include <algorithm>
#include <charconv>
#include <string_view>
#include <utility>

#include "config/FrontEnd.h"
#include "config/Vars.h"
#include "toolkit/Errors.h"

namespace install {
namespace {

using toolkit::OpenMode;
using toolkit::fs::Check;

constexpr std::string_view kHeader = "TOLVEK-JOURNAL";
constexpr std::string_view kEol = "\r\n";

std::string Join(std::initializer_list<std::string_view> fields) {
  std::string line;
  for (std::string_view field : fields) {
    if (!line.empty()) line += '\t';
    line += field;
  }
  return line += kEol;
}

std::string PathsFields(const cad::RewritePaths& paths) {
  return paths.target + '\t' + paths.temp + '\t' + paths.backup + '\t' + paths.aside;
}

// Splits a line at its tabs; `limit` fields at most, the last one keeping any further tabs.
std::vector<std::string_view> Split(std::string_view line, std::size_t limit) {
  std::vector<std::string_view> fields;
  while (fields.size() + 1 < limit) {
    const std::size_t tab = line.find('\t');
    if (tab == std::string_view::npos) break;
    fields.push_back(line.substr(0, tab));
    line.remove_prefix(tab + 1);
  }
  fields.push_back(line);
  return fields;
}

template <typename Number>
bool ParseNumber(std::string_view text, Number& value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() && !text.empty();
}

bool ParsePaths(const std::vector<std::string_view>& fields, std::size_t first,
                cad::RewritePaths& paths) {
  if (fields.size() != first + 4) return false;
  paths = {std::string(fields[first]), std::string(fields[first + 1]),
           std::string(fields[first + 2]), std::string(fields[first + 3])};
  return !paths.target.empty();
}

std::string Hex(std::uint32_t value) {
  char text[9];
  for (int i = 7; i >= 0; --i, value >>= 4) text[i] = "0123456789ABCDEF"[value & 15];
  text[8] = '\0';
  return text;
}

// Reads one line into the journal; false for a line that is not understood.
bool ParseLine(std::string_view line, JournalContents& journal, std::size_t& crcCursor) {
  const std::string_view kind = line.substr(0, line.find('\t'));
  if (kind == "RUN") {
    const auto fields = Split(line, 3);
    JournalRun run;
    if (fields.size() != 3 || !ParseNumber(fields[1], run.number)) return false;
    run.product = fields[2];
    journal.runs.push_back(std::move(run));
    return true;
  }
  if (journal.runs.empty()) return false;
  JournalRun& run = journal.runs.back();
  if (kind == "CRC") {
    const auto fields = Split(line, 3);
    std::uint32_t crc = 0;
    if (fields.size() != 3) return false;
    const auto [end, error] =
        std::from_chars(fields[1].data(), fields[1].data() + fields[1].size(), crc, 16);
    if (error != std::errc() || end != fields[1].data() + fields[1].size()) return false;
    AttachCrc(run.changes, crcCursor, std::string(fields[2]), crc);
    return true;
  }
  if (kind == "DONE") {
    run.complete = true;
    return true;
  }
  if (kind == "UNDONE") {
    journal.runs.pop_back();
    return true;
  }
  Change change;
  if (kind == "DIR") {
    const auto fields = Split(line, 2);
    if (fields.size() != 2 || fields[1].empty()) return false;
    change.path = fields[1];
  } else if (kind == "FILE") {
    change.kind = Change::Kind::kFile;
    const auto fields = Split(line, 3);
    if (fields.size() != 3 || !ParseNumber(fields[1], change.size) || fields[2].empty()) {
      return false;
    }
    change.path = fields[2];
  } else if (kind == "SWAP") {
    change.kind = Change::Kind::kSwap;
    if (!ParsePaths(Split(line, 5), 1, change.rewrite)) return false;
    change.path = change.rewrite.target;
  } else if (kind == "PATCH") {
    change.kind = Change::Kind::kPatch;
    const auto fields = Split(line, 6);
    if (!ParsePaths(fields, 2, change.rewrite)) return false;
    change.path = change.rewrite.target;
  } else if (kind == "REG") {
    change.kind = Change::Kind::kRegistry;
    const auto fields = Split(line, 6);
    if (fields.size() != 6 || (fields[1] != "0" && fields[1] != "1") || fields[2].empty()) {
      return false;
    }
    change.path = fields[2];
    change.valueName = fields[3];
    change.added = fields[4];
    if (fields[1] == "1") change.before = std::string(fields[5]);
  } else if (kind == "GROUP" || kind == "KEY") {
    change.kind = kind == "GROUP" ? Change::Kind::kGroup : Change::Kind::kKey;
    const auto fields = Split(line, 2);
    if (fields.size() != 2 || fields[1].empty()) return false;
    change.path = fields[1];
  } else if (kind == "INSERT") {
    const auto fields = Split(line, 3);
    cad::InsertedLine inserted;
    if (fields.size() != 3 || !ParseNumber(fields[1], inserted.number)) return false;
    if (run.changes.empty() || run.changes.back().kind != Change::Kind::kPatch) return false;
    inserted.text = fields[2];
    run.changes.back().inserted.push_back(std::move(inserted));
    return true;
  } else {
    return false;
  }
  run.changes.push_back(std::move(change));
  return true;
}

}  // namespace

std::string FormatChange(const Change& change) {
  switch (change.kind) {
    case Change::Kind::kFolder:
      return Join({"DIR", change.path});
    case Change::Kind::kFile:
      return Join({"FILE", std::to_string(change.size), change.path}) +
             (change.crc ? Join({"CRC", Hex(*change.crc), change.path}) : std::string());
    case Change::Kind::kGroup:
      return Join({"GROUP", change.path});
    case Change::Kind::kKey:
      return Join({"KEY", change.path});
    case Change::Kind::kSwap:
      return Join({"SWAP", PathsFields(change.rewrite)});
    case Change::Kind::kRegistry:
      return Join({"REG", change.before ? "1" : "0", change.path, change.valueName, change.added,
                   change.before.value_or("")});
    case Change::Kind::kPatch: {
      std::string text =
          Join({"PATCH", std::to_string(change.inserted.size()), PathsFields(change.rewrite)});
      for (const cad::InsertedLine& line : change.inserted) {
        text += Join({"INSERT", std::to_string(line.number), line.text});
      }
      return text;
    }
  }
  return {};
}

void AttachCrc(std::vector<Change>& changes, std::size_t& cursor, const std::string& path,
               std::uint32_t crc) {
  for (std::size_t pass = 0; pass < 2; ++pass, cursor = 0) {
    for (; cursor < changes.size(); ++cursor) {
      Change& change = changes[cursor];
      if (change.kind == Change::Kind::kFile && change.path == path) {
        change.crc = crc;
        return;
      }
    }
  }
}

std::optional<JournalContents> ParseJournal(const std::string& text) {
  JournalContents journal;
  std::size_t crcCursor = 0;
  std::size_t at = 0;
  bool first = true;
  for (;;) {
    const std::size_t end = text.find(kEol, at);
    // A last line without its line end was cut short: what it says is not known.
    if (end == std::string::npos) break;
    const std::string_view line(text.data() + at, end - at);
    at = end + kEol.size();
    if (first) {
      const auto fields = Split(line, 2);
      if (fields.size() != 2 || fields[0] != kHeader || !ParseNumber(fields[1], journal.version)) {
        return std::nullopt;
      }
      first = false;
      // A later format is not guessed at.
      if (journal.version > kJournalVersion) return journal;
      continue;
    }
    const std::size_t runs = journal.runs.size();
    if (!ParseLine(line, journal, crcCursor)) break;
    if (journal.runs.size() != runs) crcCursor = 0;
  }
  if (first) return std::nullopt;
  return journal;
}

std::optional<JournalContents> ReadJournal(const std::string& path) {
  toolkit::fs::File file;
  file.Open(path, OpenMode::kRead, Check::kRecord);
  if (toolkit::fs::IoResult() != 0) return std::nullopt;
  std::string text;
  char buffer[16 * 1024];
  for (;;) {
    const std::size_t read = file.Read(buffer, sizeof buffer, Check::kRecord);
    if (toolkit::fs::IoResult() != 0) return std::nullopt;
    if (read == 0) break;
    text.append(buffer, read);
  }
  return ParseJournal(text);
}

Journal::Journal(std::string product) : product_(std::move(product)) {}

Journal::~Journal() {
  file_.Close(Check::kRecord);
  toolkit::fs::IoResult();
}

void Journal::Open(const std::string& path) {
  path_ = path;
  const std::optional<JournalContents> existing = ReadJournal(path);
  int number = 1;
  if (existing && existing->version == kJournalVersion) {
    file_.Open(path, OpenMode::kReadWrite);
    file_.Seek(file_.Size());
    for (const JournalRun& run : existing->runs) {
      number = std::max(number, run.number + 1);
      for (const Change& change : run.changes) {
        if (change.kind == Change::Kind::kFile) earlierBytes_ += change.size;
      }
    }
  } else {
    // No journal yet, or a file of this name that is not one: it is the installer's own file in
    // the installer's own folder, so it starts afresh.
    file_.Open(path, OpenMode::kCreate);
    createdFile_ = !existing.has_value();
    Write(Join({kHeader, std::to_string(kJournalVersion)}));
  }
  std::string pending = Join({"RUN", std::to_string(number), product_}) + pending_;
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

namespace {

Change ChangeOf(Change::Kind kind, const std::string& path) {
  Change change;
  change.kind = kind;
  change.path = path;
  return change;
}

}  // namespace

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
  Write(Join({"CRC", Hex(crc), path}));
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

void Journal::SwapStarts(const cad::RewritePaths& paths) {
  Change change = ChangeOf(Change::Kind::kSwap, paths.target);
  change.rewrite = paths;
  Add(std::move(change), true);
}

namespace {

// A path as a person reads it: a folder and a name joined as the patchers join them may meet at a
// doubled backslash, which Windows reads as one.
std::string AsShown(std::string path) {
  for (std::size_t at = path.find("\\\\", 1); at != std::string::npos; at = path.find("\\\\", at)) {
    path.erase(at, 1);
  }
  return path;
}

}  // namespace

void Journal::AlreadyPatched(const std::string& target) {
  if (notes_ != nullptr) notes_->Note(config::Vars.LogAlreadyPatched + " " + AsShown(target));
}

void Journal::Rewritten(const cad::RewritePaths& paths,
                        const std::vector<cad::InsertedLine>& inserted) {
  const config::ConfigurationBlock& v = config::Vars;
  if (notes_ != nullptr) {
    notes_->Note(v.LogFilePatched + " " + AsShown(paths.target) + " (" + v.LogBackup + " " +
                 AsShown(paths.backup) + ")");
  }
  Change change = ChangeOf(Change::Kind::kPatch, paths.target);
  change.rewrite = paths;
  change.inserted = inserted;
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
  Write(Join({"DONE"}));
  if (file_.IsOpen()) file_.Flush();
}

void Journal::Forget() {
  pending_.clear();
  if (!file_.IsOpen()) return;
  if (createdFile_) {
    file_.Close(Check::kRecord);
    toolkit::fs::Erase(path_, Check::kRecord);
    toolkit::fs::IoResult();
    return;
  }
  // The journal is only ever appended to, so that no state of it loses an earlier installation.
  Write(Join({"UNDONE"}));
  file_.Flush(Check::kRecord);
  file_.Close(Check::kRecord);
  toolkit::fs::IoResult();
}

}  // namespace install
