#include "tools/driver/Screenshot.h"

#include <algorithm>
#include <stdexcept>

#include "tools/driver/DriverError.h"
#include "tools/driver/FileBytes.h"

namespace teshmar::driver {

RgbImage CaptureRect(const RECT& wanted) {
  RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  RECT area{};
  if (!IntersectRect(&area, &wanted, &screen)) throw DriverError("capture rectangle lies outside the screen");
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;

  HDC screenDc = GetDC(nullptr);
  if (!screenDc) ThrowLastError("GetDC of the screen");
  HDC memDc = CreateCompatibleDC(screenDc);
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screenDc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool copied = false;
  if (memDc && bitmap) {
    HGDIOBJ old = SelectObject(memDc, bitmap);
    copied = BitBlt(memDc, 0, 0, width, height, screenDc, area.left, area.top, SRCCOPY | CAPTUREBLT) != FALSE;
    GdiFlush();
    SelectObject(memDc, old);
  }
  RgbImage image{width, height, {}};
  if (copied) {
    const auto* bgra = static_cast<const std::uint8_t*>(bits);
    image.rgb.resize(static_cast<std::size_t>(width) * height * 3);
    for (std::size_t i = 0, n = static_cast<std::size_t>(width) * height; i < n; ++i) {
      image.rgb[i * 3] = bgra[i * 4 + 2];
      image.rgb[i * 3 + 1] = bgra[i * 4 + 1];
      image.rgb[i * 3 + 2] = bgra[i * 4];
    }
  }
  if (bitmap) DeleteObject(bitmap);
  if (memDc) DeleteDC(memDc);
  ReleaseDC(nullptr, screenDc);
  if (!copied) ThrowLastError("copying the screen");
  return image;
}

RgbImage CaptureScreen() {
  return CaptureRect(RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
}

RgbImage CaptureWindow(HWND window) {
  RECT rect{};
  if (!GetWindowRect(window, &rect)) ThrowLastError("GetWindowRect");
  return CaptureRect(rect);
}

void SavePng(const RgbImage& image, const std::string& path) {
  std::vector<std::uint8_t> bytes;
  try {
    bytes = EncodePng(image);
  } catch (const std::invalid_argument& e) {
    throw DriverError(std::string("cannot encode ") + path + ": " + e.what());
  }
  WriteFileBytes(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

COLORREF PixelAt(const RgbImage& image, int x, int y) {
  if (x < 0 || y < 0 || x >= image.width || y >= image.height) throw DriverError("pixel outside the picture");
  const std::size_t at = (static_cast<std::size_t>(y) * image.width + x) * 3;
  return RGB(image.rgb[at], image.rgb[at + 1], image.rgb[at + 2]);
}

COLORREF ScreenPixel(int x, int y) { return PixelAt(CaptureRect(RECT{x, y, x + 1, y + 1}), 0, 0); }

}  // namespace teshmar::driver
