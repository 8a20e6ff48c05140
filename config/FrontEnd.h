// The front end: everything through which the install engine (the sequence, the extraction and
// the program group) talks to the user. The main dialog is one front end: a status line, a
// progress bar, the message queue and the message boxes. An unattended run is another: a log and
// no window. The engine never learns which one it has, and hands it no control: it says what it
// does and asks what it must, and the front end decides how that shows.
#pragma once

#include <cstdint>
#include <string>

#include "config/RunState.h"

namespace toolkit {
class DdeConversation;
}  // namespace toolkit

namespace config {

// How a message reaches the user: the plain box (the text and "OK") or the typed information box.
enum class Notice { kPlain, kInformation };

// The questions the engine asks, each answered yes (OK, Yes, Retry) or no (Cancel, No).
enum class Question {
  kInsertDisk,      // the next disk: OK when it is in, Cancel to stop
  kConfirmAbandon,  // after Cancel at a disk prompt: Yes abandons the installation
  kCreateGroup,     // the Program Manager group: Yes creates it
  kCloseAutoCad,    // AutoCAD runs: Retry once it is closed, Cancel to leave with nothing changed
};

// What the extraction is doing, told as it happens: each front end turns it into what it shows (a
// status line and a bar, a log line, or nothing). The library reports a file's progress in steps
// of 32768 bytes.
struct ExtractionProgress {
  enum class Step {
    kFileStarts,   // `member` (as the archive names it), of `memberBytes`, starts
    kBytesDone,    // `bytesDone` of the member are written
    kPackageDone,  // the package is extracted
  };
  Step step = Step::kFileStarts;
  std::string package;
  std::string member;
  std::int64_t memberBytes = 0;
  std::int64_t bytesDone = 0;
};

class FrontEnd {
 public:
  virtual ~FrontEnd() = default;

  // The user's choices. They are read when the engine needs them, not once: in the dialog the
  // user may change them while the files are extracted.
  virtual bool CadFolderAsked() const = 0;
  virtual std::string CadFolder() const = 0;
  virtual void SetCadFolder(const std::string& folder) = 0;
  virtual std::string Destination() const = 0;
  virtual bool Release14() const = 0;
  // The Windows NT family chosen, where the choice is offered: a restart completes the
  // installation.
  virtual bool RestartNoticeWanted() const = 0;
  // The product for every user of the machine: the machine's part now, each user's at the user's
  // next logon.
  virtual bool ForAllUsers() const { return false; }

  // The status line: set, or set and drawn before the next step starts.
  virtual void SetStatus(const std::string& text) = 0;
  virtual void ShowStatus(const std::string& text) = 0;
  // What the extraction is doing.
  virtual void ShowProgress(const ExtractionProgress& progress) = 0;
  // Lets the user's input and the window updates through while the engine works.
  virtual void ProcessMessages() = 0;

  virtual void Tell(Notice kind, const std::string& text) = 0;
  // An event of the installation that only a log records: a folder found, an AutoCAD file
  // patched, a package extracted (with its file count) or missing, a group command sent. Whoever
  // deploys the product to many machines reads these afterwards; the dialog shows none of them.
  virtual void Note(const std::string& event) { static_cast<void>(event); }
  virtual bool Ask(Question question, const std::string& text) = 0;

  // The conversation with Program Manager that creates the group.
  virtual toolkit::DdeConversation& ProgramManager() = 0;

  // What this run learns and changes as it goes.
  virtual RunState& State() = 0;
};

}  // namespace config
