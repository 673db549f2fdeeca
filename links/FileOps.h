#pragma once
#include <string>

namespace teshmar {

struct FileRead {
  enum class Status { Ok, Missing, Unreadable };
  Status status = Status::Missing;
  std::string bytes;
};

// The few file operations the settings file needs; paths are UTF-8.
class IFileOps {
 public:
  virtual ~IFileOps() = default;
  virtual FileRead Read(const std::string& path) = 0;
  // Creates or truncates the file, writes every byte, flushes it to the disk and closes it.
  virtual bool WriteNew(const std::string& path, const std::string& bytes) = 0;
  // Puts `from` in the place of `to` in one step, replacing `to`.
  virtual bool Replace(const std::string& from, const std::string& to) = 0;
  virtual void Remove(const std::string& path) = 0;
};

// Writes a whole file so that a crash or a refusal at any moment leaves either the old file
// or the new one: a temporary file beside it, then one replacing step. Answers false, with
// the old file untouched and no temporary left, when the platform refuses.
bool ReplaceFileContents(IFileOps& ops, const std::string& path, const std::string& bytes);

// The platform's own file operations (Win32 on Windows, POSIX elsewhere).
IFileOps& PlatformFileOps();

}  // namespace teshmar
