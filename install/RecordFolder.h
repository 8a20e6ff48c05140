// Where an installation keeps its record (the journal) and its uninstaller: a folder only their
// owner may write. The destination will not do: it may lie where every user may add and change
// (the root of C:), or be a folder another user made before, and what the record says decides
// what an uninstallation, often run with more rights than whoever wrote it, deletes and runs. For
// one user, the record lies in the user's own local application data; for every user, in the
// machine's Program Files\Tolvek, the administrators' alone, beside the program of the users'
// part. The product's entry in Add or Remove Programs points there; the destination holds only
// the product's files.
#pragma once

#include <optional>
#include <string>

namespace install {

// The record an earlier version kept in the destination, moved here by the next installation: it
// is read as what it was, a file others may have written (install/RecordBounds.h).
inline constexpr const char* kMovedJournalName = "MOVED.JNL";
// The record of a removal that has taken everything away but its own end (the entry, the
// uninstaller, this file): an uninstaller that finds it only finishes that end.
inline constexpr const char* kEndedJournalName = "REMOVED.JNL";

// The record's folder for an installation for one user or for every user into `destination`.
// Where the system keeps no local application data (Windows 9x, which has no other users to
// fear either), the destination itself.
std::string RecordFolder(bool forAllUsers, const std::string& destination);

// Whether `folder` is the one the record of an installation for every user, or of this user's,
// is kept in, and so one whose journal may be believed; nothing when it is neither.
std::optional<bool> RecordFolderForAllUsers(const std::string& folder,
                                            const std::string& destination);

// The record a version before this one kept in `destination`, when the product's entry (for
// every user, or this user's) says that installation is there: the entry, which only its owner
// may write, still names an uninstaller in the destination. Nothing otherwise: a journal that
// stands in a destination no entry of ours names is no record of ours, and is never read.
std::optional<std::string> EarlierRecordIn(const std::string& destination, bool forAllUsers);

}  // namespace install
