// The run's log as the tools that collect it read it: UTF-8 after a byte-order mark, each event
// after its time stamp on a line of its own ending in CR LF, the further lines of a text indented
// below its first. The program hands it UTF-8, written as it is; a second mark in the middle would
// show as a stray character.
#include "app/InstallLog.h"

#include <gtest/gtest.h>

#include "config/Vars.h"
#include "tests/support/HeadlessTest.h"

namespace {

const std::string kMark = "\xEF\xBB\xBF";
const std::string kStamp = "2006-03-01 09:30:00.000  ";

class InstallLogTest : public testing_support::HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    // The levels' words in Italian, the installer's first language.
    config::Vars.Language = 1;
    config::FillConfiguration();
  }

  std::string Bytes(const std::string& path) { return Disk().FileContent(path).value_or("?"); }
};

// Each line as the time, the level's word in the run's language and the text; an event has no word.
TEST_F(InstallLogTest, EachLineIsAUtf8LineAfterTheMarkWithItsLevel) {
  app::InstallLog log;
  ASSERT_TRUE(log.Open("c:\\t.log"));
  log.Write(app::LogLevel::kError, "AutoCAD \xC3\xA8 in esecuzione \xE2\x80\x93 \xE2\x82\xAC 5");
  log.Write(app::LogLevel::kMessage, "prima riga\r\nseconda \xE2\x80\x9Criga\xE2\x80\x9D\nterza");
  log.Answer("Creare il gruppo?", false);
  log.Write(app::LogLevel::kEvent, "Codice di uscita: 0");
  log.Close();
  EXPECT_EQ(Bytes("c:\\t.log"),
            kMark + kStamp +
                "Errore: AutoCAD \xC3\xA8 in esecuzione \xE2\x80\x93 \xE2\x82\xAC 5\r\n" + kStamp +
                "Messaggio: prima riga\r\n" + std::string(kStamp.size(), ' ') +
                "seconda \xE2\x80\x9Criga\xE2\x80\x9D\r\n" + std::string(kStamp.size(), ' ') +
                "terza\r\n" + kStamp + "Domanda: Creare il gruppo? -> no\r\n" + kStamp +
                "Codice di uscita: 0\r\n");
}

TEST_F(InstallLogTest, OpeningALogAgainEmptiesItAndWritesOneMark) {
  Disk().PutFile("c:\\t.log", "an earlier run's log\r\n");
  for (int run = 0; run < 2; ++run) {
    app::InstallLog log;
    ASSERT_TRUE(log.Open("c:\\t.log"));
    log.Write(app::LogLevel::kEvent, "Codice di uscita: 0");
    log.Close();
  }
  EXPECT_EQ(Bytes("c:\\t.log"), kMark + kStamp + "Codice di uscita: 0\r\n");
}

TEST_F(InstallLogTest, ALogInAFolderThatDoesNotExistIsNoneAndWritesNothing) {
  app::InstallLog log;
  EXPECT_FALSE(log.Open("c:\\nowhere\\t.log"));
  EXPECT_FALSE(log.IsOpen());
  EXPECT_EQ(log.Path(), "");
  log.Write(app::LogLevel::kEvent, "Codice di uscita: 0");
  EXPECT_FALSE(Disk().FileContent("c:\\nowhere\\t.log").has_value());
}

}  // namespace
