#include "cad/fuzz/RewriteCheck.h"

#include <array>
#include <map>
#include <optional>
#include <string_view>
#include <vector>

#include "cad/LineEnds.h"
#include "cad/Rewrite.h"
#include "toolkit/Crc32.h"
#include "toolkit/Errors.h"
#include "toolkit/headless/MemoryFileSystem.h"

namespace cad::fuzz {
namespace {

using toolkit::headless::FsOp;
using toolkit::headless::MemFs;

const std::string kTarget = "c:\\acad\\support\\acad.mnu";
const std::string kTemp = "c:\\acad\\support\\tkmenu.new";
const std::string kBackup = "c:\\acad\\support\\tktemp.bak";
// The names the rewrite takes when a file someone left holds the first ones.
const std::string kFreeTemp = "c:\\acad\\support\\tkmenu-2.new";
const std::string kFreeBackup = "c:\\acad\\support\\tktemp-2.bak";
const std::string kOldBackup = "backup of an earlier installation\r\n";
const std::string kOldTemp = "copy left by a failed run, longer than most copies\r\n";
// A run of letters in front of the file's bytes puts their first 32 bytes across the 64 KiB
// boundary of the reads; only one input in eight pays for it, so that fuzzing stays quick.
constexpr std::size_t kPadBase = 65536 - 32;
constexpr std::uint8_t kPadAsked = 0xE0;

constexpr std::array<FsOp, 8> kFaultOps = {FsOp::kOpen,   FsOp::kRead,   FsOp::kWrite, FsOp::kClose,
                                           FsOp::kDelete, FsOp::kRename, FsOp::kFlush, FsOp::kSeek};

struct Input {
  std::uint8_t setup = 0;
  std::uint8_t fault = 0;
  std::uint8_t pad = 0;
  std::string marker;
  std::string trigger;
  std::string inserted;
  std::string trailer;
  std::string text;

  int TrailerLines() const { return setup & 3; }
  int InsertedLines() const { return setup >> 6; }
  bool WholeLine() const { return (setup & 0x10) != 0; }
  bool Triggers(std::string_view line) const {
    return WholeLine() ? line == trigger : line.find(trigger) != std::string_view::npos;
  }
  bool OldBackup() const { return (setup & 4) != 0; }
  bool OldTemp() const { return (setup & 8) != 0; }
  bool Faulty() const { return (setup & 0x20) != 0; }
};

Input Parse(const std::uint8_t* data, std::size_t size) {
  Input input;
  std::size_t at = 0;
  auto next = [&]() -> std::uint8_t { return at < size ? data[at++] : 0; };
  input.setup = next();
  input.fault = next();
  input.pad = next();
  // A line of the copy cannot hold a line end, nor can the marker, so the fields drop theirs.
  for (std::string* field : {&input.marker, &input.trigger, &input.inserted, &input.trailer}) {
    while (at < size && data[at] != 0) {
      const char c = char(data[at++]);
      if (c != '\r' && c != '\n') field->push_back(c);
    }
    ++at;
  }
  if ((input.pad & kPadAsked) == kPadAsked) input.text.assign(kPadBase + (input.pad & 0x1F), 'x');
  if (at < size) input.text.append(reinterpret_cast<const char*>(data + at), size - at);
  return input;
}

// The lines of a text as a reader that knows nothing of buffers sees them: CR LF, CR and LF each
// end a line, and text after the last line end is a last line.
std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.push_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

std::string Upper(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) c = char(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
  return upper;
}

bool HoldsMarker(const std::vector<std::string_view>& lines, std::string_view marker) {
  const std::string wanted = Upper(marker);
  for (std::string_view line : lines) {
    if (Upper(line).find(wanted) != std::string::npos) return true;
  }
  return false;
}

// The n-th of a field's lines: the field itself, then the field with a digit, so that lines
// that change places show.
std::string Numbered(const std::string& field, int n) {
  return n == 0 ? field : field + char('0' + n);
}

struct Expected {
  std::string text;
  std::vector<InsertedLine> inserted;
};

Expected Model(const Input& input, const std::vector<std::string_view>& lines) {
  Expected expected;
  std::size_t number = 0;
  auto write = [&](std::string_view line, bool insertion) {
    ++number;
    expected.text.append(line);
    expected.text.append("\r\n");
    if (insertion) expected.inserted.push_back({number, std::string(line)});
  };
  auto insert = [&]() {
    for (int n = 0; n < input.InsertedLines(); ++n) write(Numbered(input.inserted, n), true);
  };
  for (std::string_view line : lines) {
    write(line, false);
    if (input.Triggers(line)) insert();
  }
  for (int n = 0; n < input.TrailerLines(); ++n) write(Numbered(input.trailer, n), true);
  return expected;
}

class Journal : public toolkit::ChangeRecorder {
 public:
  void FolderCreated(const std::string&) override { events.push_back("folder"); }
  void FileCreated(const std::string&, std::uint64_t) override { events.push_back("file"); }
  void FileChecksum(const std::string&, std::uint32_t) override { events.push_back("crc"); }
  void SwapStarts(const toolkit::FileSwap& told) override {
    events.push_back("swap starts");
    swap = told;
  }
  void Rewritten(const toolkit::FileSwap& told) override {
    events.push_back("rewritten");
    swap = told;
  }
  void LeftAsItWas(const std::string& target, toolkit::LeftReason why) override {
    events.push_back(
        (why == toolkit::LeftReason::kAlreadyThere ? "already patched " : "nothing to add ") +
        target);
  }
  void RegistryValueChanged(const std::string&, const std::string&, const std::string&,
                            const std::optional<std::string>&) override {
    events.push_back("registry");
  }
  void KeyCreated(const std::string&) override { events.push_back("key"); }
  void GroupCreated(const std::string&) override { events.push_back("group"); }

