// The background window of the real INSTALL.EXE under Wine, read back from the screen as the user
// sees it: the first client row is the gradient's start RGB (26, 92, 158), the last client row is
// white, and the title changes the gradient where its label stands (5, 4, 677 x 33) and nowhere
// beside it. The main dialog and any other window lie over parts of the backdrop; only the pixels
// no window covers are checked. A failing picture is saved as a PPM file.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "tests/wine/support/Driver.h"
#include "toolkit/win32/Handles.h"

namespace {

using namespace winetest;
using toolkit::win32::SelectedObject;
using toolkit::win32::UniqueBitmap;
using toolkit::win32::UniqueMemoryDc;
using toolkit::win32::WindowDc;

constexpr std::uint32_t Rgb32(int r, int g, int b) {
  return (std::uint32_t(r) << 16) | (std::uint32_t(g) << 8) | std::uint32_t(b);
}
constexpr std::uint32_t kTop = Rgb32(26, 92, 158);
constexpr std::uint32_t kWhite = Rgb32(255, 255, 255);
constexpr std::uint32_t kBlack = Rgb32(0, 0, 0);
constexpr std::uint32_t kGray = Rgb32(128, 128, 128);
constexpr RECT kTitle{5, 4, 5 + 677, 4 + 33};

// The background's client area as the screen shows it, with what other windows cover.
struct Screenshot {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;  // 0x00RRGGBB, top row first
  std::vector<RECT> covered;          // client coordinates

  std::uint32_t At(int x, int y) const {
    return pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)] & 0x00FFFFFF;
  }
  bool Visible(int x, int y) const {
    const POINT p{x, y};
    for (const RECT& r : covered) {
      if (PtInRect(&r, p)) return false;
    }
    return true;
  }
};

Screenshot Capture(HWND background) {
  Screenshot shot;
  RECT client;
  GetClientRect(background, &client);
  POINT origin{0, 0};
  ClientToScreen(background, &origin);
  shot.width = client.right;
  shot.height = client.bottom;
  shot.pixels.assign(std::size_t(shot.width) * std::size_t(shot.height), 0);

  // Every visible window above the background in the z-order hides part of it.
  for (HWND above = GetWindow(background, GW_HWNDPREV); above != nullptr;
       above = GetWindow(above, GW_HWNDPREV)) {
    RECT r;
    if (!IsWindowVisible(above) || !GetWindowRect(above, &r)) continue;
    OffsetRect(&r, -origin.x, -origin.y);
    shot.covered.push_back(r);
  }

  // From the screen rather than the window's own DC: what the user sees, other windows included.
  WindowDc screen(nullptr);
  UniqueMemoryDc memory(CreateCompatibleDC(screen.Get()));
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = shot.width;
  info.bmiHeader.biHeight = -shot.height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  UniqueBitmap section(CreateDIBSection(memory.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!section || bits == nullptr) return shot;
  {
    SelectedObject selected(memory.Get(), section.Get());
    BitBlt(memory.Get(), 0, 0, shot.width, shot.height, screen.Get(), origin.x, origin.y, SRCCOPY);
    GdiFlush();
    const auto* first = static_cast<const std::uint32_t*>(bits);
    shot.pixels.assign(first, first + shot.pixels.size());
  }
  return shot;
}

void Save(const Screenshot& shot, const std::string& name) {
  std::ofstream file(std::string(UI_WINE_OUTPUT_DIR) + "\\" + name + ".ppm", std::ios::binary);
  file << "P6\n" << shot.width << ' ' << shot.height << "\n255\n";
  for (std::uint32_t p : shot.pixels) {
    const char rgb[3] = {char((p >> 16) & 0xFF), char((p >> 8) & 0xFF), char(p & 0xFF)};
    file.write(rgb, 3);
  }
}

// Pixels of row `y` no window covers, and how many of them have `colour`.
struct RowCount {
  int visible = 0;
  int matching = 0;
};
RowCount CountRow(const Screenshot& shot, int y, std::uint32_t colour) {
  RowCount count;
  for (int x = 0; x < shot.width; ++x) {
    if (!shot.Visible(x, y)) continue;
    ++count.visible;
    if (shot.At(x, y) == colour) ++count.matching;
  }
  return count;
}

class InstallerSfondoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    installer_ = std::make_unique<InstallerProcess>(BuiltFile("INSTALL.EXE"), "");
    ASSERT_NE(installer_->Id(), 0u) << "INSTALL.EXE did not start";
    background_ = WaitForWindow(installer_->Id(),
                                [](HWND window) { return ControlName(window) == "SfondoDlg"; });
    ASSERT_NE(background_, nullptr) << "the background window did not appear";
    // The backdrop is painted by the time the main dialog is up over it, or soon after.
    dialog_ = WaitForWindow(installer_->Id(),
                            [](HWND window) { return ControlName(window) == "MainDlg"; });
    ASSERT_NE(dialog_, nullptr) << "the main dialog did not appear";
    WaitUntil([&] {
      const Screenshot shot = Capture(background_);
      const RowCount top = CountRow(shot, 0, kTop);
      return shot.height > 0 && top.visible > 0 && top.matching == top.visible;
    });
    shot_ = Capture(background_);
    ASSERT_GT(shot_.width, kTitle.right) << "the window is narrower than its title";
    ASSERT_GT(shot_.height, kTitle.bottom);
  }
  void TearDown() override {
    if (HasFailure()) Save(shot_, "InstallerSfondo");
  }

  std::unique_ptr<InstallerProcess> installer_;
  HWND background_ = nullptr;
  HWND dialog_ = nullptr;
  Screenshot shot_;
};

