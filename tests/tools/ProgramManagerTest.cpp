// What the Program Manager service makes of the commands, against a Start menu that records what
// it is asked to do: the group folders and shortcuts setup programs expect, the current group kept
// between transactions, every name that could leave the Start menu refused, and a string that
// fails part-way keeping what it did before the failure, as the shell does.
#include "tools/progman-service/ProgramManager.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

namespace {

using namespace progman;

class RecordingStartMenu : public StartMenu {
 public:
  bool CreateGroup(const Group& group) override {
    if (refuse) return false;
    groups.insert(Key(group));
    return true;
  }
  bool DeleteGroup(const Group& group) override {
    if (refuse || groups.erase(Key(group)) == 0) return false;
    std::erase_if(shortcuts, [&](const auto& entry) { return entry.first.first == Key(group); });
    return true;
  }
  bool CreateShortcut(const Group& group, const Shortcut& shortcut) override {
    if (refuse || !groups.contains(Key(group))) return false;
    shortcuts[{Key(group), shortcut.name}] = shortcut;
    return true;
  }
  bool DeleteShortcut(const Group& group, const std::string& name) override {
    return !refuse && shortcuts.erase({Key(group), name}) > 0;
  }
  bool FileExists(const std::string& path) override { return files.contains(path); }

  static std::string Key(const Group& group) {
    return (group.common ? "common:" : "") + group.name;
  }

  std::set<std::string> groups;
  std::map<std::pair<std::string, std::string>, Shortcut> shortcuts;
  std::set<std::string> files;
  bool refuse = false;
};

class ProgramManagerTest : public ::testing::Test {
 protected:
  Outcome Execute(std::string_view text) { return manager_.Execute(text); }
  const Shortcut* Item(const std::string& group, const std::string& name) {
    auto found = menu_.shortcuts.find({group, name});
    return found == menu_.shortcuts.end() ? nullptr : &found->second;
  }

