#pragma once
// Owning wrappers for COM references, BSTRs and VARIANTs, so that every path releases them.
#include <windows.h>
#include <oleauto.h>

#include <string>
#include <utility>

namespace teshmar::ado {

// An owned interface reference, released when it goes.
template <typename T>
class ComRef {
 public:
  ComRef() = default;
  ~ComRef() { Reset(); }
  ComRef(const ComRef& other) : object_(other.object_) {
    if (object_) object_->AddRef();
  }
  ComRef(ComRef&& other) noexcept : object_(other.object_) { other.object_ = nullptr; }
  ComRef& operator=(ComRef other) noexcept {
    std::swap(object_, other.object_);
    return *this;
  }

  T* operator->() const { return object_; }
  T* get() const { return object_; }
  explicit operator bool() const { return object_ != nullptr; }
  // For an out parameter: releases what is held and hands out the slot.
  T** Put() {
    Reset();
    return &object_;
  }
  void Reset() {
    if (object_) object_->Release();
    object_ = nullptr;
  }

 private:
  T* object_ = nullptr;
};

// An owned BSTR made from UTF-8 text.
class Bstr {
 public:
  explicit Bstr(const std::string& utf8);
  ~Bstr() { SysFreeString(text_); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  BSTR get() const { return text_; }

 private:
  BSTR text_ = nullptr;
};

// An owned VARIANT, cleared (freeing its BSTR, releasing its object) when it goes.
class Variant {
 public:
  Variant() { VariantInit(&value_); }
  explicit Variant(const std::string& utf8);
  explicit Variant(long number);
  explicit Variant(IDispatch* object);  // holds a reference of its own
  ~Variant() { VariantClear(&value_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;

  // The value to pass by value into a call; this Variant keeps ownership.
  const VARIANT& get() const { return value_; }
  // For an out parameter: clears what is held and hands out the slot.
  VARIANT* Put() {
    VariantClear(&value_);
    return &value_;
  }
  // UTF-8 text of the value; NULL and empty read as empty text.
  std::string Text() const;

 private:
  VARIANT value_;
};

// The text of a failed call as the operator reads it: the provider's own text as it is, else the
// system's text for the code; only when there is neither, "<what> failed" with the code.
std::string ErrorMessage(const std::string& providerText, const std::string& systemText, const char* what,
                         HRESULT hr);

// Throws DatabaseError when the call failed, with the text the object left in the error info.
void Check(HRESULT hr, const char* what);

// For a call whose failure changes nothing (a close on the way out): drops its error info.
void Discard(HRESULT hr);

}  // namespace teshmar::ado
