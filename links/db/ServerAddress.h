#pragma once
#include <string_view>

namespace teshmar {

// Whether a text is an acceptable server address: after trimming, a dotted IPv4 address of four
// decimal fields without leading zeros, the first 1 to 255 and the others 0 to 255.
bool IsValidServerIP(std::string_view text);

}  // namespace teshmar
