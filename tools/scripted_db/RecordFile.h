#pragma once
#include <memory>
#include <string>
#include <string_view>

namespace teshmar {

// Where the scripted database writes down what it receives, one line at a time.
class IRecordSink {
 public:
  virtual ~IRecordSink() = default;
  // Appends the line and a line feed; the bytes reach the file before the call returns.
  virtual void WriteLine(std::string_view line) = 0;
};

// Opens (creating it when missing) a file to append to; the path is UTF-8. Every line is
// written straight through, so a test reading the file while the program runs sees it whole.
// Throws std::runtime_error naming the path when the file cannot be opened.
std::unique_ptr<IRecordSink> OpenRecordFile(const std::string& path);

// A record line for a text: a carriage return and a line feed are written as "\r" and "\n", so
// every event stays on one line. Backslashes stay as they are, so Windows paths and server names
// such as HOST\SQLEXPRESS read as written.
std::string RecordText(std::string_view text);

}  // namespace teshmar