  std::vector<std::string> events;
  toolkit::FileSwap swap;
};

toolkit::FileSum SumOf(const std::string& text) {
  return {text.size(), toolkit::Crc32(0, text.data(), text.size())};
}

// The original as the record describes it: the copy's lines without the inserted ones, each
// with the line end the record gives it.
std::optional<std::string> Rebuilt(const std::string& copy, const toolkit::FileSwap& swap) {
  std::vector<std::string_view> lines;
  for (std::size_t at = 0; at < copy.size();) {
    const std::size_t end = copy.find("\r\n", at);
    if (end == std::string::npos) return std::nullopt;
    lines.push_back(std::string_view(copy).substr(at, end - at));
    at = end + 2;
  }
  const std::optional<std::string> ends = DecodeLineEnds(swap.lineEnds, lines.size());
  if (!ends) return std::nullopt;
  std::string text;
  std::size_t next = 0;
  std::size_t end = 0;
  for (std::size_t number = 1; number <= lines.size(); ++number) {
    if (next < swap.inserted.size() && swap.inserted[next].number == number) {
      ++next;
      continue;
    }
    if (end >= ends->size()) return std::nullopt;
    text += lines[number - 1];
    const char kind = (*ends)[end++];
    text += kind == 'W' ? "\r\n" : kind == 'L' ? "\n" : kind == 'C' ? "\r" : "";
  }
  if (end != ends->size()) return std::nullopt;
  return text;
}

class Checker {
 public:
  void Expect(bool condition, const std::string& promise) {
    if (!condition && failure_.empty()) failure_ = promise;
  }
  const std::string& Failure() const { return failure_; }

