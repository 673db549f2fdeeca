#include "tools/driver/WindowInput.h"

#include <algorithm>

#include "tools/driver/WindowText.h"

namespace teshmar::driver {
namespace {

bool Click(HWND button, Delivery how, DWORD timeoutMs) {
  if (!button) return false;
  if (how == Delivery::Post) return Post(button, BM_CLICK);
  return SendWithTimeout(button, BM_CLICK, 0, 0, timeoutMs).has_value();
}

std::string WithoutMnemonics(std::string text) {
  // "&&" is a literal ampersand; a single '&' only marks the next letter.
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&') {
      if (i + 1 < text.size() && text[i + 1] == '&') out += text[++i];
      continue;
    }
    out += text[i];
  }
  return out;
}

}  // namespace

bool PressButton(HWND window, int id, Delivery how, DWORD timeoutMs) {
  return Click(FindControl(window, id), how, timeoutMs);
}

bool PressButton(HWND window, const std::string& caption, Delivery how, DWORD timeoutMs) {
  const auto controls = ChildControls(window);
  const auto it = std::find_if(controls.begin(), controls.end(), [&](const ControlInfo& c) {
    return c.className == "Button" && (c.text == caption || WithoutMnemonics(c.text) == caption);
  });
  return it != controls.end() && Click(it->hwnd, how, timeoutMs);
}

std::optional<LRESULT> SendWithTimeout(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD timeoutMs) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, timeoutMs, &result)) return std::nullopt;
  return static_cast<LRESULT>(result);
}

bool Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // PostMessageW(nullptr, ...) would land in the driver's own queue and report success.
  return IsWindow(window) && PostMessageW(window, message, wParam, lParam) != FALSE;
}

bool PostMinimise(HWND window) { return Post(window, WM_SYSCOMMAND, SC_MINIMIZE, 0); }

bool HasTaskbarButton(HWND window) { return IsWindowVisible(window) != FALSE; }

bool TypeKeys(const std::vector<WORD>& virtualKeys) {
  auto key = [](WORD vk, DWORD flags) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    in.ki.dwFlags = flags;
    return in;
  };
  std::vector<INPUT> inputs;
  for (WORD vk : virtualKeys) inputs.push_back(key(vk, 0));
  for (auto it = virtualKeys.rbegin(); it != virtualKeys.rend(); ++it) inputs.push_back(key(*it, KEYEVENTF_KEYUP));
  return SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) == inputs.size();
}

bool BringToForeground(HWND window, DWORD timeoutMs) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  for (;;) {
    SetForegroundWindow(window);
    if (GetForegroundWindow() == window) return true;
    if (GetTickCount64() >= end) return false;
    Sleep(50);
  }
}

HWND FocusedWindow(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

}  // namespace teshmar::driver
