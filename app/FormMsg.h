#pragma once
#include <windows.h>

#include <string>

namespace teshmar::app {

// The message window: one text, read-only and centred, and an OK button, shown modally.
struct TFrmMsg {
  HWND hwnd = nullptr;
  HWND MsgEd = nullptr;      // read-only rich text box
  HWND RzBitBtn1 = nullptr;  // "确定"
  std::string MessageText;   // UTF-8
  HFONT editFont = nullptr;
  HFONT buttonFont = nullptr;
};

// The open message window, or nullptr: the guard against a second one.
extern TFrmMsg* FrmMsg;

constexpr int kMsgClientWidth = 479;
constexpr int kMsgClientHeight = 149;
constexpr int kRzBitBtn1Id = IDOK;
constexpr int kMsgEdId = 100;

// Shows `text` (UTF-8; CR LF between several messages, one per line) in the message window and
// returns when the operator has closed it. An empty text shows nothing; a text that arrives while
// a message window is open is dropped and the call returns at once. The console's other windows
// are disabled meanwhile; timers keep running.
void ShowMessageWindow(const std::string& text);

}  // namespace teshmar::app