  RecordingStartMenu menu_;
  ProgramManager manager_{menu_};
};

TEST_F(ProgramManagerTest, TheInstallersCommandsMakeTheGroupAndAShortcutNamedAfterTheProgram) {
  EXPECT_EQ(Execute("[CreateGroup(Tolvek)]"), Outcome::kDone);
  EXPECT_EQ(Execute("[AddItem(c:\\Tolvek4\\TOLVEK.EXE,,c:\\Tolvek4\\TOLVEK.EXE)]"), Outcome::kDone);
  EXPECT_EQ(menu_.groups, std::set<std::string>{"Tolvek"});
  const Shortcut* item = Item("Tolvek", "TOLVEK");
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(*item, (Shortcut{"TOLVEK", "c:\\Tolvek4\\TOLVEK.EXE", "", "c:\\Tolvek4",
                             "c:\\Tolvek4\\TOLVEK.EXE", 0}));
}

TEST_F(ProgramManagerTest, AnItemTakesItsCaptionIconIndexAndFolderWhenGiven) {
  menu_.files.insert("c:\\My Tools\\tool.exe");
  EXPECT_EQ(Execute("[CreateGroup(Tools)][AddItem(c:\\My Tools\\tool.exe /q x,Tool One,"
                    "c:\\icons.dll,-7,10,20,d:\\work)]"),
            Outcome::kDone);
  const Shortcut* item = Item("Tools", "Tool One");
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(*item, (Shortcut{"Tool One", "c:\\My Tools\\tool.exe", "/q x", "d:\\work",
                             "c:\\icons.dll", -7}));
}

TEST_F(ProgramManagerTest, TheCurrentGroupLastsFromOneTransactionToTheNext) {
  EXPECT_EQ(Execute("[CreateGroup(A)]"), Outcome::kDone);
  EXPECT_EQ(Execute("[CreateGroup(B)]"), Outcome::kDone);
  EXPECT_EQ(Execute("[ShowGroup(A,1)]"), Outcome::kDone);
  EXPECT_EQ(Execute("[AddItem(a.exe)]"), Outcome::kDone);
  EXPECT_NE(Item("A", "a"), nullptr);
  EXPECT_EQ(Item("B", "a"), nullptr);
}

TEST_F(ProgramManagerTest, ASecondArgumentOfOneAsksForTheCommonGroup) {
  EXPECT_EQ(Execute("[CreateGroup(A,1)][AddItem(a.exe)]"), Outcome::kDone);
  EXPECT_NE(Item("common:A", "a"), nullptr);
  // A Windows 3.1 group file's name in its place means the user's own group.
  EXPECT_EQ(Execute("[CreateGroup(A,A.GRP)][AddItem(b.exe)]"), Outcome::kDone);
  EXPECT_NE(Item("A", "b"), nullptr);
  EXPECT_EQ(Execute("[ShowGroup(A,1,1)][DeleteItem(a)]"), Outcome::kDone);
  EXPECT_EQ(Item("common:A", "a"), nullptr);
}

TEST_F(ProgramManagerTest, DeleteGroupRemovesTheGroupWithItsItemsAndItIsCurrentNoLonger) {
  EXPECT_EQ(Execute("[CreateGroup(Tolvek)][AddItem(t.exe)]"), Outcome::kDone);
  EXPECT_EQ(Execute("[DeleteGroup(Tolvek)]"), Outcome::kDone);
  EXPECT_TRUE(menu_.groups.empty());
  EXPECT_TRUE(menu_.shortcuts.empty());
  EXPECT_EQ(Execute("[AddItem(t.exe)]"), Outcome::kNoCurrentGroup);
  EXPECT_EQ(Execute("[DeleteGroup(Tolvek)]"), Outcome::kFailed);
}

TEST_F(ProgramManagerTest, CommandNamesAreReadWithoutRegardToCase) {
  EXPECT_EQ(Execute("[creategroup(A)][ADDITEM(a.exe)]"), Outcome::kDone);
  EXPECT_NE(Item("A", "a"), nullptr);
}

TEST_F(ProgramManagerTest, AnItemNeedsACurrentGroup) {
  EXPECT_EQ(Execute("[AddItem(a.exe)]"), Outcome::kNoCurrentGroup);
  EXPECT_EQ(Execute("[DeleteItem(a)]"), Outcome::kNoCurrentGroup);
}

TEST_F(ProgramManagerTest, UnknownCommandsAndWrongArgumentCountsAreRefused) {
  EXPECT_EQ(Execute("[ExitProgman(1)]"), Outcome::kUnknownCommand);
  EXPECT_EQ(Execute("[CreateGroups(A)]"), Outcome::kUnknownCommand);
  EXPECT_EQ(Execute("[CreateGroup]"), Outcome::kBadArguments);
  EXPECT_EQ(Execute("[CreateGroup(A,1,2)]"), Outcome::kBadArguments);
  EXPECT_EQ(Execute("[CreateGroup(A)][AddItem(a,b,c,d,e,f,g,h,i,j,k)]"), Outcome::kBadArguments);
  EXPECT_EQ(Execute("[AddItem(a.exe,A,a.ico,two)]"), Outcome::kBadArguments);
  EXPECT_EQ(Execute("[AddItem(\"\")]"), Outcome::kBadArguments);
  EXPECT_EQ(Execute("[CreateGroup(A"), Outcome::kMalformed);
}

TEST_F(ProgramManagerTest, NamesThatCouldLeaveTheStartMenuOrAreNoFileNamesAreRefused) {
  for (const char* group : {"..",        ".",       "..\\..\\Startup",
                            "A\\..\\..", "\\A",     "A\\",
                            "A\\\\B",    "c:\\A",   "A/B",
                            "A:B",       "A*",      "A?",
                            "A|B",       "A<B",     "A>B",
                            "CON",       "nul.txt", "com1",
                            "LPT9",      "A.",      " A"}) {
    EXPECT_EQ(Execute("[CreateGroup(\"" + std::string(group) + "\")]"), Outcome::kBadArguments)
        << group;
  }
  EXPECT_TRUE(menu_.groups.empty());
  EXPECT_EQ(Execute("[CreateGroup(A)]"), Outcome::kDone);
  for (const char* caption : {"..", "..\\x", "x\\y", "x/y", "AUX", "x:"}) {
    EXPECT_EQ(Execute("[AddItem(a.exe,\"" + std::string(caption) + "\")]"), Outcome::kBadArguments)
        << caption;
  }
  // A program whose name cannot be an item's needs a caption.
  EXPECT_EQ(Execute("[AddItem(c:\\)]"), Outcome::kBadArguments);
  EXPECT_TRUE(menu_.shortcuts.empty());
  EXPECT_EQ(Execute("[CreateGroup(Tolvek\\Tools)][CreateGroup(COM10)][CreateGroup(CONSOLE)]"),
            Outcome::kDone);
}

TEST_F(ProgramManagerTest, AFailingCommandEndsTheStringAndKeepsWhatCameBefore) {
  EXPECT_EQ(Execute("[CreateGroup(A)][Bogus(1)][CreateGroup(B)]"), Outcome::kUnknownCommand);
  EXPECT_EQ(menu_.groups, std::set<std::string>{"A"});
  menu_.refuse = true;
  EXPECT_EQ(Execute("[CreateGroup(C)]"), Outcome::kFailed);
  EXPECT_EQ(Execute("[ShowGroup(A,1)][AddItem(a.exe)]"), Outcome::kFailed);
  // A garbled string does nothing at all, not even its well-formed first command.
  menu_.refuse = false;
  EXPECT_EQ(Execute("[CreateGroup(D)][CreateGroup(E"), Outcome::kMalformed);
  EXPECT_EQ(menu_.groups, std::set<std::string>{"A"});
}

TEST(ProgManCommandLine, AQuotedProgramEndsAtItsQuote) {
  auto none = [](const std::string&) { return false; };
  auto call = SplitCommandLine("\"c:\\My Tools\\t.exe\" -a \"b c\"", none);
  EXPECT_EQ(call.program, "c:\\My Tools\\t.exe");
  EXPECT_EQ(call.arguments, "-a \"b c\"");
  EXPECT_EQ(SplitCommandLine("\"c:\\x y.exe", none).program, "c:\\x y.exe");
}

TEST(ProgManCommandLine, AnUnquotedProgramEndsWhereAnExistingFileIsNamed) {
  std::set<std::string> files{"c:\\Program Files\\Tool\\tool.exe", "c:\\a b.exe"};
  auto exists = [&](const std::string& path) { return files.contains(path); };
  auto call = SplitCommandLine("c:\\Program Files\\Tool\\tool.exe /x y", exists);
  EXPECT_EQ(call.program, "c:\\Program Files\\Tool\\tool.exe");
  EXPECT_EQ(call.arguments, "/x y");
  EXPECT_EQ(SplitCommandLine("c:\\a b.exe", exists).program, "c:\\a b.exe");
  // Nothing of it exists yet: the first blank ends the program, as on a plain command line.
  call = SplitCommandLine("c:\\Tolvek4\\TOLVEK.EXE  -demo", exists);
  EXPECT_EQ(call.program, "c:\\Tolvek4\\TOLVEK.EXE");
  EXPECT_EQ(call.arguments, "-demo");
}

TEST(ProgManNames, AProgramsNameIsItsFileNameWithoutExtension) {
  EXPECT_EQ(ProgramName("c:\\Tolvek4\\TOLVEK.EXE"), "TOLVEK");
  EXPECT_EQ(ProgramName("c:tool.v2.exe"), "tool.v2");
  EXPECT_EQ(ProgramName("README"), "README");
  EXPECT_EQ(ProgramName(".profile"), ".profile");
  EXPECT_EQ(FolderOf("c:\\Tolvek4\\TOLVEK.EXE"), "c:\\Tolvek4");
  EXPECT_EQ(FolderOf("c:\\TOLVEK.EXE"), "c:\\");
  EXPECT_EQ(FolderOf("TOLVEK.EXE"), "");
}

}  // namespace
