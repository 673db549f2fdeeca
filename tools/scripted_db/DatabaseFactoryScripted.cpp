#include <windows.h>

#include <string>

#include "app/DatabaseFactory.h"
#include "tools/scripted_db/ScriptedDatabase.h"
#include "win/Wide.h"

namespace teshmar {

namespace {

// An environment variable's value; empty when it is not set.
std::wstring Environment(const wchar_t* name) {
  std::wstring value(256, L'\0');
  for (;;) {
    DWORD length = GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size()));
    if (length == 0) return {};
    if (length < value.size()) {
      value.resize(length);
      return value;
    }
    value.resize(length);
  }
}

std::wstring ProgramDirectory() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  return path.substr(0, path.find_last_of(L"\\/") + 1);
}

// The path the variable names, or the file of that name beside the program.
std::string FilePath(const wchar_t* variable, const wchar_t* besideProgram) {
  std::wstring path = Environment(variable);
  if (path.empty()) path = ProgramDirectory() + besideProgram;
  return win::Narrow(path);
}

}  // namespace

// The end-to-end build of the console: a scripted database in place of ADO.
std::unique_ptr<IDatabase> CreateConsoleDatabase() {
  return LoadScriptedDatabase(FilePath(L"TESHMAR_DB_SCRIPT", L"ScriptedDb.txt"),
                              FilePath(L"TESHMAR_DB_RECORD", L"ScriptedDb.record.txt"));
}

}  // namespace teshmar
