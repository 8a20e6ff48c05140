// The log of a run: plain text in code page 1252, one event per line after its local time stamp,
// for whoever deploys the product to many machines and reads afterwards what happened on each.
// A text of several lines (a message box's) goes on below its first line, indented, so that
// every stamp still opens one event. A log that cannot be written never stops the installation.
#pragma once

#include <string>

#include "toolkit/FileSystem.h"

namespace app {

class InstallLog {
 public:
  // Creates the file, or empties the one there. False when it cannot: another run may be
  // writing it, or its folder does not exist.
  bool Open(const std::string& path);
  bool IsOpen() const { return file_.IsOpen(); }
  const std::string& Path() const { return path_; }
  // Writes one event; nothing when no file is open.
  void Write(const std::string& text);
  void Close();

 private:
  toolkit::fs::File file_;
  std::string path_;
};

}  // namespace app
