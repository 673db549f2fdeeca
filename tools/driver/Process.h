#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace teshmar::driver {

struct LaunchOptions {
  std::string program;            // Windows path of the executable (UTF-8)
  std::vector<std::string> args;  // quoted as the C runtime splits them
  std::string workingDir;         // empty: the driver's own
  int showState = SW_SHOWNORMAL;  // STARTUPINFO.wShowWindow, e.g. SW_SHOWMINNOACTIVE
  // False: the program's standard handles go to NUL. Under Wine a child otherwise holds the
  // driver's stdout pipe open, and whoever reads that pipe (a shell, CTest) waits for the child.
  bool inheritStdio = false;
};

// A started process. Move-only; the destructor kills it (TerminateProcess and wait) unless it exited.
class Process {
 public:
  Process() = default;
  Process(HANDLE process, DWORD id) : handle_(process), id_(id) {}
  Process(Process&& other) noexcept;
  Process& operator=(Process&& other) noexcept;
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;
  ~Process();

  DWORD Id() const { return id_; }
  HANDLE Handle() const { return handle_; }
  bool Running() const;
  // The exit code once the process ended within timeoutMs; nullopt while it still runs.
  std::optional<DWORD> WaitExit(DWORD timeoutMs) const;
  void Kill();
  // Gives the process up without killing it; returns its id.
  DWORD Detach();

 private:
  HANDLE handle_ = nullptr;
  DWORD id_ = 0;
};

// Starts the program; throws DriverError when CreateProcessW refuses.
Process Launch(const LaunchOptions& options);

// The command line that hands `args` to a program unchanged (program first).
std::string BuildCommandLine(const std::string& program, const std::vector<std::string>& args);

// Waits for a process known only by its id, without owning it: its exit code, or nullopt when it
// still runs after timeoutMs. Throws DriverError when no such process can be opened.
std::optional<DWORD> WaitProcessExit(DWORD pid, DWORD timeoutMs);

}  // namespace teshmar::driver
