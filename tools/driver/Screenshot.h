#pragma once
#include <windows.h>

#include <string>

#include "tools/PngWriter.h"

namespace teshmar::driver {

// Copies of what the screen shows (under Wine: the virtual desktop). Throws DriverError.
RgbImage CaptureScreen();
RgbImage CaptureRect(const RECT& screenRect);  // clipped to the screen
RgbImage CaptureWindow(HWND window);           // its rectangle on the screen, frame included

// Writes the picture as a PNG file (our own encoder); throws DriverError.
void SavePng(const RgbImage& image, const std::string& path);

// The colour of one screen pixel, as a COLORREF (RGB macro order).
COLORREF ScreenPixel(int x, int y);
// The colour at a point of an image, as a COLORREF.
COLORREF PixelAt(const RgbImage& image, int x, int y);

}  // namespace teshmar::driver
