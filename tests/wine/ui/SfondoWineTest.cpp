// The background window on a real Win32 window under Wine: its client area is painted through the
// graphic-control host and read back from the screen. The first client row must be the gradient's
// start RGB (26, 92, 158), the last row white, and the title must change the pixels where the
// label stands. Also checked: a panel draws at once on its window, and mouse messages reach the
// effect label, which sinks and rises as a button. A failing picture is saved as a PPM file.
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <memory>
#include <string>

#include "toolkit/win32/GdiCanvas.h"
#include "toolkit/win32/GraphicHost.h"
#include "ui/Sfondo.h"

namespace {

using namespace toolkit;
using toolkit::win32::DibBitmap;

ui::TSfondoDlg* hosted = nullptr;

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (hosted != nullptr) {
    switch (message) {
      case WM_SIZE:
        hosted->DoResize(LOWORD(lParam), HIWORD(lParam));
        InvalidateRect(window, nullptr, FALSE);
        return 0;
      case WM_ERASEBKGND:
        return 1;
      case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        SetDCBrushColor(dc, hosted->Color() & 0xFFFFFF);
        FillRect(dc, &ps.rcPaint, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
        win32::PaintGraphicChildren(*hosted, dc, ps.rcPaint);
        EndPaint(window, &ps);
        return 0;
      }
      default:
        if (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST &&
            win32::RouteMouseToGraphic(*hosted, window, message, wParam, lParam))
          return 0;
    }
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

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

struct DestroyWindowCall {
  void operator()(HWND w) const { DestroyWindow(w); }
};

class SfondoWineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSA cls{};
    cls.lpfnWndProc = HostProc;
    cls.hInstance = GetModuleHandleA(nullptr);
    cls.lpszClassName = "TolvekSfondoHost";
    cls.hCursor = LoadCursor(nullptr, IDC_ARROW);
    RegisterClassA(&cls);
    dialog_ = std::make_unique<ui::TSfondoDlg>();
    dialog_->FormCreate();
    dialog_->LabelEffect1.SetCaption("Tolvek per AutoCAD");
    hosted = dialog_.get();
    window_.reset(CreateWindowExA(0, "TolvekSfondoHost", "Install v 5.0",
                                  WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME,
                                  CW_USEDEFAULT, CW_USEDEFAULT, 610, 423, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr));
    ASSERT_NE(window_.get(), nullptr);
    ShowWindow(window_.get(), SW_SHOWMAXIMIZED);
    UpdateWindow(window_.get());
    Pump();
    // A display without a window manager may leave the window restored; the checks need room
    // beside the 677-pixel title to compare it with the bare gradient.
    RECT client;
    GetClientRect(window_.get(), &client);
    if (client.right < 800) {
      MoveWindow(window_.get(), 0, 0, 1000, 600, TRUE);
      Pump();
    }
  }
  void TearDown() override {
    window_.reset();
    hosted = nullptr;
  }

  // The client area as the screen shows it.
  std::unique_ptr<DibBitmap> Capture() {
    RECT client;
    GetClientRect(window_.get(), &client);
    auto shot = std::make_unique<DibBitmap>(client.right, client.bottom);
    HDC dc = GetDC(window_.get());
    BitBlt(shot->Handle(), 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
    ReleaseDC(window_.get(), dc);
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
  std::unique_ptr<std::remove_pointer_t<HWND>, DestroyWindowCall> window_;
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
  SendMessageA(window_.get(), WM_LBUTTONDOWN, MK_LBUTTON, inside);
  EXPECT_EQ(dialog_->LabelEffect1.EffectStyle(), ui::esSunken);
  SendMessageA(window_.get(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(800, 300));
  EXPECT_EQ(dialog_->LabelEffect1.EffectStyle(), ui::esRaised);
  SendMessageA(window_.get(), WM_MOUSEMOVE, MK_LBUTTON, inside);
  EXPECT_EQ(dialog_->LabelEffect1.EffectStyle(), ui::esSunken);
  SendMessageA(window_.get(), WM_LBUTTONUP, 0, inside);
  EXPECT_EQ(dialog_->LabelEffect1.EffectStyle(), ui::esRaised);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(clicks, 1);
}

}  // namespace
