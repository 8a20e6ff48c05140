// The process service's look at the programs running beside it, on real processes under Wine,
// which is where its Toolhelp walk and its session lookup meet a real process list. A stand-in
// named acad.exe is found by its whole file name in any case while it runs and not after it has
// ended; part of its name, or its name with more, finds nothing. A wrong answer either way is a
// fault a user meets: an installation beside a running AutoCAD, or one refused with none running.
#include <windows.h>

#include <gtest/gtest.h>

#include "tests/wine/support/Driver.h"
#include "toolkit/Process.h"

namespace {

using toolkit::Proc;

TEST(RunningProgramWineTest, AProgramIsFoundByItsWholeFileNameWhileItRuns) {
  ASSERT_FALSE(Proc().IsProgramRunning("acad.exe")) << "an acad.exe was left running";
  {
    winetest::StandInAutoCad acad;
    ASSERT_TRUE(acad.Listed());
    for (const char* name : {"acad.exe", "ACAD.EXE", "Acad.Exe"}) {
      EXPECT_TRUE(Proc().IsProgramRunning(name)) << name;
    }
    for (const char* name : {"acad", "cad.exe", "acad.exe.exe", "acadlt.exe", ""}) {
      EXPECT_FALSE(Proc().IsProgramRunning(name)) << name;
    }
  }
  EXPECT_TRUE(winetest::WaitUntil([] { return !Proc().IsProgramRunning("acad.exe"); }))
      << "acad.exe is still found after it ended";
}

// The test program runs in its own session, so it finds itself: the session lookup does not
// count the caller out.
TEST(RunningProgramWineTest, TheCallersOwnProgramRunsInItsSession) {
  char path[MAX_PATH + 1] = {};
  const std::string self(path, GetModuleFileNameA(nullptr, path, sizeof path));
  EXPECT_TRUE(Proc().IsProgramRunning(self.substr(self.find_last_of('\\') + 1))) << self;
}

}  // namespace
