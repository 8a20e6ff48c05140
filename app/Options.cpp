#include "app/Options.h"

namespace app {
namespace {

std::string Upper(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
  }
  return text;
}

enum class Kind { kFlag, kValue };

struct OptionRow {
  const char* name;
  Kind kind;
  bool Options::*flag = nullptr;
  std::optional<std::string> Options::*value = nullptr;
};

constexpr OptionRow kOptions[] = {
    {"S", Kind::kFlag, &Options::silent},
    {"ACAD", Kind::kValue, nullptr, &Options::cadFolder},
    {"R14", Kind::kFlag, &Options::release14},
    {"WIN9X", Kind::kFlag, &Options::win9x},
    {"NOGROUP", Kind::kFlag, &Options::noGroup},
    {"LOG", Kind::kValue, nullptr, &Options::logFile},
    {"?", Kind::kFlag, &Options::help},
    {"HELP", Kind::kFlag, &Options::help},
    {"UNINSTALL", Kind::kFlag, &Options::uninstall},
    {"FROM", Kind::kValue, nullptr, &Options::from},
    {"ALLUSERS", Kind::kFlag, &Options::allUsers},
    {"USER", Kind::kFlag, &Options::userPart},
    {"REPAIR", Kind::kFlag, &Options::repair},
    {"LOGON", Kind::kFlag, &Options::logon},
};

// Applies one argument; false when it is no option of the table or its value is wrong.
bool Apply(const std::string& argument, Options& options) {
  if (argument.size() < 2 || (argument.front() != '/' && argument.front() != '-')) return false;
  const auto equals = argument.find('=');
  const std::string name =
      Upper(argument.substr(1, equals == std::string::npos ? equals : equals - 1));
  for (const OptionRow& row : kOptions) {
    if (name != row.name) continue;
    if (row.kind == Kind::kFlag) {
      if (equals != std::string::npos) return false;
      options.*row.flag = true;
      return true;
    }
    if (equals == std::string::npos || equals + 1 == argument.size()) return false;
    options.*row.value = argument.substr(equals + 1);
    return true;
  }
  return false;
}

}  // namespace

std::vector<std::string> SplitArguments(const std::string& commandLine) {
  std::vector<std::string> arguments;
  std::string current;
  bool quoted = false;
  bool inArgument = false;
  for (char c : commandLine) {
    if (c == '"') {
      quoted = !quoted;
      inArgument = true;
    } else if (!quoted && (c == ' ' || c == '\t')) {
      if (inArgument) arguments.push_back(current);
      current.clear();
      inArgument = false;
    } else {
      current += c;
      inArgument = true;
    }
  }
  if (inArgument) arguments.push_back(current);
  return arguments;
}

ParsedOptions ParseOptions(const std::string& commandLine) {
  ParsedOptions parsed;
  for (const std::string& argument : SplitArguments(commandLine)) {
    if (!Apply(argument, parsed.options) && !parsed.error) parsed.error = argument;
  }
  // The logon's run is a repair's or the user part's, and nobody is there to answer a box.
  if (parsed.options.logon) {
    if (!parsed.options.repair && !parsed.options.userPart && !parsed.error) {
      parsed.error = "/LOGON";
    }
    parsed.options.silent = true;
  }
  return parsed;
}

}  // namespace app
