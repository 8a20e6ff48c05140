#include "tools/progman-service/ProgramManager.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace progman {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

char Upper(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }

bool SameLetters(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return Upper(x) == Upper(y); });
}

bool IsDeviceName(std::string_view name) {
  // Windows opens the device whatever extension follows, and ignores blanks before it.
  name = name.substr(0, name.find('.'));
  while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
  for (const char* device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"}) {
    if (SameLetters(name, device)) return true;
  }
  return name.size() == 4 &&
         (SameLetters(name.substr(0, 3), "COM") || SameLetters(name.substr(0, 3), "LPT")) &&
         name[3] >= '1' && name[3] <= '9';
}

// The second argument of the group commands: "1" asks for the all-users group. Anything else,
// a Windows 3.1 group file's name included, means the user's own.
bool CommonFlag(const std::vector<std::string>& arguments, std::size_t index) {
  return arguments.size() > index && Trim(arguments[index]) == "1";
}

std::optional<int> IconIndex(std::string_view text) {
  text = Trim(text);
  if (text.empty()) return 0;
  int index = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), index);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return index;
}

}  // namespace

const char* Describe(Outcome outcome) {
  switch (outcome) {
    case Outcome::kDone:
      return "done";
    case Outcome::kMalformed:
      return "refused: not a command string";
    case Outcome::kUnknownCommand:
      return "refused: unknown command";
    case Outcome::kBadArguments:
      return "refused: bad arguments";
    case Outcome::kNoCurrentGroup:
      return "refused: no current group";
    case Outcome::kFailed:
      return "failed";
  }
  return "failed";
}

Outcome ProgramManager::Execute(std::string_view text) {
  std::optional<std::vector<Command>> commands = ParseExecute(text);
  if (!commands) return Outcome::kMalformed;
  for (const Command& command : *commands) {
    if (Outcome outcome = Run(command); outcome != Outcome::kDone) return outcome;
  }
  return Outcome::kDone;
}

Outcome ProgramManager::Run(const Command& command) {
  struct Verb {
    std::string_view name;
    std::size_t minArguments;
    std::size_t maxArguments;
    Outcome (ProgramManager::*run)(const std::vector<std::string>&);
  };
  // The shell's forms: CreateGroup(name[,common]), ShowGroup(name,show[,common]),
  // DeleteGroup(name[,common]), AddItem(command[,name[,icon[,index[,x,y[,folder[,hotkey
  // [,minimize[,separate]]]]]]]]), DeleteItem(name). ShowGroup's show command is not needed to
  // make a group current, so it may be left out.
  static constexpr std::array<Verb, 5> kVerbs{{
      {"CreateGroup", 1, 2, &ProgramManager::CreateGroup},
      {"ShowGroup", 1, 3, &ProgramManager::ShowGroup},
      {"DeleteGroup", 1, 2, &ProgramManager::DeleteGroup},
      {"AddItem", 1, 10, &ProgramManager::AddItem},
      {"DeleteItem", 1, 1, &ProgramManager::DeleteItem},
  }};
  for (const Verb& verb : kVerbs) {
    if (!SameLetters(command.name, verb.name)) continue;
    const std::size_t count = command.arguments.size();
    if (count < verb.minArguments || count > verb.maxArguments) return Outcome::kBadArguments;
    return (this->*verb.run)(command.arguments);
  }
  return Outcome::kUnknownCommand;
}

Outcome ProgramManager::CreateGroup(const std::vector<std::string>& arguments) {
  Group group{arguments[0], CommonFlag(arguments, 1)};
  if (!IsGroupName(group.name)) return Outcome::kBadArguments;
  if (!menu_.CreateGroup(group)) return Outcome::kFailed;
  current_ = group;
  return Outcome::kDone;
}

Outcome ProgramManager::ShowGroup(const std::vector<std::string>& arguments) {
  Group group{arguments[0], CommonFlag(arguments, 2)};
  if (!IsGroupName(group.name)) return Outcome::kBadArguments;
  current_ = group;
  return Outcome::kDone;
}

Outcome ProgramManager::DeleteGroup(const std::vector<std::string>& arguments) {
  Group group{arguments[0], CommonFlag(arguments, 1)};
  if (!IsGroupName(group.name)) return Outcome::kBadArguments;
  if (!menu_.DeleteGroup(group)) return Outcome::kFailed;
  if (current_ == group) current_.reset();
  return Outcome::kDone;
}

