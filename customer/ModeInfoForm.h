#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "common/MessageBoxes.h"

namespace teshmar {

class TModeInfoFrm;

// The customer dialog while it exists, nobody otherwise.
extern TModeInfoFrm* ModeInfoFrm;

// Creates the customer dialog over owner, shows it modally with the name, address and mode, and
// destroys it. True when it closed with OK: name and address then hold the saved values; otherwise
// both stay unchanged.
// With `canStore`, a text the list file cannot hold is named and the dialog stays open.
bool EditGuest(HWND owner, IMessageBoxes& boxes, std::string& name, std::string& address, int mode,
               std::function<bool(const std::string&)> canStore = {});

// The window's class, size and child ids, for the tests and the end-to-end driver.
namespace modeinfo_form {
constexpr wchar_t kClassName[] = L"TModeInfoFrm";
constexpr int kWidth = 533;   // outer size
constexpr int kHeight = 296;
// None is IDOK or IDCANCEL, so Enter and Esc reach no button.
enum ControlId {
  kLabel3 = 101,
  kLabel4,
  kLabel1,
  kLabel2,
  kLabel5,
  kLabel6,
  kGuestEd,
  kAddrEd,
  kCBProvince,
  kCBCity,
  kCBArea,
  kButton1,
  kButton2,
};
}  // namespace modeinfo_form

}  // namespace teshmar
