// How the Program Manager service reads an execute string. Setup programs build these strings by
// hand, quoting paths with blanks and packing several commands into one; a string read wrongly
// would create a group or a shortcut under a wrong name, so anything that is not plainly a list of
// commands is refused whole, and no input makes the reader fail in another way.
#include "tools/progman-service/Commands.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using progman::Command;
using progman::ParseExecute;

std::vector<Command> Read(std::string_view text) {
  std::optional<std::vector<Command>> commands = ParseExecute(text);
  EXPECT_TRUE(commands.has_value()) << text;
  return commands.value_or(std::vector<Command>{});
}

void ExpectCommand(const Command& command, const std::string& name,
                   const std::vector<std::string>& arguments) {
  EXPECT_EQ(command.name, name);
  EXPECT_EQ(command.arguments, arguments);
}

TEST(ProgManCommands, ReadTheInstallersCommandsAsSent) {
  auto commands = Read("[CreateGroup(Tolvek)]");
  ASSERT_EQ(commands.size(), 1u);
  ExpectCommand(commands[0], "CreateGroup", {"Tolvek"});
  commands = Read("[AddItem(c:\\Tolvek4\\TOLVEK.EXE,,c:\\Tolvek4\\TOLVEK.EXE)]");
  ASSERT_EQ(commands.size(), 1u);
  ExpectCommand(commands[0], "AddItem", {"c:\\Tolvek4\\TOLVEK.EXE", "", "c:\\Tolvek4\\TOLVEK.EXE"});
}

TEST(ProgManCommands, ReadSeveralCommandsInOneStringInTheirOrder) {
  auto commands = Read(" [CreateGroup(A)]\r\n[ShowGroup(A,1)] [AddItem(a.exe)]");
  ASSERT_EQ(commands.size(), 3u);
  ExpectCommand(commands[0], "CreateGroup", {"A"});
  ExpectCommand(commands[1], "ShowGroup", {"A", "1"});
  ExpectCommand(commands[2], "AddItem", {"a.exe"});
}

TEST(ProgManCommands, StopAtTheTerminatingNul) {
  auto commands = Read(std::string_view("[CreateGroup(A)]\0[DeleteGroup(A)]", 34));
  ASSERT_EQ(commands.size(), 1u);
  ExpectCommand(commands[0], "CreateGroup", {"A"});
}

TEST(ProgManCommands, DropTheBlanksAroundUnquotedArgumentsButNotInside) {
  auto commands = Read("[ AddItem ( c:\\My Tools\\x.exe , My Tool ,  ) ]");
  ASSERT_EQ(commands.size(), 1u);
  ExpectCommand(commands[0], "AddItem", {"c:\\My Tools\\x.exe", "My Tool", ""});
}

TEST(ProgManCommands, KeepCommasParenthesesAndBlanksInsideQuotes) {
  auto commands =
      Read("[AddItem(\"\"\"C:\\Program Files (x86)\\t.exe\"\" /a,b\", \" Tool, (2) \" )]");
  ASSERT_EQ(commands.size(), 1u);
  ExpectCommand(commands[0], "AddItem", {"\"C:\\Program Files (x86)\\t.exe\" /a,b", " Tool, (2) "});
}

TEST(ProgManCommands, TellNoArgumentsFromOneEmptyArgument) {
  auto commands = Read("[Reload][Reload()][Reload( )][Reload(\"\")][Reload(,)]");
  ASSERT_EQ(commands.size(), 5u);
  EXPECT_TRUE(commands[0].arguments.empty());
  EXPECT_TRUE(commands[1].arguments.empty());
  EXPECT_TRUE(commands[2].arguments.empty());
  EXPECT_EQ(commands[3].arguments, std::vector<std::string>{""});
  EXPECT_EQ(commands[4].arguments, (std::vector<std::string>{"", ""}));
}

TEST(ProgManCommands, KeepCodePage1252Letters) {
  auto commands = Read("[CreateGroup(Societ\xE0 \xAE)]");
  ASSERT_EQ(commands.size(), 1u);
  ExpectCommand(commands[0], "CreateGroup", {"Societ\xE0 \xAE"});
}

TEST(ProgManCommands, RefuseAnythingThatIsNotPlainlyAListOfCommands) {
  for (std::string_view text : {
           "",
           "   ",
           "CreateGroup(A)",               // no brackets
           "[CreateGroup(A)",              // no closing bracket
           "[CreateGroup(A]",              // no closing parenthesis
           "[CreateGroup(A))]",            // one too many
           "[CreateGroup(A)] x",           // text after the commands
           "[CreateGroup(A)]]",            // a stray bracket
           "[]",                           // no name
           "[(A)]",                        // no name
           "[1Group(A)]",                  // a name must start with a letter
           "[Create Group(A)]",            // a blank inside the name
           "[CreateGroup(\"A)]",           // an open quote
           "[CreateGroup(\"A\"B)]",        // text after a quoted argument
           "[CreateGroup(A\"B\")]",        // a quote inside an unquoted one
           "[CreateGroup(a][AddItem(b)]",  // a bracket inside an unquoted argument
           "[CreateGroup(a(b)]",           // a parenthesis inside an unquoted argument
           "[CreateGroup(A\tB)]",          // a control character
           "[CreateGroup(\"A\nB\")]",      // a control character, quoted
       }) {
    EXPECT_FALSE(ParseExecute(text).has_value()) << text;
  }
}

TEST(ProgManCommands, SurviveEveryPrefixOfAStringWithoutFailing) {
  const std::string text =
      "[CreateGroup(\"A, B\",1)][AddItem(\"\"\"c:\\x y\\z.exe\"\" -q\",Caption,c:\\i.ico,-3)]";
  const std::size_t firstEnd = text.find(']') + 1;
  for (std::size_t size = 0; size < text.size(); ++size) {
    // Cut right after the first command, the string is that command alone.
    EXPECT_EQ(ParseExecute(std::string_view(text).substr(0, size)).has_value(), size == firstEnd)
        << size;
  }
  EXPECT_EQ(Read(text).size(), 2u);
}

}  // namespace
