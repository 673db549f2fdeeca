#include "links/db/AdoCom.h"

#include <cstdio>
#include <new>

#include "links/db/Database.h"
#include "win/Wide.h"

namespace teshmar::ado {

namespace {
std::string FromBstr(BSTR text) { return text ? win::Narrow(std::wstring_view(text, SysStringLen(text))) : std::string(); }

BSTR NewBstr(const std::string& utf8) {
  std::wstring wide = win::Widen(utf8);
  BSTR text = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
  if (!text) throw std::bad_alloc();
  return text;
}

// The description of the thread's current error info, taken (and so cleared).
std::string TakeErrorText() {
  IErrorInfo* info = nullptr;
  if (GetErrorInfo(0, &info) != S_OK || !info) return {};
  BSTR description = nullptr;
  std::string text;
  if (SUCCEEDED(info->GetDescription(&description))) text = FromBstr(description);
  SysFreeString(description);
  info->Release();
  return text;
}

std::string SystemText(HRESULT hr) {
  wchar_t* buffer = nullptr;
  DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      static_cast<DWORD>(hr), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring_view view(buffer ? buffer : L"", buffer ? length : 0);
  while (!view.empty() && (view.back() == L'\r' || view.back() == L'\n' || view.back() == L' ')) view.remove_suffix(1);
  std::string text = win::Narrow(view);
  LocalFree(buffer);
  return text;
}
}  // namespace

Bstr::Bstr(const std::string& utf8) : text_(NewBstr(utf8)) {}

Variant::Variant(const std::string& utf8) : Variant() {
  value_.bstrVal = NewBstr(utf8);
  value_.vt = VT_BSTR;
}

Variant::Variant(long number) : Variant() {
  value_.vt = VT_I4;
  value_.lVal = number;
}

Variant::Variant(IDispatch* object) : Variant() {
  value_.vt = VT_DISPATCH;
  value_.pdispVal = object;
  if (object) object->AddRef();
}

std::string Variant::Text() const {
  if (value_.vt == VT_EMPTY || value_.vt == VT_NULL) return {};
  if (value_.vt == VT_BSTR) return FromBstr(value_.bstrVal);
  VARIANT converted;
  VariantInit(&converted);
  Check(VariantChangeType(&converted, const_cast<VARIANT*>(&value_), 0, VT_BSTR), "VariantChangeType");
  std::string text = FromBstr(converted.bstrVal);
  VariantClear(&converted);
  return text;
}

std::string ErrorMessage(const std::string& providerText, const std::string& systemText, const char* what,
                         HRESULT hr) {
  if (!providerText.empty()) return providerText;
  if (!systemText.empty()) return systemText;
  // Nothing to show but the code.
  char code[16];
  std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(hr));
  return std::string(what) + " failed (" + code + ")";
}

void Check(HRESULT hr, const char* what) {
  if (SUCCEEDED(hr)) return;
  std::string text = TakeErrorText();
  throw DatabaseError(ErrorMessage(text, text.empty() ? SystemText(hr) : std::string(), what, hr));
}

void Discard(HRESULT hr) {
  if (FAILED(hr)) TakeErrorText();
}

}  // namespace teshmar::ado
