#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace teshmar {

// Code page 936 (GBK) is the encoding of every file beside the program, whatever the
// system's own code page. Conversions answer nothing for a byte sequence that is not
// valid in the source encoding, so a caller can keep such bytes as they are.
std::optional<std::string> Cp936ToUtf8(std::string_view cp936);
std::optional<std::string> Utf8ToCp936(std::string_view utf8);

// UTF-16 little-endian bytes, as Notepad's "Unicode" saves them.
std::optional<std::string> Utf16LeToUtf8(std::string_view bytes);
std::string Utf8ToUtf16Le(std::string_view utf8);

// Whether a text is well-formed UTF-8.
bool IsValidUtf8(std::string_view text);

}  // namespace teshmar
