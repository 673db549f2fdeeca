#pragma once
#include <string>
#include <string_view>

namespace teshmar::win {

// UTF-8 inside the program, UTF-16 at every W call.
std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view wide);

}  // namespace teshmar::win
