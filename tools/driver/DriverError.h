#pragma once
#include <stdexcept>
#include <string>
#include <string_view>

namespace teshmar::driver {

// A driver step that could not be done; the text names the step and the system's reason.
class DriverError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Throws DriverError with `what` and the text of GetLastError().
[[noreturn]] void ThrowLastError(std::string_view what);

}  // namespace teshmar::driver
