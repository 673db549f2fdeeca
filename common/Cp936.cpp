#include "common/Cp936.h"

#include <cstdint>

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

namespace teshmar {

namespace {

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Decodes one code point; answers false on a malformed, overlong or surrogate sequence.
bool NextUtf8(std::string_view s, size_t& i, char32_t& cp) {
  auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
  unsigned char b0 = byte(i);
  int extra;
  char32_t min;
  if (b0 < 0x80) {
    cp = b0;
    ++i;
    return true;
  } else if ((b0 & 0xE0) == 0xC0) {
    extra = 1, cp = b0 & 0x1F, min = 0x80;
  } else if ((b0 & 0xF0) == 0xE0) {
    extra = 2, cp = b0 & 0x0F, min = 0x800;
  } else if ((b0 & 0xF8) == 0xF0) {
    extra = 3, cp = b0 & 0x07, min = 0x10000;
  } else {
    return false;
  }
  if (i + extra >= s.size()) return false;
  for (int k = 1; k <= extra; ++k) {
    unsigned char b = byte(i + k);
    if ((b & 0xC0) != 0x80) return false;
    cp = (cp << 6) | (b & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
  i += extra + 1;
  return true;
}

}  // namespace

bool IsValidUtf8(std::string_view text) {
  size_t i = 0;
  char32_t cp;
  while (i < text.size()) {
    if (!NextUtf8(text, i, cp)) return false;
  }
  return true;
}

std::optional<std::string> Utf16LeToUtf8(std::string_view bytes) {
  if (bytes.size() % 2 != 0) return std::nullopt;
  std::string out;
  out.reserve(bytes.size());
  auto unit = [&](size_t k) {
    return static_cast<char16_t>(static_cast<unsigned char>(bytes[k]) |
                                 (static_cast<unsigned char>(bytes[k + 1]) << 8));
  };
  for (size_t i = 0; i < bytes.size(); i += 2) {
    char16_t u = unit(i);
    if (u >= 0xD800 && u <= 0xDBFF) {
      if (i + 2 >= bytes.size()) return std::nullopt;
      char16_t low = unit(i + 2);
      if (low < 0xDC00 || low > 0xDFFF) return std::nullopt;
      AppendUtf8(out, 0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) + (low - 0xDC00));
      i += 2;
    } else if (u >= 0xDC00 && u <= 0xDFFF) {
      return std::nullopt;
    } else {
      AppendUtf8(out, u);
    }
  }
  return out;
}

std::string Utf8ToUtf16Le(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size() * 2);
  auto put = [&](char16_t u) {
    out += static_cast<char>(u & 0xFF);
    out += static_cast<char>(u >> 8);
  };
  size_t i = 0;
  while (i < utf8.size()) {
    char32_t cp;
    if (!NextUtf8(utf8, i, cp)) {
      cp = 0xFFFD;
      ++i;
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      put(static_cast<char16_t>(0xD800 + (cp >> 10)));
      put(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      put(static_cast<char16_t>(cp));
    }
  }
  return out;
}

#ifdef _WIN32

std::optional<std::string> Cp936ToUtf8(std::string_view cp936) {
  if (cp936.empty()) return std::string();
  int wideLen = MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, cp936.data(), static_cast<int>(cp936.size()),
                                    nullptr, 0);
  if (wideLen <= 0) return std::nullopt;
  std::wstring wide(static_cast<size_t>(wideLen), L'\0');
  MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, cp936.data(), static_cast<int>(cp936.size()), wide.data(), wideLen);
  std::string le(reinterpret_cast<const char*>(wide.data()), wide.size() * 2);
  return Utf16LeToUtf8(le);
}

std::optional<std::string> Utf8ToCp936(std::string_view utf8) {
  if (utf8.empty()) return std::string();
  if (!IsValidUtf8(utf8)) return std::nullopt;
  std::string le = Utf8ToUtf16Le(utf8);
  std::wstring wide(le.size() / 2, L'\0');
  for (size_t k = 0; k < wide.size(); ++k) {
    wide[k] = static_cast<wchar_t>(static_cast<unsigned char>(le[2 * k]) |
                                   (static_cast<unsigned char>(le[2 * k + 1]) << 8));
  }
  BOOL usedDefault = FALSE;
  int len = WideCharToMultiByte(936, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                nullptr, &usedDefault);
  if (len <= 0 || usedDefault) return std::nullopt;
  std::string out(static_cast<size_t>(len), '\0');
  WideCharToMultiByte(936, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()), out.data(), len, nullptr,
                      &usedDefault);
  if (usedDefault) return std::nullopt;
  return out;
}

#else

namespace {
std::optional<std::string> Iconv(const char* to, const char* from, std::string_view in) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string out(in.size() * 4 + 16, '\0');
  char* src = const_cast<char*>(in.data());
  size_t srcLeft = in.size();
  char* dst = out.data();
  size_t dstLeft = out.size();
  size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
  bool ok = rc != static_cast<size_t>(-1) && srcLeft == 0;
  if (ok) ok = iconv(cd, nullptr, nullptr, &dst, &dstLeft) != static_cast<size_t>(-1);
  iconv_close(cd);
  if (!ok) return std::nullopt;
  out.resize(out.size() - dstLeft);
  return out;
}
}  // namespace

std::optional<std::string> Cp936ToUtf8(std::string_view cp936) { return Iconv("UTF-8", "CP936", cp936); }

std::optional<std::string> Utf8ToCp936(std::string_view utf8) {
  if (!IsValidUtf8(utf8)) return std::nullopt;
  return Iconv("CP936", "UTF-8", utf8);
}

#endif

}  // namespace teshmar
