#pragma once
#include <string>
#include <vector>

namespace teshmar {

struct FileRead {
  enum class Status { Ok, Missing, Unreadable };
  Status status = Status::Missing;
  std::string bytes;
};

// A new file's fate: NotCreated means the folder took no new file and nothing was written.
enum class NewFileResult { Written, NotCreated, Failed };

// Busy: another program holds the file for now (a virus scanner), worth another try soon.
enum class ReplaceResult { Replaced, Busy, Refused };

struct DirectoryFile {
  std::string name;
  long long ageSeconds = 0;  // since its last change
};

// The few file and process operations the files beside the program need; paths are UTF-8.
class IFileOps {
 public:
  virtual ~IFileOps() = default;
  virtual FileRead Read(const std::string& path) = 0;
  // Creates or truncates the file, writes every byte, flushes it to the disk and closes it.
  virtual NewFileResult WriteNew(const std::string& path, const std::string& bytes) = 0;
  // Puts `from` in the place of `to` in one step, replacing `to`.
  virtual ReplaceResult Replace(const std::string& from, const std::string& to) = 0;
  // Rewrites a file that exists where it is, flushed; never creates one. Room for the new size is
  // taken before the first byte changes, so a full disk refuses with the old bytes intact.
  virtual bool WriteInPlace(const std::string& path, const std::string& bytes) = 0;
  virtual void Remove(const std::string& path) = 0;
  // The plain files of a folder.
  virtual std::vector<DirectoryFile> ListFiles(const std::string& directory) = 0;
  virtual unsigned long CurrentProcessId() = 0;
  // Whether a process of that id exists on this machine; true when that cannot be told.
  virtual bool ProcessRunning(unsigned long processId) = 0;
  virtual void Pause(int milliseconds) = 0;
};

// Writes a whole file so that a crash or a refusal at any moment leaves either the old file
// or the new one: a temporary file beside it, named for this process, then one replacing step,
// tried again for a moment while another program holds the file. When the folder takes no new
// file but the file itself may be written, the file is rewritten in place, as the platform's
// profile functions do. Answers false, with the old file untouched and no temporary left, when
// the platform refuses.
bool ReplaceFileContents(IFileOps& ops, const std::string& path, const std::string& bytes);

// The temporary file name a write of `path` by process `processId` uses for its `serial`-th write.
std::string TemporaryPath(const std::string& path, unsigned long processId, unsigned serial);

// Removes the temporaries that crashed writes of `path` left behind. A temporary whose process
// still runs may be a write in progress and stays; see the definition for the exact rule.
void RemoveStaleTemporaries(IFileOps& ops, const std::string& path);

// The platform's own file operations (Win32 on Windows, POSIX elsewhere).
IFileOps& PlatformFileOps();

}  // namespace teshmar
