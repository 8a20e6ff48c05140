#include "app/InstallLog.h"

#include "toolkit/Process.h"
#include "toolkit/Utf8.h"

namespace app {

namespace fs = toolkit::fs;

namespace {

// The number with leading zeros to `width` digits. (The C library's formatting would bring its
// floating-point code into a program that must fit on a disk with the packages.)
std::string Digits(int number, std::size_t width) {
  std::string text = std::to_string(number);
  return text.size() < width ? std::string(width - text.size(), '0') + text : text;
}

}  // namespace

bool InstallLog::Open(const std::string& path) {
  file_.Open(path, toolkit::OpenMode::kCreate, fs::Check::kRecord);
  const std::string_view mark = toolkit::kUtf8ByteOrderMark;
  if (file_.IsOpen()) file_.Write(mark.data(), mark.size(), fs::Check::kRecord);
  // The engine's unchecked folder operations read the recorded code next: leave none behind.
  const bool opened = fs::IoResult() == 0 && file_.IsOpen();
  if (!opened) Close();
  path_ = opened ? path : std::string();
  return opened;
}

void InstallLog::Write(const std::string& text) {
  if (!file_.IsOpen()) return;
  const toolkit::LocalTime t = toolkit::Proc().Now();
  const std::string stamp = Digits(t.year, 4) + "-" + Digits(t.month, 2) + "-" + Digits(t.day, 2) +
                            " " + Digits(t.hour, 2) + ":" + Digits(t.minute, 2) + ":" +
                            Digits(t.second, 2) + "." + Digits(t.millisecond, 3) + "  ";
  const std::string indent(stamp.size(), ' ');
  std::string lines = stamp;
  for (char c : text) {
    // Lines of a text end with CR LF or LF alone; the log's end with CR LF.
    if (c == '\r') continue;
    lines += c == '\n' ? "\r\n" + indent : std::string(1, c);
  }
  lines += "\r\n";
  file_.Write(lines, fs::Check::kRecord);
  fs::IoResult();
}

void InstallLog::Close() {
  if (file_.IsOpen()) file_.Close(fs::Check::kRecord);
  fs::IoResult();
}

}  // namespace app