 private:
  std::string failure_;
};

std::optional<std::string> Content(const std::string& path) { return MemFs().FileContent(path); }

}  // namespace

std::string CheckRewriteInput(const std::uint8_t* data, std::size_t size) {
  const Input input = Parse(data, size);
  const auto lines = SplitLines(input.text);
  const bool marked = input.marker.empty() ? !lines.empty() : HoldsMarker(lines, input.marker);
  const Expected expected = Model(input, lines);

  auto& fs = MemFs();
  fs.Reset();
  fs.PutFile(kTarget, input.text);
  if (input.OldBackup()) fs.PutFile(kBackup, kOldBackup);
  if (input.OldTemp()) fs.PutFile(kTemp, kOldTemp);
  const auto before = fs.Snapshot();
  if (input.Faulty()) {
    const std::uint32_t code =
        (input.fault & 0x80) ? toolkit::kErrNotReady : toolkit::kErrAccessDenied;
    fs.FailNext(kFaultOps[input.fault & 7], code, (input.fault >> 3) & 15);
  }

  const std::string trailer[3] = {Numbered(input.trailer, 0), Numbered(input.trailer, 1),
                                  Numbered(input.trailer, 2)};
  // As every patcher does, the rule writes the line first and then what it adds after it: the
  // writer takes the first line after each original one for its copy.
  const auto rule = [&](std::string_view line, LineWriter& copy) {
    copy.WriteLine(line);
    if (!input.Triggers(line)) return;
    for (int n = 0; n < input.InsertedLines(); ++n) copy.WriteLine(Numbered(input.inserted, n));
  };

  Journal journal;
  bool done = false;
  bool raised = false;
  try {
    switch (input.TrailerLines()) {
      case 0:
        done = RewriteWithBackup(kTarget, kTemp, kBackup, input.marker, rule, {}, journal);
        break;
      case 1:
        done =
            RewriteWithBackup(kTarget, kTemp, kBackup, input.marker, rule, {trailer[0]}, journal);
        break;
      case 2:
        done = RewriteWithBackup(kTarget, kTemp, kBackup, input.marker, rule,
                                 {trailer[0], trailer[1]}, journal);
        break;
      default:
        done = RewriteWithBackup(kTarget, kTemp, kBackup, input.marker, rule,
                                 {trailer[0], trailer[1], trailer[2]}, journal);
        break;
    }
  } catch (const toolkit::EInOutError&) {
    raised = true;
  }
  fs.ClearFaults();

  Checker check;
  check.Expect(fs.OpenFileCount() == 0, "every handle is closed");
  check.Expect(raised || done || input.Faulty(), "only a failing operation keeps the rewrite off");

  // A backup or a copy someone left stays exactly as it was; the rewrite takes free names.
  if (input.OldBackup()) {
    check.Expect(Content(kBackup) == kOldBackup, "a backup the rewrite did not make stays");
  }
  if (input.OldTemp()) {
    check.Expect(Content(kTemp) == kOldTemp, "a file left under the copy's name stays");
  }
  const std::string backupName = input.OldBackup() ? kFreeBackup : kBackup;
  const std::string tempName = input.OldTemp() ? kFreeTemp : kTemp;
  const auto target = Content(kTarget);
  const auto backup = Content(backupName);
  const auto temp = Content(tempName);

  if (marked) {
    check.Expect(fs.Snapshot() == before, "a file holding the marker is left byte for byte");
    check.Expect(journal.events == (done ? std::vector<std::string>{"already patched " + kTarget}
                                         : std::vector<std::string>{}),
                 "the journal hears that the file was already patched, and nothing else");
    return check.Failure();
  }

  // The dropped copy is the installer's own temporary file: one that cannot be deleted may stay.
  const bool untouchedExactly = target == input.text && !backup && (!temp || temp == expected.text);
  if (expected.inserted.empty()) {
    check.Expect(untouchedExactly, "a copy that would add nothing leaves the file as it was");
    check.Expect(journal.events == (done ? std::vector<std::string>{"nothing to add " + kTarget}
                                         : std::vector<std::string>{}),
                 "the journal hears that nothing was added, and nothing else");
    return check.Failure();
  }

  // Whatever happened, AutoCAD finds its file: the old text, or the complete new one with the
  // old text as its backup.
  const bool swapped = target == expected.text && backup == input.text && !temp;
  const bool untouched =
      target == input.text && !backup && (!temp || (raised && temp == expected.text));
  if (done) {
    check.Expect(
        swapped,
        "the copy holds every line in order, the rule's lines and the trailer, with CR LF, "
        "and the old text is the backup");
  }
  check.Expect(swapped || untouched,
               "the file's name holds the old text, or the complete new "
               "text with the old one as backup");
  if (!done && !raised) {
    check.Expect(untouched && !temp, "a refused rewrite changes nothing and leaves no copy");
  }
  for (const auto& [path, content] : fs.Snapshot()) {
    const std::string upper = Upper(path);
    check.Expect(upper == Upper(kTarget) || upper == Upper(kTemp) || upper == Upper(kBackup) ||
                     upper == Upper(kFreeTemp) || upper == Upper(kFreeBackup),
                 "no file but those the rewrite names: " + path);
  }

  if (done) {
    check.Expect(journal.events == std::vector<std::string>{"swap starts", "rewritten"},
                 "the journal hears of the swap and of its end");
    check.Expect(journal.swap.inserted == expected.inserted,
                 "the journal is told exactly the inserted lines");
    check.Expect(journal.swap.target == kTarget && journal.swap.temp == tempName &&
                     journal.swap.backup == backupName && journal.swap.aside == backupName + "~",
                 "the journal is told the rewrite's files, with the names taken");
    check.Expect(
        journal.swap.original == SumOf(input.text) && journal.swap.written == SumOf(expected.text),
        "the journal is told the size and CRC of both texts");
    check.Expect(Rebuilt(expected.text, journal.swap) == input.text,
                 "the record rebuilds the original byte for byte from the copy");
  }
  return check.Failure();
}

}  // namespace cad::fuzz
