// version-probe FILE: prints the version resource of a program as lines "key<TAB>value":
// the fixed file and product versions, then every string of the first translation.
// Exit code 0: read; 1: the file has no version resource; 2: bad usage.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "win/Wide.h"

namespace {

void Print(const std::string& key, const std::string& value) {
  std::printf("%s\t%s\n", key.c_str(), value.c_str());
}

std::string Dotted(DWORD high, DWORD low) {
  return std::to_string(HIWORD(high)) + "." + std::to_string(LOWORD(high)) + "." + std::to_string(HIWORD(low)) + "." +
         std::to_string(LOWORD(low));
}

}  // namespace

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argc != 2) {
    std::fprintf(stderr, "usage: version-probe FILE\n");
    return 2;
  }
  const std::wstring file = argv[1];
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
  std::vector<BYTE> data(size);
  if (size == 0 || !GetFileVersionInfoW(file.c_str(), 0, size, data.data())) {
    std::fprintf(stderr, "no version resource in %s\n", teshmar::win::Narrow(file).c_str());
    return 1;
  }
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) && fixed) {
    Print("FixedFileVersion", Dotted(fixed->dwFileVersionMS, fixed->dwFileVersionLS));
    Print("FixedProductVersion", Dotted(fixed->dwProductVersionMS, fixed->dwProductVersionLS));
  }
  struct Translation {
    WORD language;
    WORD codePage;
  }* translations = nullptr;
  if (!VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations), &length) ||
      length < sizeof(Translation)) {
    return 0;
  }
  wchar_t block[32];
  std::swprintf(block, 32, L"%04x%04x", translations->language, translations->codePage);
  Print("Translation", teshmar::win::Narrow(block));
  for (const wchar_t* key : {L"CompanyName", L"FileDescription", L"FileVersion", L"ProductName", L"ProductVersion",
                             L"OriginalFilename", L"LegalCopyright"}) {
    wchar_t* value = nullptr;
    const std::wstring path = std::wstring(L"\\StringFileInfo\\") + block + L"\\" + key;
    if (VerQueryValueW(data.data(), path.c_str(), reinterpret_cast<void**>(&value), &length) && value) {
      Print(teshmar::win::Narrow(key), teshmar::win::Narrow(value));
    }
  }
  return 0;
}
