#include "install/JournalFormat.h"

#include <charconv>
#include <utility>

#include "toolkit/Utf8.h"

namespace install {
namespace {

constexpr std::string_view kHeader = "TOLVEK-JOURNAL";
constexpr std::string_view kEol = "\r\n";
constexpr std::string_view kInstallRun = "INSTALL";
constexpr std::string_view kRemovalRun = "REMOVE";
// The run's texts are UTF-8. A run without it was written by an installer of version 1 or 2, in
// code page 1252; since a later installer appends to the journal it finds (and raises the
// version of its first line), both kinds of run may stand in one file.
constexpr std::string_view kUtf8Run = "UTF-8";

std::string Join(std::initializer_list<std::string_view> fields) {
  std::string line;
  for (std::string_view field : fields) {
    if (!line.empty()) line += '\t';
    line += field;
  }
  return line += kEol;
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
bool ParseNumber(std::string_view text, Number& value, int base = 10) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  return error == std::errc() && end == text.data() + text.size() && !text.empty();
}

std::string Hex(std::uint32_t value) {
  char text[9];
  for (int i = 7; i >= 0; --i, value >>= 4) text[i] = "0123456789ABCDEF"[value & 15];
  text[8] = '\0';
  return text;
}

std::string SwapFields(const toolkit::FileSwap& swap) {
  return swap.target + '\t' + swap.temp + '\t' + swap.backup + '\t' + swap.aside + '\t' +
         std::to_string(swap.original.size) + '\t' + Hex(swap.original.crc) + '\t' +
         std::to_string(swap.written.size) + '\t' + Hex(swap.written.crc);
}

// The four paths of a swap from `fields` at `first`, and with `summed` its two sums after them.
template <typename Text>
bool ParseSwap(const std::vector<std::string_view>& fields, std::size_t first, bool summed,
               Change& change, Text text) {
  if (fields.size() < first + (summed ? 8 : 4)) return false;
  toolkit::FileSwap& swap = change.swap;
  swap.target = text(fields[first]);
  swap.temp = text(fields[first + 1]);
  swap.backup = text(fields[first + 2]);
  swap.aside = text(fields[first + 3]);
  change.path = swap.target;
  change.summed = summed;
  if (summed && !(ParseNumber(fields[first + 4], swap.original.size) &&
                  ParseNumber(fields[first + 5], swap.original.crc, 16) &&
                  ParseNumber(fields[first + 6], swap.written.size) &&
                  ParseNumber(fields[first + 7], swap.written.crc, 16))) {
    return false;
  }
  return !swap.target.empty();
}

class Reader {
 public:
  explicit Reader(JournalContents& journal) : journal_(journal) {}

  // Reads one line into the journal; false for a line that is not understood.
  bool Line(std::string_view line) {
    const std::string_view kind = line.substr(0, line.find('\t'));
    if (kind != "INSERT" && insertsDue_ > 0) return false;
    if (kind == "RUN") return Run(line);
    if (journal_.runs.empty()) return false;
    JournalRun& run = journal_.runs.back();
    if (kind == "CRC") {
      const auto fields = Split(line, 3);
      std::uint32_t crc = 0;
      if (fields.size() != 3 || !ParseNumber(fields[1], crc, 16)) return false;
      AttachCrc(run.changes, crcCursor_, Text(fields[2]), crc);
      return true;
    }
    if (kind == "DONE" || kind == "UNDONE") {
      if (line != kind) return false;
      if (kind == "DONE") run.complete = true;
      if (kind == "UNDONE") journal_.runs.pop_back();
      return true;
    }
    if (kind == "INSERT") return Insert(line, run);
    Change change;
    if (!ChangeLine(kind, line, change)) return false;
    run.changes.push_back(std::move(change));
    return true;
  }

  // A patch whose inserted lines did not all come was cut short while being written.
  void End() {
    if (insertsDue_ > 0) journal_.runs.back().changes.pop_back();
  }

 private:
  // A journal of the first version carried on by a later installer holds records of both
  // versions: each is told apart by its number of fields.
  bool Run(std::string_view line) {
    const auto fields = Split(line, 5);
    const bool kinds = fields.size() >= 4;
    JournalRun run;
    if (fields.size() < 3 || !ParseNumber(fields[1], run.number)) return false;
    if (fields.size() == 5 && fields[3] != kUtf8Run) return false;
    utf8_ = fields.size() == 5;
    run.product = Text(fields.back());
    if (kinds) {
      if (fields[2] != kInstallRun && fields[2] != kRemovalRun) return false;
      run.kind = fields[2] == kRemovalRun ? RunKind::kRemoval : RunKind::kInstall;
    } else if (run.product.ends_with(" -")) {
      // The first uninstallers named their run after the product with a dash.
      run.kind = RunKind::kRemoval;
    }
    journal_.runs.push_back(std::move(run));
    crcCursor_ = 0;
    return true;
  }

  bool Insert(std::string_view line, JournalRun& run) {
    const auto fields = Split(line, 3);
    toolkit::InsertedLine inserted;
    if (insertsDue_ == 0 || fields.size() != 3 || !ParseNumber(fields[1], inserted.number)) {
      return false;
    }
    // The bytes inserted into the AutoCAD file, in its own encoding: never converted.
    inserted.text = fields[2];
    run.changes.back().swap.inserted.push_back(std::move(inserted));
    --insertsDue_;
    return true;
  }

