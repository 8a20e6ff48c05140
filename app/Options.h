// The installer's command line: the options by which a deployment tool runs it without a person
// (/S), or presets the dialog's choices for one. Options are case-insensitive, start with / or -,
// come in any order, and a value follows "=" and may be quoted.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace app {

struct Options {
  bool silent = false;                   // /S
  std::optional<std::string> cadFolder;  // /ACAD=folder
  bool release14 = false;                // /R14
  bool win9x = false;                    // /WIN9X
  bool noGroup = false;                  // /NOGROUP
  std::optional<std::string> logFile;    // /LOG=file
  bool help = false;                     // /? or /HELP
  bool uninstall = false;                // /UNINSTALL: remove the product instead
  // /FROM=folder: the uninstaller runs from its temporary copy, for the product in that folder.
  std::optional<std::string> from;
  bool allUsers = false;  // /ALLUSERS: the product for every user of the machine
  // /USER: the part of an installation for every user that lives in the user's own profile, run
  // at each user's logon; it removes that part once the product is gone.
  bool userPart = false;
  // /REPAIR: the product's files checked and its wiring into every AutoCAD made again where it
  // lacks, without the medium (install/Repair.h).
  bool repair = false;
  // /LOGON, with /REPAIR or /USER: the run at each logon, silent, which writes nothing, not even
  // its log, when nothing lacks.
  bool logon = false;
};

struct ParsedOptions {
  Options options;
  // The first argument that is no option or has a wrong value; none when all are good.
  std::optional<std::string> error;
};

// The arguments as the command line separates them: blanks part them outside quotes; a quote
// opens or closes a quoted stretch and is dropped. A backslash is an ordinary character, so a
// quoted folder may end with one ("/ACAD=c:\cad 2006\").
std::vector<std::string> SplitArguments(const std::string& commandLine);

// Reads every argument, so that /S and /LOG= are known even when another argument is wrong: the
// error then goes to the log of a silent run rather than into a box.
ParsedOptions ParseOptions(const std::string& commandLine);

}  // namespace app
