#pragma once
#include <string>
#include <string_view>

namespace teshmar::driver {

// Whole-file writes and reads by Windows path (UTF-8), bytes unchanged; throw DriverError.
void WriteFileBytes(const std::string& path, std::string_view bytes);
std::string ReadFileBytes(const std::string& path);

}  // namespace teshmar::driver