Outcome ProgramManager::AddItem(const std::vector<std::string>& arguments) {
  auto argument = [&](std::size_t index) {
    return index < arguments.size() ? std::string(Trim(arguments[index])) : std::string();
  };
  if (!current_) return Outcome::kNoCurrentGroup;
  ProgramCall call = SplitCommandLine(
      arguments[0], [&](const std::string& path) { return menu_.FileExists(path); });
  if (call.program.empty()) return Outcome::kBadArguments;
  Shortcut shortcut;
  shortcut.name = argument(1).empty() ? ProgramName(call.program) : argument(1);
  shortcut.target = call.program;
  shortcut.arguments = call.arguments;
  shortcut.iconFile = argument(2);
  std::optional<int> index = IconIndex(argument(3));
  if (!index) return Outcome::kBadArguments;
  if (!shortcut.iconFile.empty()) shortcut.iconIndex = *index;
  shortcut.workingFolder = argument(6).empty() ? FolderOf(call.program) : argument(6);
  if (!IsPlainName(shortcut.name)) return Outcome::kBadArguments;
  if (!menu_.CreateShortcut(*current_, shortcut)) return Outcome::kFailed;
  return Outcome::kDone;
}

Outcome ProgramManager::DeleteItem(const std::vector<std::string>& arguments) {
  if (!current_) return Outcome::kNoCurrentGroup;
  const std::string name(Trim(arguments[0]));
  if (!IsPlainName(name)) return Outcome::kBadArguments;
  if (!menu_.DeleteShortcut(*current_, name)) return Outcome::kFailed;
  return Outcome::kDone;
}

bool IsPlainName(std::string_view name) {
  if (name.empty() || name.size() > 255 || name == "." || name == "..") return false;
  if (name.front() == ' ' || name.back() == ' ' || name.back() == '.') return false;
  for (char c : name) {
    if (static_cast<unsigned char>(c) < 0x20 ||
        std::string_view("<>:\"/\\|?*").find(c) != std::string_view::npos) {
      return false;
    }
  }
  return !IsDeviceName(name);
}

bool IsGroupName(std::string_view name) {
  for (;;) {
    const std::size_t separator = name.find('\\');
    if (!IsPlainName(name.substr(0, separator))) return false;
    if (separator == std::string_view::npos) return true;
    name.remove_prefix(separator + 1);
  }
}

ProgramCall SplitCommandLine(std::string_view commandLine,
                             const std::function<bool(const std::string&)>& fileExists) {
  commandLine = Trim(commandLine);
  if (!commandLine.empty() && commandLine.front() == '"') {
    commandLine.remove_prefix(1);
    const std::size_t quote = commandLine.find('"');
    if (quote == std::string_view::npos) return {std::string(Trim(commandLine)), ""};
    return {std::string(Trim(commandLine.substr(0, quote))),
            std::string(Trim(commandLine.substr(quote + 1)))};
  }
  const std::size_t firstBlank = commandLine.find_first_of(" \t");
  if (firstBlank == std::string_view::npos || fileExists(std::string(commandLine))) {
    return {std::string(commandLine), ""};
  }
  for (std::size_t blank = firstBlank; blank != std::string_view::npos;
       blank = commandLine.find_first_of(" \t", blank + 1)) {
    const std::string program(Trim(commandLine.substr(0, blank)));
    if (fileExists(program)) return {program, std::string(Trim(commandLine.substr(blank)))};
  }
  return {std::string(commandLine.substr(0, firstBlank)),
          std::string(Trim(commandLine.substr(firstBlank)))};
}

std::string ProgramName(std::string_view path) {
  const std::size_t slash = path.find_last_of("\\/:");
  if (slash != std::string_view::npos) path.remove_prefix(slash + 1);
  const std::size_t dot = path.rfind('.');
  if (dot != std::string_view::npos && dot > 0) path = path.substr(0, dot);
  return std::string(path);
}

std::string FolderOf(std::string_view path) {
  const std::size_t slash = path.find_last_of("\\/");
  if (slash == std::string_view::npos) return "";
  // "c:\tool.exe" works in "c:\", while "c:" alone would be the drive's current folder.
  if (slash == 2 && path[1] == ':') return std::string(path.substr(0, 3));
  return std::string(path.substr(0, slash));
}

}  // namespace progman
