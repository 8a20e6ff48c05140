#include "app/InstallLog.h"

#include "config/Vars.h"
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
  const std::string_view mark = toolkit::kUtf8ByteOrderMark;
  const bool opened = file_.TryOpen(path, toolkit::OpenMode::kCreate).Done() &&
                      file_.TryWrite(mark.data(), mark.size()).Done();
  if (!opened) Close();
  path_ = opened ? path : std::string();
  return opened;
}

void InstallLog::Write(LogLevel level, const std::string& text) {
  const config::ConfigurationBlock& v = config::Vars;
  switch (level) {
    case LogLevel::kEvent:
      return WriteLine(text);
    case LogLevel::kMessage:
      return WriteLine(v.LogMessage + " " + text);
    case LogLevel::kQuestion:
      return WriteLine(v.LogQuestion + " " + text);
    case LogLevel::kError:
      return WriteLine(v.LogError + " " + text);
  }
}

void InstallLog::Answer(const std::string& question, bool yes) {
  const config::ConfigurationBlock& v = config::Vars;
  Write(LogLevel::kQuestion, question + " -> " + (yes ? v.LogYes : v.LogNo));
}

void InstallLog::WriteLine(const std::string& text) {
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
  // A log that can no longer be written must not stop the run it tells of.
  fs::IgnoreFailure(file_.TryWrite(lines));
}

void InstallLog::Close() { fs::IgnoreFailure(file_.TryClose()); }

}  // namespace app
