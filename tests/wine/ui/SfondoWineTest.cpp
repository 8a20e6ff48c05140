// The background window on its real Win32 window under Wine: the form's client area is painted
// through the window's graphic-control host and read back from the screen. The first client row
// must be the gradient's start RGB (26, 92, 158), the last row white, and the title must change
// the pixels where the label stands. Also checked: a panel draws at once on its window, and mouse
// messages reach the effect label, which sinks and rises as a button. A failing picture is saved
// as a PPM file.
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <memory>
#include <string>

#include "toolkit/win32/GdiCanvas.h"
#include "toolkit/win32/Peers.h"
#include "ui/Sfondo.h"

namespace {

using namespace toolkit;
using toolkit::win32::DibBitmap;

void Pump() {
  MSG msg;
  for (int i = 0; i < 50; ++i) {
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    Sleep(10);
  }
}

class SfondoWineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dialog_ = std::make_unique<ui::TSfondoDlg>();
    // The form's window, hidden, with its creation handler run.
    dialog_->Create();
    dialog_->LabelEffect1.SetCaption("Tolvek per AutoCAD");
    ASSERT_NE(Window(), nullptr);
    dialog_->Show();
    Pump();
    // A display without a window manager may leave the window restored; the checks need room
    // beside the 677-pixel title to compare it with the bare gradient.
    RECT client;
    GetClientRect(Window(), &client);
    if (client.right < 800) {
      MoveWindow(Window(), 0, 0, 1000, 600, TRUE);
      Pump();
    }
  }
  void TearDown() override { dialog_.reset(); }

  HWND Window() const { return win32::WindowOf(*dialog_); }

  // The client area as the screen shows it.
  std::unique_ptr<DibBitmap> Capture() {
    RECT client;
    GetClientRect(Window(), &client);
    auto shot = std::make_unique<DibBitmap>(client.right, client.bottom);
    HDC dc = GetDC(Window());
    BitBlt(shot->Handle(), 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
    ReleaseDC(Window(), dc);
    return shot;
  }

  void SaveOnFailure(DibBitmap& shot, const std::string& name) {
    if (!HasFailure()) return;
    std::ofstream file(std::string(UI_WINE_OUTPUT_DIR) + "\\" + name + ".ppm", std::ios::binary);
    file << "P6\n" << shot.Width() << ' ' << shot.Height() << "\n255\n";
    for (Pixel32 p : shot.Pixels()) {
      const char rgb[3] = {char((p >> 16) & 0xFF), char((p >> 8) & 0xFF), char(p & 0xFF)};
      file.write(rgb, 3);
    }
  }

  static Pixel32 At(DibBitmap& shot, int x, int y) {
    return shot.Pixels()[std::size_t(y) * shot.Width() + x] & kPixelRgbMask;
  }

  std::unique_ptr<ui::TSfondoDlg> dialog_;
};

TEST_F(SfondoWineTest, GradientFromBlueToWhiteWithTheTitleOverIt) {
  auto shot = Capture();
  const int w = shot->Width();
  const int h = shot->Height();
  ASSERT_GT(w, 700);
  ASSERT_GT(h, 300);
  for (int x = 0; x < w; ++x) {
    ASSERT_EQ(At(*shot, x, 0), ToPixel(Rgb(26, 92, 158))) << "first row, x " << x;
    ASSERT_EQ(At(*shot, x, h - 1), 0x00FFFFFFu) << "last row, x " << x;
  }
  // Where the title stands, pixels differ from the gradient row beside the label.
  int differing = 0;
  for (int y = 4; y < 37; ++y) {
    const Pixel32 band = At(*shot, w - 1, y);
    for (int x = 5; x < 682; ++x) differing += At(*shot, x, y) != band;
  }
  EXPECT_GT(differing, 500);
  SaveOnFailure(*shot, "SfondoWine");
}

TEST_F(SfondoWineTest, PanelDrawsAtOnceOnItsWindow) {
  dialog_->NetGradient1.SetBeginColor(clRed);  // drawn now, before any message is handled
  auto shot = Capture();
  EXPECT_EQ(At(*shot, shot->Width() - 1, 0), ToPixel(clRed));
  SaveOnFailure(*shot, "SfondoWineAtOnce");
}

TEST_F(SfondoWineTest, MouseMessagesReachTheLabelAsAButton) {
  dialog_->LabelEffect1.SetAsButton(true);
  int clicks = 0;
  dialog_->LabelEffect1.OnClick = [&] { ++clicks; };
  const LPARAM inside = MAKELPARAM(20, 10);
  SendMessageA(Window(), WM_LBUTTONDOWN, MK_LBUTTON, inside);
  EXPECT_EQ(dialog_->LabelEffect1.EffectStyle(), ui::esSunken);
  SendMessageA(Window(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(800, 300));
  EXPECT_EQ(dialog_->LabelEffect1.EffectStyle(), ui::esRaised);
  SendMessageA(Window(), WM_MOUSEMOVE, MK_LBUTTON, inside);
  EXPECT_EQ(dialog_->LabelEffect1.EffectStyle(), ui::esSunken);
  SendMessageA(Window(), WM_LBUTTONUP, 0, inside);
  EXPECT_EQ(dialog_->LabelEffect1.EffectStyle(), ui::esRaised);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(clicks, 1);
}

}  // namespace
