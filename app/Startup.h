#pragma once
#include <functional>
#include <optional>
#include <string>

#include "common/MessageBoxes.h"

namespace teshmar {

// The user's regional formats (LOCALE_USER_DEFAULT), read and written as UTF-8 text.
class ILocaleFormats {
 public:
  static constexpr unsigned kShortDate = 0x1F;    // LOCALE_SSHORTDATE
  static constexpr unsigned kLongDate = 0x20;     // LOCALE_SLONGDATE
  static constexpr unsigned kTimeFormat = 0x1003; // LOCALE_STIMEFORMAT

  virtual ~ILocaleFormats() = default;
  // Nothing when the setting cannot be read.
  virtual std::optional<std::string> Read(unsigned lcType) = 0;
  virtual void Write(unsigned lcType, const std::string& value) = 0;
};

// The named mutex that keeps one console per session.
class INamedMutex {
 public:
  enum class Outcome { Created, AlreadyExists, Failed };
  virtual ~INamedMutex() = default;
  // Creates the mutex with initial ownership requested; the handle stays open for the whole run.
  virtual Outcome Create(const std::string& name) = 0;
  virtual void Close() = 0;
};

inline constexpr const char* kShortDateFormat = "yyyy-MM-dd";
inline constexpr const char* kLongDateFormat = "yyyy'年'M'月'd'日'";
inline constexpr const char* kTimeFormat = "HH:mm:ss";
inline constexpr const char* kDateFormatMessage = "初始化系统变量,请重新启动程序！";
inline constexpr const char* kAlreadyRunningMessage = "Teshmar已经运行";
inline constexpr const char* kPromptCaption = "提示";
inline constexpr const char* kMutexName = "Teshmar";

// Whether the short date format must be rewritten: anything but "yyyy-MM-dd", byte for byte.
// A format that cannot be read counts as an empty text, so it is rewritten.
bool ShortDateNeedsRewrite(const std::optional<std::string>& shortDate);

// Makes the user's short date format "yyyy-MM-dd". When it was not, the three formats are
// rewritten, the operator is told to start again, and requestQuit is called; answers whether
// the run must end. Errors inside are swallowed: start-up goes on whatever happens here.
bool EnforceDateFormat(ILocaleFormats& locale, IMessageBoxes& boxes, const std::function<void()>& requestQuit);

// The single-instance guard: false when another console runs (after telling the operator and
// closing this process's handle); true otherwise, also when the mutex cannot be created.
bool GuardSingleInstance(INamedMutex& mutex, IMessageBoxes& boxes);

}  // namespace teshmar
