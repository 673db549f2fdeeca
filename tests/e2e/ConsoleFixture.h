#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <thread>

#include "tools/driver/Driver.h"
#include "win/Wide.h"

namespace teshmar::e2e {

// A fresh directory with its own copy of Teshmar.exe per test; every console started is ended.
class ConsoleTest : public ::testing::Test {
 protected:
  static constexpr DWORD kWait = 20000;

  void TearDown() override { RestoreDateFormats(); }

  std::string ProgramPath() { return sandbox_.CopyIn(driver::UnixToWinePath(TESHMAR_EXE), "Teshmar.exe"); }

  // Starts the console from another working directory, so the settings file is proved to be
  // looked up beside the program.
  driver::Process Start(int showState = SW_SHOWNORMAL) {
    const std::string program = sandbox_.Exists("Teshmar.exe") ? sandbox_.Path("Teshmar.exe") : ProgramPath();
    sandbox_.WriteFile("cwd\\keep", "");
    return driver::Launch({program, {}, sandbox_.Path("cwd"), showState});
  }

  HWND WaitMainWindow(const driver::Process& process, bool includeHidden = false) {
    return driver::WaitForWindow({"Teshmar", "TMainForm", process.Id(), includeHidden}, kWait);
  }

  HWND WaitMessageBox(const driver::Process& process) {
    return driver::WaitForWindow({"", "#32770", process.Id(), false}, kWait);
  }

  // The first show has run once the version line is in the memo.
  static HWND VersionMemo(HWND main) {
    for (const auto& control : driver::ChildControls(main)) {
      if (control.className == "Edit") return control.hwnd;
    }
    return nullptr;
  }

  static bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = kWait) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < end) {
      if (condition()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return condition();
  }

  bool WaitFirstShow(HWND main) {
    return WaitUntil([&] { return driver::WindowText(VersionMemo(main)) == "Quorvan程序版本号: 【140120】"; });
  }

  // Starts the console normally and waits for its first show; nullptr when it did not come.
  HWND StartShown(driver::Process& console) {
    console = Start();
    HWND main = WaitMainWindow(console);
    return main && WaitFirstShow(main) ? main : nullptr;
  }

  void Screenshot(const std::string& name) {
    driver::SavePng(driver::CaptureScreen(), driver::UnixToWinePath(std::string(TESHMAR_SCREENSHOT_DIR) + "/" + name));
  }

  // How many pixels of `part` (screen coordinates) of the screen have exactly this colour.
  static int CountColour(const RgbImage& screen, const RECT& part, COLORREF colour) {
    int count = 0;
    for (int y = std::max<int>(part.top, 0); y < part.bottom && y < screen.height; ++y) {
      for (int x = std::max<int>(part.left, 0); x < part.right && x < screen.width; ++x) {
        count += driver::PixelAt(screen, x, y) == colour ? 1 : 0;
      }
    }
    return count;
  }

  static RECT ScreenRect(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
  }

  // Saves the screen once it shows what `drawn` looks for, which proves the window was painted
  // (Wine puts what a window draws on the screen a little later); fails when it never does.
  void ScreenshotWhenDrawn(const std::string& name, const std::function<bool(const RgbImage&)>& drawn) {
    RgbImage screen;
    EXPECT_TRUE(WaitUntil([&] {
      screen = driver::CaptureScreen();
      return drawn(screen);
    })) << name << " was never drawn";
    driver::SavePng(screen, driver::UnixToWinePath(std::string(TESHMAR_SCREENSHOT_DIR) + "/" + name));
  }

  // Enough black pixels in the window for a line of text drawn there.
  static bool HasText(const RgbImage& screen, HWND window) {
    return window && CountColour(screen, ScreenRect(window), RGB(0, 0, 0)) > 30;
  }

  // A dialog with its controls drawn: some text, but no control still a black block, as Wine
  // shows a child window on the screen before its first painting.
  static bool DialogDrawn(const RgbImage& screen, HWND dialog) {
    const RECT r = ScreenRect(dialog);
    const int area = (r.right - r.left) * (r.bottom - r.top);
    return HasText(screen, dialog) && CountColour(screen, r, RGB(0, 0, 0)) * 20 < area;
  }

  // The main window's page as drawn: the page colour beside the button "关闭", the button's flat
  // frame and its face.
  static bool MainPageDrawn(const RgbImage& screen, HWND main) {
    HWND close = nullptr;
    for (const auto& control : driver::ChildControls(main)) {
      if (control.className == "Button" && control.text == "关闭") close = control.hwnd;
    }
    if (!close) return false;
    const RECT b = ScreenRect(close);
    const int middle = (b.top + b.bottom) / 2;
    return driver::PixelAt(screen, b.left - 4, middle) == RGB(247, 246, 245) &&
           driver::PixelAt(screen, b.left, middle) == RGB(0, 60, 116) &&
           CountColour(screen, b, RGB(244, 244, 240)) > (b.right - b.left) * (b.bottom - b.top) / 3;
  }

  static std::string RegistryFormat(const wchar_t* name) {
    wchar_t value[128] = {};
    DWORD size = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, L"Control Panel\\International", name, RRF_RT_REG_SZ, nullptr, value, &size) !=
        ERROR_SUCCESS) {
      return "<missing>";
    }
    return win::Narrow(value);
  }

  static void SetRegistryFormat(const wchar_t* name, const std::wstring& value) {
    RegSetKeyValueW(HKEY_CURRENT_USER, L"Control Panel\\International", name, REG_SZ, value.c_str(),
                    static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  }

  static void RestoreDateFormats() {
    SetRegistryFormat(L"sShortDate", L"yyyy-MM-dd");
    SetRegistryFormat(L"sLongDate", L"yyyy'年'M'月'd'日'");
    SetRegistryFormat(L"sTimeFormat", L"HH:mm:ss");
  }

  driver::E2eSandbox sandbox_{"teshmar-console"};
};

}  // namespace teshmar::e2e
