#pragma once
#include <windows.h>

namespace teshmar::win {

// A font by character height in pixels (lfHeight = -pixelHeight), the way the console's layouts
// give their fonts. The caller owns the handle: create it once per window, DeleteObject it when the
// window is destroyed.
HFONT CreatePixelFont(const wchar_t* face, int pixelHeight, bool bold, BYTE charset = GB2312_CHARSET);

}  // namespace teshmar::win
