#include "win/Fonts.h"

#include <cwchar>

namespace teshmar::win {

HFONT CreatePixelFont(const wchar_t* face, int pixelHeight, bool bold, BYTE charset) {
  LOGFONTW font{};
  font.lfHeight = -pixelHeight;
  font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  font.lfCharSet = charset;
  font.lfOutPrecision = OUT_DEFAULT_PRECIS;
  font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  font.lfQuality = DEFAULT_QUALITY;
  font.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
  if (face != nullptr) {
    std::wcsncpy(font.lfFaceName, face, LF_FACESIZE - 1);
  }
  return CreateFontIndirectW(&font);
}

}  // namespace teshmar::win
