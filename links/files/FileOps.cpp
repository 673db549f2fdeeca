#include "links/files/FileOps.h"

#include <atomic>
#include <optional>
#include <string_view>

#include "common/TextUtil.h"

namespace teshmar {

namespace {

// A scanner that opens a new file usually lets go within a few hundred milliseconds.
constexpr int kReplacePauses[] = {50, 100, 200, 400};

// A write takes milliseconds; a temporary untouched this long is no write in progress, even of a
// console on another machine sharing the folder (whose process ids mean nothing here).
constexpr long long kStaleAfterSeconds = 120;
// Past this, a temporary goes whatever its process: the id may have been reused meanwhile.
constexpr long long kAbandonedAfterSeconds = 24 * 60 * 60;

std::optional<unsigned long> Digits(std::string_view text) {
  if (text.empty() || text.size() > 10) return std::nullopt;
  unsigned long long value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  if (value > 0xFFFFFFFFull) return std::nullopt;
  return static_cast<unsigned long>(value);
}

bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsIgnoreAsciiCase(text.substr(0, prefix.size()), prefix);
}

bool IsStale(IFileOps& ops, std::string_view suffix, long long age) {
  // ".<process id>-<serial>.tmp", as TemporaryPath names them.
  constexpr std::string_view kTmp = ".tmp";
  if (suffix.size() > kTmp.size() && suffix.front() == '.' &&
      EqualsIgnoreAsciiCase(suffix.substr(suffix.size() - kTmp.size()), kTmp)) {
    std::string_view middle = suffix.substr(1, suffix.size() - 1 - kTmp.size());
    size_t dash = middle.find('-');
    if (dash != std::string_view::npos) {
      auto process = Digits(middle.substr(0, dash));
      if (process && Digits(middle.substr(dash + 1))) {
        if (age >= kAbandonedAfterSeconds) return true;
        return age >= kStaleAfterSeconds && !ops.ProcessRunning(*process);
      }
    }
  }
  // ".tmp<serial>": left by consoles whose temporaries did not carry their process.
  if (StartsWithIgnoreCase(suffix, kTmp) && Digits(suffix.substr(kTmp.size()))) return age >= kStaleAfterSeconds;
  return false;
}

}  // namespace

std::string TemporaryPath(const std::string& path, unsigned long processId, unsigned serial) {
  // Same directory as the target, so the replacing step never crosses volumes; the process id
  // keeps two consoles run from one folder (two users of one machine) apart.
  return path + "." + std::to_string(processId) + "-" + std::to_string(serial) + ".tmp";
}

bool ReplaceFileContents(IFileOps& ops, const std::string& path, const std::string& bytes) {
  static std::atomic<unsigned> serial{0};
  const std::string temp = TemporaryPath(path, ops.CurrentProcessId(), ++serial);
  switch (ops.WriteNew(temp, bytes)) {
    case NewFileResult::Written:
      break;
    case NewFileResult::NotCreated:
      // A folder where the operator may change the file but not add one.
      return ops.WriteInPlace(path, bytes);
    case NewFileResult::Failed:
      ops.Remove(temp);
      return false;
  }
  ReplaceResult result = ops.Replace(temp, path);
  for (int pause : kReplacePauses) {
    if (result != ReplaceResult::Busy) break;
    ops.Pause(pause);
    result = ops.Replace(temp, path);
  }
  if (result == ReplaceResult::Replaced) return true;
  ops.Remove(temp);
  return false;
}

void RemoveStaleTemporaries(IFileOps& ops, const std::string& path) {
  size_t slash = path.find_last_of("\\/");
  const std::string directory = slash == std::string::npos ? std::string(".") : path.substr(0, slash);
  const std::string prefix = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  for (const DirectoryFile& file : ops.ListFiles(directory)) {
    if (file.name.size() <= name.size() || !StartsWithIgnoreCase(file.name, name)) continue;
    if (IsStale(ops, std::string_view(file.name).substr(name.size()), file.ageSeconds)) ops.Remove(prefix + file.name);
  }
}

}  // namespace teshmar
