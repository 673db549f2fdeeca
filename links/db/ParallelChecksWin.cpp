#include "links/db/ParallelChecksWin.h"

#include <windows.h>
#include <objbase.h>

#include <memory>
#include <new>

#include "win/AnsweringWait.h"

namespace teshmar {

namespace {

// Whether this worker's CoInitializeEx succeeded, so that only a successful one is undone.
thread_local bool comEntered = false;

constexpr wchar_t kPostClass[] = L"TeshmarWorkDone";
constexpr UINT kWmRunPosted = WM_APP + 40;

DWORD WINAPI RunBody(void* parameter) {
  std::unique_ptr<std::function<void()>> body(static_cast<std::function<void()>*>(parameter));
  (*body)();
  return 0;
}

LRESULT CALLBACK PostProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kWmRunPosted) {
    // A modal loop inside a wait (the tray's menu) hands it over: it runs once the wait is over.
    if (win::InAnsweringWait()) {
      win::DeferUntilWaitEnds(MSG{hwnd, message, wParam, lParam, 0, {}});
      return 0;
    }
    std::unique_ptr<std::function<void()>> work(reinterpret_cast<std::function<void()>*>(lParam));
    if (work && *work) (*work)();
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

HWND MakePostWindow() {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = PostProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = kPostClass;
  RegisterClassW(&windowClass);  // a second registration fails harmlessly
  return CreateWindowExW(0, kPostClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr), nullptr);
}

}  // namespace

WinCheckThreading::WinCheckThreading()
    : woken_(CreateEventW(nullptr, FALSE, FALSE, nullptr)), window_(nullptr) {}

WinCheckThreading::~WinCheckThreading() {
  if (window_) DestroyWindow(static_cast<HWND>(window_));
  if (woken_) CloseHandle(woken_);
}

void* WinCheckThreading::StartThread(std::function<void()> body) {
  // Made here, on the user-interface thread, before any worker may post to it.
  if (!window_) window_ = MakePostWindow();
  auto* parameter = new (std::nothrow) std::function<void()>(std::move(body));
  if (!parameter) return nullptr;
  // Only reserved: the stack's pages are committed as the work touches them.
  HANDLE thread = CreateThread(nullptr, ThreadedCheckRunner::kWorkerStackBytes, RunBody, parameter,
                               STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
  if (!thread) delete parameter;
  return thread;
}

void WinCheckThreading::JoinThread(void* thread) {
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
}

void WinCheckThreading::ReleaseThread(void* thread) { CloseHandle(thread); }

void WinCheckThreading::EnterWorker() { comEntered = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)); }

void WinCheckThreading::LeaveWorker() {
  if (comEntered) CoUninitialize();
  comEntered = false;
}

void WinCheckThreading::Wake() {
  if (woken_) SetEvent(woken_);
}

void WinCheckThreading::WaitUntil(const std::function<bool()>& finished) { win::AnsweringWait(woken_, finished); }

void WinCheckThreading::Post(std::function<void()> work) {
  if (!window_) window_ = MakePostWindow();  // only ever first called on the user-interface thread
  auto* parameter = new (std::nothrow) std::function<void()>(std::move(work));
  if (!parameter) return;
  if (!window_ || !PostMessageW(static_cast<HWND>(window_), kWmRunPosted, 0, reinterpret_cast<LPARAM>(parameter)))
    delete parameter;
}

}  // namespace teshmar
