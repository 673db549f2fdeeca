#pragma once
// Helpers for tests that drive windows from inside their own modal loops, and read the screen.
#include <windows.h>

#include <functional>
#include <string>

#include "tools/PngWriter.h"

namespace teshmar::test {

// Calls `tick` on a thread timer every `milliseconds` until it returns false. Thread timers fire
// inside any message loop of the thread, so a test can act while a modal window runs.
class TimerScript {
 public:
  TimerScript(UINT milliseconds, std::function<bool()> tick) : tick_(std::move(tick)) {
    current_ = this;
    id_ = SetTimer(nullptr, 0, milliseconds, &TimerScript::OnTimer);
  }
  ~TimerScript() {
    if (id_) KillTimer(nullptr, id_);
    current_ = nullptr;
  }
  TimerScript(const TimerScript&) = delete;
  TimerScript& operator=(const TimerScript&) = delete;

 private:
  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR id, DWORD) {
    TimerScript* script = current_;
    if (!script || script->id_ != id || script->running_) return;
    script->running_ = true;
    const bool again = script->tick_();
    script->running_ = false;
    if (!again && script->id_) {
      KillTimer(nullptr, script->id_);
      script->id_ = 0;
    }
  }
  static inline TimerScript* current_ = nullptr;
  std::function<bool()> tick_;
  UINT_PTR id_ = 0;
  bool running_ = false;
};

// Handles what is waiting in the queue for about `milliseconds`.
inline void Pump(DWORD milliseconds) {
  const DWORD start = GetTickCount();
  do {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    Sleep(5);
  } while (GetTickCount() - start < milliseconds);
}

// Handles messages until `done` holds, at most `milliseconds`; whether it held. What a window
// draws reaches the screen only once Wine has handled its messages, so a screenshot test waits
// for the pixels it expects instead of a fixed time.
inline bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds = 5000) {
  const DWORD start = GetTickCount();
  for (;;) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    if (done()) return true;
    if (GetTickCount() - start >= milliseconds) return false;
    Sleep(10);
  }
}

// How many top-level windows of this thread have the class `className`.
inline int CountThreadWindows(const wchar_t* className) {
  struct Count {
    const wchar_t* name;
    int found;
    static BOOL CALLBACK One(HWND hwnd, LPARAM data) {
      auto* count = reinterpret_cast<Count*>(data);
      wchar_t name[64] = {};
      GetClassNameW(hwnd, name, 64);
      if (lstrcmpiW(name, count->name) == 0) ++count->found;
      return TRUE;
    }
  } count{className, 0};
  EnumThreadWindows(GetCurrentThreadId(), &Count::One, reinterpret_cast<LPARAM>(&count));
  return count.found;
}

inline COLORREF ScreenPixel(int x, int y) {
  HDC screen = GetDC(nullptr);
  const COLORREF colour = GetPixel(screen, x, y);
  ReleaseDC(nullptr, screen);
  return colour;
}

// The screen under `rect`, as an RGB picture.
inline RgbImage GrabScreen(const RECT& rect) {
  RgbImage image;
  image.width = rect.right - rect.left;
  image.height = rect.bottom - rect.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = image.width;
  info.bmiHeader.biHeight = -image.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, image.width, image.height, screen, rect.left, rect.top, SRCCOPY);
  GdiFlush();
  const auto* bgra = static_cast<const unsigned char*>(bits);
  image.rgb.resize(static_cast<size_t>(image.width) * image.height * 3);
  for (size_t i = 0, n = static_cast<size_t>(image.width) * image.height; i < n; ++i) {
    image.rgb[i * 3] = bgra[i * 4 + 2];
    image.rgb[i * 3 + 1] = bgra[i * 4 + 1];
    image.rgb[i * 3 + 2] = bgra[i * 4];
  }
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return image;
}

// How many pixels of `image` inside the rectangle (image coordinates) have exactly this colour.
inline int CountColour(const RgbImage& image, const RECT& rect, COLORREF colour) {
  int count = 0;
  for (int y = rect.top < 0 ? 0 : rect.top; y < rect.bottom && y < image.height; ++y) {
    for (int x = rect.left < 0 ? 0 : rect.left; x < rect.right && x < image.width; ++x) {
      const size_t i = (static_cast<size_t>(y) * image.width + x) * 3;
      if (RGB(image.rgb[i], image.rgb[i + 1], image.rgb[i + 2]) == colour) ++count;
    }
  }
  return count;
}

// Saves the screen under `rect` as <dir>/<name>.png; `unixDir` is a path of the build tree.
inline bool SaveScreenshot(const RECT& rect, const std::string& unixDir, const std::string& name) {
  const std::vector<std::uint8_t> png = EncodePng(GrabScreen(rect));
  const std::string path = "Z:" + unixDir + "/" + name + ".png";
  CreateDirectoryA(("Z:" + unixDir).c_str(), nullptr);
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok = WriteFile(file, png.data(), static_cast<DWORD>(png.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == png.size();
}

}  // namespace teshmar::test
