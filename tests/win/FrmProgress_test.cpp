#include "app/FrmProgress.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "win/Wide.h"
#include "WinTestSupport.h"

namespace teshmar::app {
namespace {

std::wstring TextOf(HWND hwnd) {
  wchar_t text[256] = {};
  GetWindowTextW(hwnd, text, 256);
  return text;
}

Colour PixelOf(const RgbImage& image, int x, int y) {
  const size_t i = (static_cast<size_t>(y) * image.width + x) * 3;
  return MakeColour(image.rgb[i], image.rgb[i + 1], image.rgb[i + 2]);
}

int CountNotices() { return test::CountThreadWindows(L"TFormPro"); }

class FrmProgressTest : public ::testing::Test {
 protected:
  void SetUp() override { SetOpeningOutline(false); }
  void TearDown() override {
    HideProgressWindow();
    SetOpeningOutline(true);
  }
};

TEST_F(FrmProgressTest, HideWithoutAWindowDoesNothing) {
  ASSERT_EQ(FormPro, nullptr);
  HideProgressWindow();
  EXPECT_EQ(FormPro, nullptr);
  EXPECT_EQ(CountNotices(), 0);
}

TEST_F(FrmProgressTest, ShownTwiceItIsOneWindowAtTheSamePlace) {
  ShowProgressWindow("正在检查数据库连接...", true, true, false, kProgressEndColour);
  ASSERT_NE(FormPro, nullptr);
  HWND first = FormPro->hwnd;
  RECT placed;
  GetWindowRect(first, &placed);
  const Point centre = ProgressWindowPlace(GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN),
                                           315, 111, true);
  EXPECT_EQ(placed.left, centre.x);
  EXPECT_EQ(placed.top, centre.y);
  EXPECT_EQ(placed.right - placed.left, 315);
  EXPECT_EQ(placed.bottom - placed.top, 111);
  EXPECT_TRUE(GetWindowLongW(first, GWL_EXSTYLE) & WS_EX_TOPMOST);

  // off centre this time: the place stays, since the window's first show does not run again
  ShowProgressWindow("再一次", false, true, false, kProgressEndColour);
  ASSERT_NE(FormPro, nullptr);
  EXPECT_EQ(FormPro->hwnd, first);
  RECT again;
  GetWindowRect(first, &again);
  EXPECT_TRUE(EqualRect(&placed, &again));
  EXPECT_EQ(TextOf(FormPro->lblTitle), L"再一次");
  EXPECT_EQ(CountNotices(), 1);

  HideProgressWindow();
  EXPECT_EQ(FormPro, nullptr);
  EXPECT_FALSE(IsWindow(first));
}

TEST_F(FrmProgressTest, OffCentreGoesUpAndLeftBy200) {
  ShowProgressWindow("偏移", false, true, false, kProgressEndColour);
  ASSERT_NE(FormPro, nullptr);
  RECT placed;
  GetWindowRect(FormPro->hwnd, &placed);
  const int width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
  const int height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  EXPECT_EQ(placed.left, (width - 315) / 2 - 200);
  EXPECT_EQ(placed.top, (height - 111) / 2 - 200);
}

TEST_F(FrmProgressTest, GaugeChoosesTheLabel) {
  ShowProgressWindow("带进度", true, true, false, kProgressEndColour);
  ASSERT_NE(FormPro, nullptr);
  EXPECT_EQ(TextOf(FormPro->lblTitle), L"带进度");
  EXPECT_EQ(TextOf(FormPro->Label1), L"");
  EXPECT_TRUE(IsWindowVisible(FormPro->Gauge));
  EXPECT_EQ(TextOf(FormPro->Gauge), L"0%");

  ShowProgressWindow("不带进度", true, false, false, kProgressEndColour);
  EXPECT_EQ(TextOf(FormPro->Label1), L"不带进度");
  EXPECT_EQ(TextOf(FormPro->lblTitle), L"带进度") << "the other label keeps its text";
  EXPECT_FALSE(IsWindowVisible(FormPro->Gauge));

  // labels are sized to their text
  RECT shortLabel, longLabel;
  GetWindowRect(FormPro->Label1, &shortLabel);
  ShowProgressWindow("不带进度，文字更长一些", true, false, false, kProgressEndColour);
  GetWindowRect(FormPro->Label1, &longLabel);
  EXPECT_GT(longLabel.right - longLabel.left, shortLabel.right - shortLabel.left);
  EXPECT_GT(shortLabel.right - shortLabel.left, 0);
}

TEST_F(FrmProgressTest, CancelButtonOnlySetsCancelled) {
  ShowProgressWindow("可取消", true, true, false, kProgressEndColour);
  ASSERT_NE(FormPro, nullptr);
  EXPECT_FALSE(IsWindowVisible(FormPro->SpeedButton1));
  ShowProgressWindow("可取消", true, true, true, kProgressEndColour);
  ASSERT_TRUE(IsWindowVisible(FormPro->SpeedButton1));
  EXPECT_EQ(TextOf(FormPro->SpeedButton1), L"取  消(&C)");
  EXPECT_FALSE(FormPro->Cancelled);
  SendMessageW(FormPro->SpeedButton1, BM_CLICK, 0, 0);
  EXPECT_TRUE(FormPro->Cancelled);
  EXPECT_TRUE(IsWindowVisible(FormPro->hwnd));

  FormPro->Cancelled = false;
  SendMessageW(FormPro->hwnd, WM_SYSCHAR, L'c', 0);
  EXPECT_TRUE(FormPro->Cancelled) << "Alt+C";

  ShowProgressWindow("正在处理，可以取消", true, false, true, kProgressEndColour);
  RECT rect;
  GetWindowRect(FormPro->hwnd, &rect);
  RECT button;
  GetWindowRect(FormPro->SpeedButton1, &button);
  OffsetRect(&button, -rect.left, -rect.top);
  RECT label;
  GetWindowRect(FormPro->Label1, &label);
  OffsetRect(&label, -rect.left, -rect.top);
  // Painted: the frames at the edges, the red caption of the cancel button, the black label text.
  const bool painted = test::PumpUntil([&] {
    const RgbImage shot = test::GrabScreen(rect);
    return PixelOf(shot, 0, 50) == kFrameLight && PixelOf(shot, 314, 50) == kFrameDark &&
           test::CountColour(shot, button, RGB(255, 0, 0)) > 20 && test::CountColour(shot, label, RGB(0, 0, 0)) > 20;
  });
  EXPECT_TRUE(painted);
  EXPECT_TRUE(test::SaveScreenshot(rect, TESHMAR_SCREENSHOT_DIR, "progress_window_cancel"));
}

TEST_F(FrmProgressTest, ShownAgainDuringItsHideItIsPlacedAndPaintedAfresh) {
  ShowProgressWindow("第一次", true, true, false, kProgressEndColour);
  ASSERT_NE(FormPro, nullptr);
  const Colour red = MakeColour(255, 0, 0);
  bool ran = false;
  RECT placed{};
  Colour column311 = 0;
  // A double-click queued behind the hide shows the notice again while it is hidden, not yet destroyed.
  test::TimerScript script(1, [&] {
    if (!FormPro || IsWindowVisible(FormPro->hwnd)) return true;
    ShowProgressWindow("第二次", false, true, false, red);
    ran = true;
    GetWindowRect(FormPro->hwnd, &placed);
    const auto* row = static_cast<const std::uint8_t*>(FormPro->backgroundBits) + 50 * ((315 * 3 + 3) / 4 * 4);
    column311 = MakeColour(row[311 * 3 + 2], row[311 * 3 + 1], row[311 * 3]);
    return false;
  });
  Sleep(30);
  HideProgressWindow();
  ASSERT_TRUE(ran);
  const Point offCentre = ProgressWindowPlace(GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN),
                                              315, 111, false);
  EXPECT_EQ(placed.left, offCentre.x);
  EXPECT_EQ(placed.top, offCentre.y);
  EXPECT_EQ(column311, GradientRow(kWhite, red, 315)[311]);
}

