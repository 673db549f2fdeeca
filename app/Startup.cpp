#include "app/Startup.h"

namespace teshmar {

bool ShortDateNeedsRewrite(const std::optional<std::string>& shortDate) {
  return shortDate.value_or(std::string()) != kShortDateFormat;
}

bool EnforceDateFormat(ILocaleFormats& locale, IMessageBoxes& boxes, const std::function<void()>& requestQuit) {
  try {
    std::optional<std::string> shortDate = locale.Read(ILocaleFormats::kShortDate);
    // Read for completeness of the check; neither is compared nor changed when the short date is right.
    locale.Read(ILocaleFormats::kLongDate);
    locale.Read(ILocaleFormats::kTimeFormat);
    if (!ShortDateNeedsRewrite(shortDate)) return false;
    locale.Write(ILocaleFormats::kShortDate, kShortDateFormat);
    locale.Write(ILocaleFormats::kLongDate, kLongDateFormat);
    locale.Write(ILocaleFormats::kTimeFormat, kTimeFormat);
    boxes.Show(kDateFormatMessage, kPromptCaption, mb::kOk, MessageBoxOwner::None);
    requestQuit();
    return true;
  } catch (...) {
    return false;
  }
}

bool GuardSingleInstance(INamedMutex& mutex, IMessageBoxes& boxes) {
  if (mutex.Create(kMutexName) != INamedMutex::Outcome::AlreadyExists) return true;
  boxes.Show(kAlreadyRunningMessage, kPromptCaption, mb::kOk, MessageBoxOwner::Application);
  mutex.Close();
  return false;
}

}  // namespace teshmar
