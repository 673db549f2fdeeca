// A small window for the driver's own tests. It behaves like the console where the driver
// meets it: a caption, buttons, a message box on request, a tray icon, restore by message 5120.
//
// Arguments: --caption TEXT   window caption (default "驱动目标")
//            --exit-code N    exit code when the button "结束" is pressed (default 3)
//            --tray           add the tray icon at start
// Messages:  WM_APP+1 (posted) opens a message box "要继续吗？" / "提示" with OK and Cancel;
//                     the process then ends with 100 + the box's answer (IDOK 1, IDCANCEL 2)
//            WM_APP+2 / WM_APP+3 add / remove the tray icon (id 100)
//            WM_APP+4 sets the caption to "收到" followed by wParam in decimal
//            WM_APP+5 answers wParam * 2
//            5120     restores the window from the tray, like the console
// Minimising hides the window and adds the tray icon, like the console.
#include <windows.h>
#include <shellapi.h>

#include <cwchar>
#include <string>

namespace {

constexpr UINT kAskMessage = WM_APP + 1;
constexpr UINT kAddTray = WM_APP + 2;
constexpr UINT kRemoveTray = WM_APP + 3;
constexpr UINT kSetCaption = WM_APP + 4;
constexpr UINT kDouble = WM_APP + 5;
constexpr UINT kHang = WM_APP + 6;
constexpr UINT kRestoreApp = 5120;
constexpr UINT kTrayCallback = 1280;
constexpr UINT kTrayId = 100;
constexpr int kEndButton = 101;
constexpr COLORREF kBackground = RGB(10, 160, 90);

int g_exitCode = 3;
HBRUSH g_brush = nullptr;

void AddTray(HWND window) {
  NOTIFYICONDATAW data{};
  data.cbSize = NOTIFYICONDATAW_V1_SIZE;
  data.hWnd = window;
  data.uID = kTrayId;
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data.uCallbackMessage = kTrayCallback;
  data.hIcon = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
  GetWindowTextW(window, data.szTip, 64);
  Shell_NotifyIconW(NIM_ADD, &data);
}

void RemoveTray(HWND window) {
  NOTIFYICONDATAW data{};
  data.cbSize = NOTIFYICONDATAW_V1_SIZE;
  data.hWnd = window;
  data.uID = kTrayId;
  Shell_NotifyIconW(NIM_DELETE, &data);
}

void CreateControls(HWND window) {
  const auto instance = GetModuleHandleW(nullptr);
  const auto child = [&](const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int w, int h, int id) {
    CreateWindowExW(0, cls, text, WS_CHILD | style, x, y, w, h, window, reinterpret_cast<HMENU>(INT_PTR{id}), instance,
                    nullptr);
  };
  child(L"BUTTON", L"结束", WS_VISIBLE | BS_PUSHBUTTON, 20, 20, 100, 30, kEndButton);
  child(L"STATIC", L"你好，驱动", WS_VISIBLE, 20, 70, 200, 20, 102);
  child(L"EDIT", L"可以编辑", WS_VISIBLE | WS_BORDER, 20, 100, 200, 24, 103);
  child(L"BUTTON", L"&Disabled", WS_VISIBLE | WS_DISABLED | BS_PUSHBUTTON, 140, 20, 100, 30, 104);
  child(L"STATIC", L"hidden", 0, 20, 140, 100, 20, 105);
}

LRESULT CALLBACK TargetProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      CreateControls(window);
      return 0;
    case WM_ERASEBKGND: {
      RECT client;
      GetClientRect(window, &client);
      FillRect(reinterpret_cast<HDC>(wParam), &client, g_brush);
      return 1;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == kEndButton) DestroyWindow(window);
      return 0;
    case WM_SIZE:
      if (wParam == SIZE_MINIMIZED) {
        ShowWindow(window, SW_HIDE);
        RemoveTray(window);
        AddTray(window);
      }
      return 0;
    case kAskMessage: {
      const int answer = MessageBoxW(window, L"要继续吗？", L"提示", MB_OKCANCEL | MB_ICONINFORMATION | MB_DEFBUTTON2);
      g_exitCode = 100 + answer;
      DestroyWindow(window);
      return 0;
    }
    case kAddTray:
      AddTray(window);
      return 0;
    case kRemoveTray:
      RemoveTray(window);
      return 0;
    case kSetCaption:
      SetWindowTextW(window, (L"收到" + std::to_wstring(wParam)).c_str());
      return 0;
    case kDouble:
      return static_cast<LRESULT>(wParam * 2);
    case kHang:  // a window that never answers again
      Sleep(INFINITE);
      return 0;
    case kRestoreApp:
      ShowWindow(window, IsIconic(window) ? SW_RESTORE : SW_SHOW);
      SetForegroundWindow(window);
      return 0;
    case WM_DESTROY:
      RemoveTray(window);
      PostQuitMessage(g_exitCode);
      return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::wstring caption = L"驱动目标";
  bool tray = false;
  for (int i = 1; i < argc; ++i) {
    const std::wstring a = argv[i];
    if (a == L"--caption" && i + 1 < argc) caption = argv[++i];
    else if (a == L"--exit-code" && i + 1 < argc) g_exitCode = _wtoi(argv[++i]);
    else if (a == L"--tray") tray = true;
  }
  LocalFree(argv);

  g_brush = CreateSolidBrush(kBackground);
  WNDCLASSW cls{};
  cls.lpfnWndProc = TargetProc;
  cls.hInstance = instance;
  cls.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  cls.lpszClassName = L"TeshmarDriverTarget";
  RegisterClassW(&cls);
  HWND window = CreateWindowExW(0, cls.lpszClassName, caption.c_str(), WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                                100, 100, 400, 300, nullptr, nullptr, instance, nullptr);
  if (tray) AddTray(window);
  ShowWindow(window, show);
  UpdateWindow(window);

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (!IsDialogMessageW(window, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  DeleteObject(g_brush);
  return static_cast<int>(msg.wParam);
}
