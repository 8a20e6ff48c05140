// What a silent installation and its removal write to their logs, byte for byte, held against the
// logs kept beside this file: the log is what whoever deploys the product reads afterwards, and
// its content changes only when a change means it to. The headless machine's clock is fixed and
// its temporary folder's names are known, so the logs are the same at every run. After a change
// that means to change a log, TOLVEK_WRITE_RUN_LOGS=1 writes the new ones for review.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "app/Startup.h"
#include "tests/support/HeadlessTest.h"
#include "tests/support/Medium.h"
#include "toolkit/headless/FakeProgramManager.h"
#include "toolkit/headless/HeadlessProcess.h"

namespace {

using toolkit::headless::HeadlessProc;

std::string Kept(const std::string& name) {
  std::ifstream file(std::string(RUN_LOGS_DIR) + "/" + name, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

void Keep(const std::string& name, const std::string& text) {
  std::ofstream(std::string(RUN_LOGS_DIR) + "/" + name, std::ios::binary) << text;
}

class RunLogTest : public testing_support::HeadlessTest {
 protected:
  int Run(const std::string& arguments) {
    HeadlessProc().SetArguments(arguments);
    return app::RunInstaller();
  }

  // The log against the kept one, line by line so that a difference names its line.
  static void ExpectKept(const std::string& name, const std::string& log) {
    if (std::getenv("TOLVEK_WRITE_RUN_LOGS") != nullptr) Keep(name, log);
    const std::string kept = Kept(name);
    std::istringstream now(log);
    std::istringstream before(kept);
    std::string line;
    std::string keptLine;
    for (int number = 1; std::getline(now, line); ++number) {
      std::getline(before, keptLine);
      EXPECT_EQ(line, keptLine) << name << ", line " << number;
    }
    EXPECT_EQ(log.size(), kept.size()) << name;
  }
};

TEST_F(RunLogTest, TheSilentInstallationAndRemovalWriteTheLogsKept) {
  testing_support::LayAutoCad2004Machine(Disk(), "c:\\Profiles\\u1\\Acad\\");
  toolkit::headless::ProgramManager().running = true;
  ASSERT_EQ(Run("/S"), 3010);
  ExpectKept("installation.log", Disk().FileContent("c:\\temp\\Tolvek-install.log").value_or(""));
  ASSERT_EQ(Run("/UNINSTALL /S \"/FROM=" + testing_support::kUserRecordFolder + "\""), 0);
  ExpectKept("removal.log", Disk().FileContent("c:\\temp\\Tolvek-uninstall.log").value_or(""));
}

}  // namespace