TEST_F(InstallerSfondoTest, BackgroundIsMaximized) {
  EXPECT_TRUE(IsZoomed(background_));
  EXPECT_EQ(Text(background_), "Install v 5.0");
}

TEST_F(InstallerSfondoTest, FirstClientRowIsTheGradientStart) {
  const RowCount top = CountRow(shot_, 0, kTop);
  // Nothing lies over the top edge but, at most, a narrow window: most of the row must show.
  EXPECT_GT(top.visible, shot_.width / 2);
  EXPECT_EQ(top.matching, top.visible) << "first row, pixel 0 is " << std::hex << shot_.At(0, 0);
}

TEST_F(InstallerSfondoTest, LastClientRowIsWhite) {
  const int last = shot_.height - 1;
  const RowCount bottom = CountRow(shot_, last, kWhite);
  EXPECT_GT(bottom.visible, shot_.width / 2);
  EXPECT_EQ(bottom.matching, bottom.visible)
      << "last row, pixel 0 is " << std::hex << shot_.At(0, last);
}

TEST_F(InstallerSfondoTest, TitleChangesTheGradientWhereItsLabelStandsOnly) {
  int changed = 0;
  int black = 0;
  int white = 0;
  int gray = 0;
  int checkedRows = 0;
  for (int y = kTitle.top; y < kTitle.bottom; ++y) {
    // The bands run across the whole width: beside the label the row shows the bare gradient.
    int reference = -1;
    for (int x = shot_.width - 1; x >= kTitle.right; --x) {
      if (shot_.Visible(x, y)) {
        reference = int(shot_.At(x, y));
        break;
      }
    }
    if (reference < 0) continue;
    ++checkedRows;
    for (int x = kTitle.right; x < shot_.width; ++x) {
      if (!shot_.Visible(x, y)) continue;
      EXPECT_EQ(shot_.At(x, y), std::uint32_t(reference))
          << "beside the title at " << x << "," << y;
    }
    for (int x = kTitle.left; x < kTitle.right; ++x) {
      if (!shot_.Visible(x, y)) continue;
      const std::uint32_t p = shot_.At(x, y);
      if (p == std::uint32_t(reference)) continue;
      ++changed;
      black += p == kBlack;
      white += p == kWhite;
      gray += p == kGray;
    }
  }
  ASSERT_GT(checkedRows, 0) << "windows cover the whole width beside the title";
  // "Tolvek per AutoCAD" in 27-pixel letters: hundreds of pixels, in the three raised colours.
  EXPECT_GT(changed, 300);
  EXPECT_GT(black, 0) << "no shadow";
  EXPECT_GT(white, 0) << "no highlight";
  EXPECT_GT(gray, 0) << "no face";
  // The rows just above and below the label show nothing of it.
  for (int y : {int(kTitle.top) - 1, int(kTitle.bottom)}) {
    if (!shot_.Visible(shot_.width - 1, y)) continue;
    const std::uint32_t reference = shot_.At(shot_.width - 1, y);
    for (int x = kTitle.left; x < kTitle.right; ++x) {
      if (!shot_.Visible(x, y)) continue;
      EXPECT_EQ(shot_.At(x, y), reference) << "outside the label at " << x << "," << y;
    }
  }
}

}  // namespace
