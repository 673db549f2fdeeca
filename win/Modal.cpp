#include "win/Modal.h"

#include <algorithm>
#include <vector>

namespace teshmar::win {
namespace {

constexpr wchar_t kModalProperty[] = L"TeshmarModalRun";

struct ModalRun {
  bool ended = false;
  int result = 0;
};

struct DisableContext {
  HWND except;
  std::vector<HWND> disabled;
};

BOOL CALLBACK DisableOne(HWND window, LPARAM data) {
  auto* context = reinterpret_cast<DisableContext*>(data);
  if (window != context->except && IsWindowVisible(window) && IsWindowEnabled(window)) {
    EnableWindow(window, FALSE);
    context->disabled.push_back(window);
  }
  return TRUE;
}

// The windows running modally on this thread, the innermost last.
thread_local std::vector<HWND> modalWindows;

ModalRun* RunOf(HWND window) {
  return window ? static_cast<ModalRun*>(GetPropW(window, kModalProperty)) : nullptr;
}

}  // namespace

int RunModal(HWND window) {
  if (!IsWindow(window) || RunOf(window)) return 0;
  ModalRun run;
  SetPropW(window, kModalProperty, &run);

  DisableContext context{window, {}};
  EnumThreadWindows(GetCurrentThreadId(), DisableOne, reinterpret_cast<LPARAM>(&context));
  if (!IsWindowVisible(window)) ShowWindow(window, SW_SHOW);
  SetForegroundWindow(window);

  modalWindows.push_back(window);
  bool quit = false;
  WPARAM quitCode = 0;
  MSG message{};
  while (!run.ended && IsWindow(window)) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) {
      quit = true;
      quitCode = message.wParam;
      break;
    }
    if (got == -1) break;
    if (!IsDialogMessageW(window, &message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }

  modalWindows.erase(std::find(modalWindows.begin(), modalWindows.end(), window));
  for (HWND other : context.disabled) {
    if (IsWindow(other)) EnableWindow(other, TRUE);
  }
  if (IsWindow(window)) {
    RemovePropW(window, kModalProperty);
    ShowWindow(window, SW_HIDE);
  }
  if (quit) PostQuitMessage(static_cast<int>(quitCode));
  return run.ended ? run.result : 0;
}

bool EndModal(HWND window, int result) {
  ModalRun* run = RunOf(window);
  if (!run) return false;
  run->ended = true;
  run->result = result;
  // Wakes the loop even when no other message is waiting.
  PostMessageW(window, WM_NULL, 0, 0);
  return true;
}

bool IsRunningModal(HWND window) { return RunOf(window) != nullptr; }

HWND InnermostModalWindow() {
  for (auto it = modalWindows.rbegin(); it != modalWindows.rend(); ++it) {
    if (IsWindow(*it)) return *it;
  }
  return nullptr;
}

}  // namespace teshmar::win
