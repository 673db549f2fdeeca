#pragma once
#include <windows.h>

#include <string>
#include <string_view>

namespace teshmar::win {

// UTF-8 inside the program, UTF-16 at every W call.
std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view wide);

// A window's text as UTF-8, whatever its length; and the reverse.
std::string WindowTextUtf8(HWND window);
void SetWindowTextUtf8(HWND window, std::string_view text);

}  // namespace teshmar::win
