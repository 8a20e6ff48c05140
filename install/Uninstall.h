// The way back: replays the installations' journal backwards, newest installation first, and
// takes away what they did and nothing else (install/Undo.h). The journal is read from the
// record's folder (install/RecordFolder.h), and believed only there; an earlier version's record,
// moved there from the destination, is held to the rules of a file others may have written.
// Before anything is touched, every record is checked against what the product owns
// (install/RecordBounds.h): a record that names anything else is not acted on, and is named. A
// journal that cannot be read changes nothing; one read only up to a point undoes what it records
// and names the rest as not removed. The program group, the trusted-path entries and the
// product's entry in Add or Remove Programs go, the uninstaller and the journal last. Every step
// can be met again: a run cut short and run again ends in the same state.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace config {
class FrontEnd;
}

namespace install {

struct UninstallReport {
  bool recordFound = false;
  // There is no record, yet the entry or the uninstaller says the product is installed: nothing
  // was changed.
  bool recordMissing = false;
  // What stays, each with why ("c:\Tolvek4\UserParts (holds files Tolvek did not install)").
  std::vector<std::string> left;
  // The records not acted on, because they name what the product does not own.
  std::vector<std::string> refused;
  // What keeps the journal from being used at all (nothing was changed), in the user's language.
  std::optional<std::string> journalProblem;
  // The journal was read only up to a point: damaged, or shorter than the last installation left
  // it. What it records went; what stays is named as not on the record.
  bool recordIncomplete = false;
  // A step failed, or something could not be removed: the entry and the way back stay.
  bool failed = false;
  // Among the failures, one that running the uninstaller again may finish (a file another
  // program held); without one, running again would change nothing.
  bool retryHelps = false;
};

// Removes the installations recorded in `recordFolder`'s journal, whose product's files are in
// `destination`, telling `frontEnd` each step. `asideFolder` (the running copy's own private
// folder) takes the uninstaller when it is running and so cannot be deleted where it stands.
UninstallReport Uninstall(config::FrontEnd& frontEnd, const std::string& recordFolder,
                          const std::string& destination, const std::string& asideFolder);

// Takes a user's part of an installation for every user away, as its journal in `userFolder`
// records it (install/UserPart.h).
UninstallReport RemoveUserPart(config::FrontEnd& frontEnd, const std::string& userFolder);

}  // namespace install
