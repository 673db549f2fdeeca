#pragma once
#include <string>
#include <string_view>

namespace teshmar::driver {

// A fresh directory under the user's temporary folder (GetTempPathW) for one end-to-end test:
// holds a copy of the program and its files, and is deleted with everything in it at the end.
// Paths are Windows paths in UTF-8. Errors throw DriverError.
class E2eSandbox {
 public:
  explicit E2eSandbox(std::string_view prefix = "teshmar-e2e");
  ~E2eSandbox();  // deletes the directory, retrying briefly while a file is still in use
  E2eSandbox(const E2eSandbox&) = delete;
  E2eSandbox& operator=(const E2eSandbox&) = delete;

  const std::string& Dir() const { return dir_; }
  // Dir() + "\" + name; `name` may contain '\' or '/' for subfolders.
  std::string Path(std::string_view name) const;
  // Copies a file in; `name` defaults to the source's file name. Returns the copy's path.
  std::string CopyIn(const std::string& source, std::string_view name = {});
  // Writes the bytes exactly as given (creating subfolders). Returns the file's path.
  std::string WriteFile(std::string_view name, std::string_view bytes);
  std::string ReadFile(std::string_view name) const;
  bool Exists(std::string_view name) const;

 private:
  std::string dir_;
};

// A Unix path as Wine sees it through its Z: drive ("/a/b" -> "Z:\a\b"); other paths are
// returned with '/' turned into '\'.
std::string UnixToWinePath(std::string_view path);

// Deletes a directory tree; false when something could not be deleted.
bool DeleteTree(const std::string& dir);

}  // namespace teshmar::driver
