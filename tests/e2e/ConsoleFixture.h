#pragma once
#include <windows.h>

#include <gtest/gtest.h>

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