TEST_F(FrmProgressTest, HideHandlesWaitingMessagesFirst) {
  ShowProgressWindow("等待", true, true, false, kProgressEndColour);
  bool handled = false;
  bool windowAliveThen = false;
  test::TimerScript script(1, [&] {
    handled = true;
    windowAliveThen = FormPro != nullptr;
    return false;
  });
  Sleep(30);  // the tick is due before the hide starts
  HideProgressWindow();
  EXPECT_TRUE(handled);
  EXPECT_TRUE(windowAliveThen) << "handled before the window is destroyed";
  EXPECT_EQ(FormPro, nullptr);
}

TEST_F(FrmProgressTest, HideInsideAHandlerOfTheHideIsHarmless) {
  ShowProgressWindow("嵌套", true, true, false, kProgressEndColour);
  HWND hwnd = FormPro->hwnd;
  test::TimerScript script(1, [] {
    HideProgressWindow();
    return false;
  });
  Sleep(30);
  HideProgressWindow();
  EXPECT_EQ(FormPro, nullptr);
  EXPECT_FALSE(IsWindow(hwnd));
}

TEST_F(FrmProgressTest, PaintedNoticeReadBackFromTheScreen) {
  SetOpeningOutline(true);  // the outline is played and must leave the notice as painted
  ShowProgressWindow("正在检查数据库连接，请稍候...", true, true, false, kProgressEndColour);
  ASSERT_NE(FormPro, nullptr);
  RECT rect;
  GetWindowRect(FormPro->hwnd, &rect);
  const std::vector<Colour> gradient = GradientRow(kWhite, kProgressEndColour, 315);
  const int left = rect.left, top = rect.top, right = rect.right - 1, bottom = rect.bottom - 1;
  const struct {
    const char* what;
    int x, y;
    Colour expected;
  } cases[] = {
      {"outer left", left, top + 90, kFrameLight},
      {"outer top", left + 157, top, kFrameLight},
      {"outer right", right, top + 90, kFrameDark},
      {"outer bottom", left + 157, bottom, kFrameDark},
      {"middle left", left + 1, top + 90, kFrameLight},
      {"middle right", right - 1, top + 90, kFrameLight},
      {"inner left", left + 2, top + 90, kFrameDark},
      {"inner top", left + 157, top + 2, kFrameDark},
      {"inner right", right - 2, top + 90, kFrameLight},
      {"inner bottom", left + 157, bottom - 2, kFrameLight},
      {"first gradient column inside the frames", left + 3, top + 90, gradient[3]},
      {"last gradient column inside the frames", right - 3, top + 90, gradient[311]},
      {"middle of the gradient", left + 157, top + 90, gradient[157]},
  };
  test::PumpUntil([&] { return test::ScreenPixel(left + 157, top + 90) == gradient[157]; });
  for (const auto& c : cases) {
    EXPECT_EQ(test::ScreenPixel(c.x, c.y), c.expected) << c.what;
  }
  EXPECT_TRUE(test::SaveScreenshot(rect, TESHMAR_SCREENSHOT_DIR, "progress_window"));
}

}  // namespace
}  // namespace teshmar::app
