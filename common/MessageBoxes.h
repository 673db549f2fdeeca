#pragma once
#include <string>

namespace teshmar {

// Flags and answers carry the values of the platform's message box (MB_OK = 0, MB_OKCANCEL = 1,
// MB_ICONINFORMATION = 0x40, MB_DEFBUTTON2 = 0x100; IDOK = 1, IDCANCEL = 2), so logic stays
// platform-free while the texts and flags it asks for are exactly what the operator gets.
namespace mb {
constexpr unsigned kOk = 0x0;
constexpr unsigned kOkCancel = 0x1;
constexpr unsigned kIconInformation = 0x40;
constexpr unsigned kDefButton2 = 0x100;
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
}  // namespace mb

enum class MessageBoxOwner { None, Application };

// The console's message-box service: every message box of the console goes through it.
class IMessageBoxes {
 public:
  virtual ~IMessageBoxes() = default;
  virtual int Show(const std::string& text, const std::string& caption, unsigned flags,
                   MessageBoxOwner owner = MessageBoxOwner::Application) = 0;

  // The framework's plain message box: OK only, the application's title as caption.
  int ShowPlain(const std::string& text) { return Show(text, kApplicationTitle, mb::kOk); }

  static constexpr const char* kApplicationTitle = "Teshmar";
};

}  // namespace teshmar
