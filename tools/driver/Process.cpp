#include "tools/driver/Process.h"

#include <utility>

#include "tools/driver/DriverError.h"
#include "win/Wide.h"

namespace teshmar::driver {
namespace {

// Quotes one argument the way CommandLineToArgvW and the C runtime read it back.
std::string Quote(const std::string& arg) {
  if (!arg.empty() && arg.find_first_of(" \t\n\v\"") == std::string::npos) return arg;
  std::string out = "\"";
  std::size_t backslashes = 0;
  for (char c : arg) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    if (c == '"') out.append(backslashes * 2 + 1, '\\');
    else out.append(backslashes, '\\');
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, '\\');
  return out + '"';
}

}  // namespace

std::string BuildCommandLine(const std::string& program, const std::vector<std::string>& args) {
  std::string line = Quote(program);
  for (const auto& arg : args) line += ' ' + Quote(arg);
  return line;
}

Process::Process(Process&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)), id_(std::exchange(other.id_, 0)) {}

Process& Process::operator=(Process&& other) noexcept {
  if (this != &other) {
    Kill();
    handle_ = std::exchange(other.handle_, nullptr);
    id_ = std::exchange(other.id_, 0);
  }
  return *this;
}

Process::~Process() { Kill(); }

bool Process::Running() const { return handle_ && WaitForSingleObject(handle_, 0) == WAIT_TIMEOUT; }

std::optional<DWORD> Process::WaitExit(DWORD timeoutMs) const {
  if (!handle_ || WaitForSingleObject(handle_, timeoutMs) != WAIT_OBJECT_0) return std::nullopt;
  DWORD code = 0;
  if (!GetExitCodeProcess(handle_, &code)) return std::nullopt;
  return code;
}

void Process::Kill() {
  if (!handle_) return;
  if (Running()) {
    TerminateProcess(handle_, 1);
    WaitForSingleObject(handle_, 10000);
  }
  CloseHandle(handle_);
  handle_ = nullptr;
}

DWORD Process::Detach() {
  if (handle_) CloseHandle(handle_);
  handle_ = nullptr;
  return std::exchange(id_, 0);
}

Process Launch(const LaunchOptions& options) {
  std::wstring line = win::Widen(BuildCommandLine(options.program, options.args));
  const std::wstring program = win::Widen(options.program);
  const std::wstring dir = win::Widen(options.workingDir);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(options.showState);
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      dir.empty() ? nullptr : dir.c_str(), &startup, &info)) {
    ThrowLastError("cannot start " + options.program);
  }
  CloseHandle(info.hThread);
  return Process(info.hProcess, info.dwProcessId);
}

std::optional<DWORD> WaitProcessExit(DWORD pid, DWORD timeoutMs) {
  HANDLE h = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (!h) ThrowLastError("cannot open process " + std::to_string(pid));
  std::optional<DWORD> code;
  DWORD value = 0;
  if (WaitForSingleObject(h, timeoutMs) == WAIT_OBJECT_0 && GetExitCodeProcess(h, &value)) code = value;
  CloseHandle(h);
  return code;
}

}  // namespace teshmar::driver
