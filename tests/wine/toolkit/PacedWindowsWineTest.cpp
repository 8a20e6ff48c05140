// The status line and the progress bar change for every extracted file, far faster than anyone
// reads them, so their windows keep up at a pace instead of at every change, and the message pump
// does not ask the Wine server again right after finding the queue empty. Checked here on real
// windows: the label's text and the bar's range and position are exact at once for anyone who
// asks the window, both windows show the control's last state soon after a burst, a change after
// a quiet spell shows at once, and the pump handles every message posted between its looks.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <uxtheme.h>

#include <chrono>
#include <functional>
#include <string>

#include "tests/wine/support/Driver.h"
#include "toolkit/Controls.h"
#include "toolkit/Forms.h"

namespace {

using namespace toolkit;
using Clock = std::chrono::steady_clock;

// Runs the application's message pump until `done`; false when a second went by first.
bool PumpUntil(const std::function<bool()>& done) {
  const Clock::time_point deadline = Clock::now() + std::chrono::seconds(1);
  while (!done()) {
    if (Clock::now() > deadline) return false;
    App().ProcessMessages();
    Sleep(1);
  }
  return true;
}

// The text the window system keeps for the window: what another program's GetWindowText reads.
std::string SystemText(HWND window) {
  wchar_t wide[256] = {};
  InternalGetWindowText(window, wide, 256);
  char text[256] = {};
  WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
  return text;
}

std::string FileCaption(int i) { return "parte" + std::to_string(i) + ".tab in copia..."; }

class PacedWindowsWineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form_.SetCaption("Paced");
    form_.SetClientSize(400, 100);
    status_.SetBounds(8, 8, 0, 0);
    bar_.SetBounds(8, 40, 380, 12);
    form_.Create();
    form_.Show();
    HWND form = FindWindowA("TForm", "Paced");
    label_ = winetest::FindControl(form, "Status");
    barWindow_ = winetest::FindControl(form, "Bar");
    ASSERT_NE(label_, nullptr);
    ASSERT_NE(barWindow_, nullptr);
  }

  void TearDown() override { form_.Hide(); }

  Form form_{"PacedForm"};
  Label status_{&form_, "Status"};
  ProgressBar bar_{&form_, "Bar"};
  HWND label_ = nullptr;
  HWND barWindow_ = nullptr;
};

TEST_F(PacedWindowsWineTest, ABurstOfCaptionsIsExactAtOnceForWhoeverAsksAndShownSoonAfter) {
  for (int i = 1; i <= 500; ++i) status_.SetCaption(FileCaption(i));
  const std::string last = FileCaption(500);
  char text[256] = {};
  SendMessageA(label_, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  EXPECT_EQ(std::string(text), last);
  EXPECT_EQ(SendMessageA(label_, WM_GETTEXTLENGTH, 0, 0), LRESULT(last.size()));
  char cut[6] = {};
  EXPECT_EQ(SendMessageA(label_, WM_GETTEXT, sizeof cut, reinterpret_cast<LPARAM>(cut)), 5);
  EXPECT_EQ(std::string(cut), "parte");

  // The window system's copy and the window's size catch up with the last caption: the size is
  // the one the label takes for that caption set on its own.
  EXPECT_TRUE(PumpUntil([&] { return SystemText(label_) == last; }));
  RECT afterBurst;
  GetClientRect(label_, &afterBurst);
  status_.SetCaption("x");
  Sleep(100);
  status_.SetCaption(last);
  RECT alone;
  GetClientRect(label_, &alone);
  EXPECT_GT(alone.right, 0);
  EXPECT_EQ(afterBurst.right, alone.right);
  EXPECT_EQ(afterBurst.bottom, alone.bottom);
}

TEST_F(PacedWindowsWineTest, AChangeAfterAQuietSpellIsShownAtOnce) {
  status_.SetCaption("parte1.tab in copia...");
  Sleep(100);
  status_.SetCaption("Copia terminata");
  EXPECT_EQ(SystemText(label_), "Copia terminata");
}

TEST_F(PacedWindowsWineTest, TheBarIsExactAtOnceForWhoeverAsksAndShowsItsControlSoonAfter) {
  for (int file = 0; file < 300; ++file) {
    bar_.SetMax(1 + file % 7);
    bar_.SetMin(1);
    bar_.SetStep(1);
    bar_.SetPosition(1);
    bar_.StepIt();
  }
  bar_.SetMax(40);
  bar_.SetPosition(17);
  EXPECT_EQ(SendMessageA(barWindow_, PBM_GETPOS, 0, 0), 17);
  EXPECT_EQ(SendMessageA(barWindow_, PBM_GETRANGE, FALSE, 0), 40);
  EXPECT_EQ(SendMessageA(barWindow_, PBM_GETRANGE, TRUE, 0), 1);
  PBRANGE range{};
  SendMessageA(barWindow_, PBM_GETRANGE, TRUE, reinterpret_cast<LPARAM>(&range));
  EXPECT_EQ(range.iLow, 1);
  EXPECT_EQ(range.iHigh, 40);

  // What the bar shows is the system control's own state, asked of its class's procedure.
  const auto shown = [&](UINT message, WPARAM wParam) {
    auto classProc = reinterpret_cast<WNDPROC>(GetClassLongPtrA(barWindow_, GCLP_WNDPROC));
    return CallWindowProcA(classProc, barWindow_, message, wParam, 0);
  };
  EXPECT_TRUE(PumpUntil([&] {
    return shown(PBM_GETPOS, 0) == 17 && shown(PBM_GETRANGE, FALSE) == 40 &&
           shown(PBM_GETRANGE, TRUE) == 1;
  }));
}

TEST_F(PacedWindowsWineTest, TheBarIsDrawnWithoutTheTheme) {
  // Wine's themed bar filters the theme's pictures at every paint, about a millisecond each.
  EXPECT_EQ(GetWindowTheme(barWindow_), nullptr);
}

int handled = 0;

LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_APP) {
    ++handled;
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

TEST_F(PacedWindowsWineTest, ThePumpHandlesEveryMessagePostedBetweenItsLooks) {
  WNDCLASSA cls{};
  cls.lpfnWndProc = CountingProc;
  cls.hInstance = GetModuleHandleA(nullptr);
  cls.lpszClassName = "TolvekCounting";
  RegisterClassA(&cls);
  HWND counter = CreateWindowA("TolvekCounting", "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                               cls.hInstance, nullptr);
  ASSERT_NE(counter, nullptr);
  handled = 0;
  for (int i = 0; i < 20; ++i) {
    App().ProcessMessages();
    PostMessageA(counter, WM_APP, 0, 0);
    App().ProcessMessages();
  }
  EXPECT_TRUE(PumpUntil([] { return handled == 20; }));
  DestroyWindow(counter);
}

}  // namespace