  bool ChangeLine(std::string_view kind, std::string_view line, Change& change) {
    if (kind == "DIR" || kind == "GROUP" || kind == "KEY") {
      change.kind = kind == "DIR"     ? Change::Kind::kFolder
                    : kind == "GROUP" ? Change::Kind::kGroup
                                      : Change::Kind::kKey;
      const auto fields = Split(line, 2);
      if (fields.size() != 2 || fields[1].empty()) return false;
      change.path = Text(fields[1]);
      return true;
    }
    if (kind == "FILE") {
      change.kind = Change::Kind::kFile;
      const auto fields = Split(line, 3);
      if (fields.size() != 3 || !ParseNumber(fields[1], change.size) || fields[2].empty()) {
        return false;
      }
      change.path = Text(fields[2]);
      return true;
    }
    if (kind == "SWAP") {
      change.kind = Change::Kind::kSwap;
      const auto fields = Split(line, 9);
      const bool summed = fields.size() == 9;
      return (summed || fields.size() == 5) &&
             ParseSwap(fields, 1, summed, change, [this](std::string_view f) { return Text(f); });
    }
    if (kind == "PATCH") {
      change.kind = Change::Kind::kPatch;
      const auto fields = Split(line, 11);
      const bool summed = fields.size() == 11;
      if ((!summed && fields.size() != 6) || !ParseNumber(fields[1], insertsDue_) ||
          !ParseSwap(fields, 2, summed, change, [this](std::string_view f) { return Text(f); })) {
        insertsDue_ = 0;
        return false;
      }
      if (summed) change.swap.lineEnds = fields[10];
      return true;
    }
    if (kind == "REG") {
      change.kind = Change::Kind::kRegistry;
      const auto fields = Split(line, 6);
      if (fields.size() != 6 || (fields[1] != "0" && fields[1] != "1") || fields[2].empty()) {
        return false;
      }
      change.path = Text(fields[2]);
      change.valueName = Text(fields[3]);
      change.added = Text(fields[4]);
      if (fields[1] == "1") change.before = Text(fields[5]);
      return true;
    }
    return false;
  }

  // A text of the current run in UTF-8.
  std::string Text(std::string_view field) const {
    return utf8_ ? std::string(field) : toolkit::Utf8FromCp1252(field);
  }

  JournalContents& journal_;
  std::size_t crcCursor_ = 0;
  std::size_t insertsDue_ = 0;
  bool utf8_ = false;
};

}  // namespace

std::string FormatHeader() { return Join({kHeader, std::to_string(kJournalVersion)}); }

std::string FormatRunStart(int number, RunKind kind, const std::string& product) {
  return Join({"RUN", std::to_string(number), kind == RunKind::kRemoval ? kRemovalRun : kInstallRun,
               kUtf8Run, product});
}

std::string FormatChecksum(const std::string& path, std::uint32_t crc) {
  return Join({"CRC", Hex(crc), path});
}

std::string FormatRunDone() { return Join({"DONE"}); }
std::string FormatRunUndone() { return Join({"UNDONE"}); }

std::string FormatChange(const Change& change) {
  switch (change.kind) {
    case Change::Kind::kFolder:
      return Join({"DIR", change.path});
    case Change::Kind::kFile:
      return Join({"FILE", std::to_string(change.size), change.path}) +
             (change.crc ? FormatChecksum(change.path, *change.crc) : std::string());
    case Change::Kind::kGroup:
      return Join({"GROUP", change.path});
    case Change::Kind::kKey:
      return Join({"KEY", change.path});
    case Change::Kind::kSwap:
      return Join({"SWAP", SwapFields(change.swap)});
    case Change::Kind::kRegistry:
      return Join({"REG", change.before ? "1" : "0", change.path, change.valueName, change.added,
                   change.before.value_or("")});
    case Change::Kind::kPatch: {
      const toolkit::FileSwap& swap = change.swap;
      std::string text =
          Join({"PATCH", std::to_string(swap.inserted.size()), SwapFields(swap), swap.lineEnds});
      for (const toolkit::InsertedLine& line : swap.inserted) {
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

std::optional<JournalContents> ParseJournal(std::string_view text) {
  JournalContents journal;
  const std::size_t headerEnd = text.find(kEol);
  if (headerEnd == std::string_view::npos) return std::nullopt;
  const auto header = Split(text.substr(0, headerEnd), 2);
  if (header.size() != 2 || header[0] != kHeader || !ParseNumber(header[1], journal.version) ||
      journal.version < 1) {
    return std::nullopt;
  }
  std::size_t at = headerEnd + kEol.size();
  journal.wholeBytes = at;
  // A later format is not guessed at.
  if (journal.version > kJournalVersion) return journal;
  Reader reader(journal);
  for (;;) {
    const std::size_t end = text.find(kEol, at);
    // A last line without its line end was cut short while being written: it says nothing.
    if (end == std::string_view::npos) break;
    if (!reader.Line(text.substr(at, end - at))) {
      journal.damaged = true;
      break;
    }
    at = end + kEol.size();
    journal.wholeBytes = at;
  }
  reader.End();
  return journal;
}

}  // namespace install
