// The text of a Program Manager execute transaction, read into its commands. Setup programs send
// one or more bracketed commands in one string, "[CreateGroup(Tolvek)][ShowGroup(Tolvek,1)]",
// each a name with an optional list of arguments. An argument may be quoted, so that it can hold
// commas, parentheses and spaces at its ends ("" stands for one quote inside); an unquoted one
// loses the blanks around it. Whatever a client sends is read without trust: anything that does
// not follow this form is refused whole, so that no command of a garbled string is carried out.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace progman {

struct Command {
  std::string name;                    // as sent; the service compares it without regard to case
  std::vector<std::string> arguments;  // "()" and no list at all both give none
};

// Reads the execute string up to its first NUL; nullopt when it is malformed or holds no command.
std::optional<std::vector<Command>> ParseExecute(std::string_view text);

}  // namespace progman
