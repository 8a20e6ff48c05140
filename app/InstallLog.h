// The log of a run: UTF-8 text after a byte-order mark, one event per line after its local time
// stamp, for whoever deploys the product to many machines and reads afterwards what happened on
// each. The program's texts are UTF-8 inside, paths and messages alike, and are written as they
// are: the tools that collect and show such logs read UTF-8.
// A text of several lines (a message box's) goes on below its first line, indented, so that
// every stamp still opens one event. A log that cannot be written never stops the installation.
//
// Every line of the installer's logs is written here, in one form: the time, the level, the text.
// The level is said by the word the configuration block has for it, in the run's language
// ("Errore:", "Error:"); an event needs none, its text says what it is.
#pragma once

#include <string>

#include "toolkit/FileSystem.h"

namespace app {

enum class LogLevel {
  kEvent,     // what the run found or did: a folder, a file patched, a package extracted
  kMessage,   // a message the user was shown, or would have been in a run with a window
  kQuestion,  // a question and its answer (see Answer)
  kError,     // what ended the run
};

class InstallLog {
 public:
  // Creates the file, or empties the one there, and writes the byte-order mark. False when it
  // cannot: another run may be writing it, or its folder does not exist.
  bool Open(const std::string& path);
  bool IsOpen() const { return file_.IsOpen(); }
  const std::string& Path() const { return path_; }
  // Writes one line, given in UTF-8; nothing when no file is open.
  void Write(LogLevel level, const std::string& text);
  // A question and the answer given: "Domanda: <text> -> no".
  void Answer(const std::string& question, bool yes);
  void Close();

 private:
  void WriteLine(const std::string& text);

  toolkit::fs::File file_;
  std::string path_;
};

}  // namespace app
