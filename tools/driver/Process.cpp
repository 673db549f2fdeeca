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
  STARTUPINFOEXW startup{};
  startup.StartupInfo.cb = sizeof startup;
  startup.StartupInfo.dwFlags = STARTF_USESHOWWINDOW;
  startup.StartupInfo.wShowWindow = static_cast<WORD>(options.showState);

  // Only the NUL handle is inherited: the driver's own standard handles must not reach the
  // child, or under Wine the child keeps the driver's output pipe open after the driver ends.
  HANDLE nul = INVALID_HANDLE_VALUE;
  std::vector<char> attributeBuffer;
  DWORD flags = 0;
  if (!options.inheritStdio) {
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    nul = CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                      OPEN_EXISTING, 0, nullptr);
    if (nul == INVALID_HANDLE_VALUE) ThrowLastError("cannot open NUL");
    startup.StartupInfo.dwFlags |= STARTF_USESTDHANDLES;
    startup.StartupInfo.hStdInput = startup.StartupInfo.hStdOutput = startup.StartupInfo.hStdError = nul;
    SIZE_T size = 0;
    InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
    attributeBuffer.resize(size);
    auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(attributeBuffer.data());
    if (InitializeProcThreadAttributeList(list, 1, 0, &size) &&
        UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, &nul, sizeof nul, nullptr, nullptr)) {
      startup.lpAttributeList = list;
      flags |= EXTENDED_STARTUPINFO_PRESENT;
    }
  }
  PROCESS_INFORMATION info{};
  BOOL started = FALSE;
  DWORD error = 0;
  // Under load Wine now and then refuses a start with "internal error" (1359); a moment later it works.
  for (int attempt = 0; attempt < 3; ++attempt) {
    started = CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, nul != INVALID_HANDLE_VALUE, flags,
                             nullptr, dir.empty() ? nullptr : dir.c_str(), &startup.StartupInfo, &info);
    error = GetLastError();
    if (started || error != ERROR_INTERNAL_ERROR) break;
    Sleep(200);
  }
  if (startup.lpAttributeList) DeleteProcThreadAttributeList(startup.lpAttributeList);
  if (nul != INVALID_HANDLE_VALUE) CloseHandle(nul);
  SetLastError(error);
  if (!started) ThrowLastError("cannot start " + options.program);
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
