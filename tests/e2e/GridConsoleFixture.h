#pragma once
// The console's grid worked from another process: the files it reads, its rows by WM_COPY, clicks
// on its rows, its message window, and the console built over the scripted database.
#include <windows.h>

#include <array>
#include <string>
#include <vector>

#include "e2e/ConsoleFixture.h"
#include "win/Wide.h"

namespace teshmar::e2e {

using namespace driver;

constexpr int kRgInfoId = 1005;
constexpr int kMsgEdId = 100;
constexpr int kHeadingHeight = 30;
constexpr int kFirstRowHeight = 29;
constexpr int kRowHeight = 30;

// Entries.ini and Quorvan.ini are code page 936 files.
inline std::string Cp936(const std::string& utf8) {
  const std::wstring wide = win::Widen(utf8);
  int size = WideCharToMultiByte(936, 0, wide.c_str(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(936, 0, wide.c_str(), static_cast<int>(wide.size()), bytes.data(), size, nullptr, nullptr);
  return bytes;
}

inline std::string EntriesFile(const std::vector<std::array<std::string, 3>>& entries) {
  std::string text = "[Entries]\r\nCount=" + std::to_string(entries.size()) + "\r\n";
  for (size_t i = 0; i < entries.size(); ++i) {
    text += "[Entry" + std::to_string(i + 1) + "]\r\nName=" + entries[i][0] + "\r\nAddr=" + entries[i][1] +
            "\r\nKind=" + entries[i][2] + "\r\n";
  }
  return Cp936(text);
}

inline std::string LinkSection(int entryNo, const std::string& server, const std::string& database) {
  return "[Item" + std::to_string(entryNo) + "]\r\nServername=" + server + "\r\nPort=1433\r\nDatabase=" + database +
         "\r\nLogid=sa\r\nLogpass=pw\r\nConnType=1\r\n";
}

// The y of the middle of an entry row in the grid's client area (nothing scrolled).
inline int RowMiddle(int row) {
  return row == 1 ? kHeadingHeight + kFirstRowHeight / 2
                  : kHeadingHeight + kFirstRowHeight + (row - 2) * kRowHeight + kRowHeight / 2;
}

inline const std::string kHeadings = "序号\t客户名称\t客户地址\t连接数据库(名)\t连接状态\r\n";

class GridConsoleTest : public ConsoleTest {
 protected:
  HWND Grid(HWND main) { return FindControl(main, kRgInfoId); }

  // The message window of the console, once it is there.
  HWND WaitMessageWindow(const Process& console, DWORD timeoutMs = kWait) {
    return WaitForWindow({"消息", "TFrmMsg", console.Id(), false}, timeoutMs);
  }

  static std::string MessageWindowText(HWND window) {
    std::string text = WindowText(FindControl(window, kMsgEdId));
    // A rich edit box hands line breaks back as CR alone.
    std::string lines;
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\r') {
        lines += "\r\n";
        if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
      } else {
        lines += text[i];
      }
    }
    return lines;
  }

  // The console built with the scripted database, with its script beside it.
  Process StartScripted(const std::string& script) {
    sandbox_.CopyIn(UnixToWinePath(TESHMAR_SCRIPTED_EXE), "TeshmarScripted.exe");
    sandbox_.WriteFile("ScriptedDb.txt", script);
    sandbox_.WriteFile("cwd\\keep", "");
    return Launch({sandbox_.Path("TeshmarScripted.exe"), {}, sandbox_.Path("cwd"), SW_SHOWNORMAL});
  }

  // A point of a grid cell's client area on the screen.
  static POINT OnScreen(HWND grid, int x, int y) {
    POINT point{x, y};
    ClientToScreen(grid, &point);
    return point;
  }

  // Moves the pointer over an entry row and reads the tip that shows there; empty when none shows.
  static std::string TooltipOver(const Process& console, HWND grid, int row) {
    const POINT at = OnScreen(grid, 200, RowMiddle(row));
    SetCursorPos(at.x, at.y);
    Post(grid, WM_MOUSEMOVE, 0, MAKELPARAM(200, RowMiddle(row)));
    Sleep(500);  // a tip of the row before is hidden by then
    std::string text;
    WaitUntil(
        [&] {
          // The pointer rests, as a person's hand never quite does: the tip wants a move to show.
          Post(grid, WM_MOUSEMOVE, 0, MAKELPARAM(201, RowMiddle(row)));
          for (HWND tip : FindWindows({"", "tooltips_class32", console.Id(), false})) text = WindowText(tip);
          return !text.empty();
        },
        2000);
    return text;
  }

  static bool SetText(HWND control, const std::wstring& text) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG, 5000,
                               &result) != 0;
  }

  void CloseMessageWindow(HWND window) {
    ASSERT_TRUE(PressButton(window, IDOK));
    ASSERT_TRUE(WaitForNoWindow({"消息", "TFrmMsg", 0, false}, kWait));
  }

  // What the grid puts on the clipboard for WM_COPY.
  static std::string CopiedRows(HWND grid) {
    if (!SendWithTimeout(grid, WM_COPY)) return "<no answer>";
    return ClipboardText();
  }

  static std::string ClipboardText() {
    std::string text = "<empty>";
    for (int attempt = 0; attempt < 20 && !OpenClipboard(nullptr); ++attempt) Sleep(50);
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
      if (auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
        text = win::Narrow(chars);
        GlobalUnlock(data);
      }
    }
    CloseClipboard();
    return text;
  }

  // A click on the first row, then a click with Shift on the last (posted keys carry no Ctrl state).
  static void SelectRows(HWND grid, int first, int last) {
    const LPARAM from = MAKELPARAM(60, RowMiddle(first));
    const LPARAM to = MAKELPARAM(60, RowMiddle(last));
    Post(grid, WM_LBUTTONDOWN, MK_LBUTTON, from);
    Post(grid, WM_LBUTTONUP, 0, from);
    Post(grid, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, to);
    Post(grid, WM_LBUTTONUP, MK_SHIFT, to);
  }

  static void DoubleClickRow(HWND grid, int row) {
    const LPARAM at = MAKELPARAM(60, RowMiddle(row));
    Post(grid, WM_LBUTTONDOWN, MK_LBUTTON, at);
    Post(grid, WM_LBUTTONUP, 0, at);
    Post(grid, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    Post(grid, WM_LBUTTONUP, 0, at);
  }
};

}  // namespace teshmar::e2e
