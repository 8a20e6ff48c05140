#include "tools/progman-service/Commands.h"

namespace progman {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool IsNameChar(char c) { return IsLetter(c) || (c >= '0' && c <= '9') || c == '_'; }

bool IsControl(char c) { return static_cast<unsigned char>(c) < 0x20; }

class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text.substr(0, text.find('\0'))) {}

  std::optional<std::vector<Command>> ReadAll() {
    std::vector<Command> commands;
    SkipBlanks();
    while (!AtEnd()) {
      if (!Take('[')) return std::nullopt;
      std::optional<Command> command = ReadCommand();
      if (!command) return std::nullopt;
      commands.push_back(std::move(*command));
      SkipBlanks();
    }
    if (commands.empty()) return std::nullopt;
    return commands;
  }

 private:
  bool AtEnd() const { return at_ >= text_.size(); }
  bool Take(char c) {
    if (AtEnd() || text_[at_] != c) return false;
    ++at_;
    return true;
  }
  void SkipBlanks() {
    while (!AtEnd() && IsBlank(text_[at_])) ++at_;
  }

  // After the opening bracket, up to and with the closing one.
  std::optional<Command> ReadCommand() {
    Command command;
    SkipBlanks();
    if (AtEnd() || !IsLetter(text_[at_])) return std::nullopt;
    while (!AtEnd() && IsNameChar(text_[at_])) command.name += text_[at_++];
    SkipBlanks();
    if (Take('(')) {
      SkipBlanks();
      if (!Take(')')) {
        do {
          std::optional<std::string> argument = ReadArgument();
          if (!argument) return std::nullopt;
          command.arguments.push_back(std::move(*argument));
        } while (Take(','));
        if (!Take(')')) return std::nullopt;
      }
      SkipBlanks();
    }
    if (!Take(']')) return std::nullopt;
    return command;
  }

  // One argument with the blanks around it, stopping before the comma or parenthesis after it.
  std::optional<std::string> ReadArgument() {
    std::string argument;
    SkipBlanks();
    if (Take('"')) {
      for (;;) {
        if (AtEnd()) return std::nullopt;
        char c = text_[at_++];
        if (c == '"' && !Take('"')) break;
        argument += c;
      }
      SkipBlanks();
    } else {
      // Brackets and parentheses outside quotes would let a garbled string pass as one odd
      // argument ("a][AddItem(b" is a valid folder name), so they are refused there.
      while (!AtEnd() && text_[at_] != ',' && text_[at_] != ')') {
        char c = text_[at_++];
        if (c == '"' || c == '(' || c == '[' || c == ']') return std::nullopt;
        argument += c;
      }
      while (!argument.empty() && IsBlank(argument.back())) argument.pop_back();
    }
    for (char c : argument) {
      if (IsControl(c)) return std::nullopt;
    }
    return argument;
  }

  std::string_view text_;
  std::size_t at_ = 0;
};

}  // namespace

std::optional<std::vector<Command>> ParseExecute(std::string_view text) {
  return Reader(text).ReadAll();
}

}  // namespace progman
