#pragma once
#include <functional>
#include <stdexcept>
#include <string>

#include "links/files/FileOps.h"
#include "links/files/IniDocument.h"
#include "links/files/LinkSettings.h"

namespace teshmar {

// The local time as "yyyy-MM-dd HH:mm:ss".
std::string LocalTimeText();

// A write the platform refused; the text is "Unable to write to " and the file's path.
class SettingsWriteError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Load, change, store for a private-profile file: reads it, lets `change` edit it, and replaces
// the whole file when its bytes changed. Unchanged: nothing was written (the value was already
// stored, or there was nothing to change). Refused: the file exists but cannot be read (writing
// over it would lose it), `change` answered false, or the platform refused the write; the file
// is then as it was.
enum class IniUpdate { Unchanged, Stored, Refused };
IniUpdate UpdateIniFile(IFileOps& ops, const std::string& path, const std::function<bool(IniDocument&)>& change);

// The settings file "Quorvan.ini" beside the program: one section "Item<N>" per entry and the
// program-wide section "Quorvan". Nothing is cached: every call reads the file afresh, so a hand
// edit between two calls is seen by the next one; a snapshot keeps one reading for the work that
// asked for it. Every write replaces the whole file in one step.
class SettingsFile : public IEntryLinks {
 public:
  static constexpr const char* kFileName = "Quorvan.ini";
  static constexpr const char* kProgramSection = "Quorvan";
  // Whole minutes between two periodic refreshes; set by hand, never written by the console.
  static constexpr const char* kRefreshIntervalKey = "RefreshMinutes";

  // Beside the file, the link sections that an erase above the list's count removed, each time
  // under a comment line with the time and the reason, appended byte for byte.
  static constexpr const char* kRemovedSuffix = ".removed.ini";

  SettingsFile(IFileOps& ops, std::string path) : ops_(ops), path_(std::move(path)) {}

  // The file's path beside a program whose full path is given.
  static std::string PathBesideProgram(const std::string& programPath);

  const std::string& Path() const { return path_; }

  LinkSettings ReadEntryLink(int entryNo) override;
  std::string ReadEntryDatabase(int entryNo) override;
  EntryLinksSnapshot ReadEveryEntryLink() override;
  void WriteEntryLink(int entryNo, const LinkSettings& link) override;
  void EraseEntryLink(int entryNo) override;
  // Keeps a copy of the sections in the removed file first; when that copy is refused, nothing is erased.
  EntryLinksSnapshot EraseEntryLinksAbove(int count) override;
  bool CanStore(const std::string& text) override { return LoadForReading().CanHold(text); }
  std::string FileName() override { return kFileName; }
  std::string RemovedPath() const;
  // The local time for the removed file's comment lines; tests set their own.
  void SetClock(std::function<std::string()> now) { now_ = std::move(now); }

  std::string ReadProgramValue(const std::string& key);
  void WriteProgramValue(const std::string& key, const std::string& value);

  static std::string EntrySection(int entryNo) { return "Item" + std::to_string(entryNo); }

 private:
  IniDocument LoadForReading();
  void Update(const std::function<bool(IniDocument&)>& change);
  [[noreturn]] void FailWrite() const;
  bool KeepRemoved(const IniDocument& removed, const std::string& reason);

  IFileOps& ops_;
  std::string path_;
  std::function<std::string()> now_ = LocalTimeText;
};

// The refresh interval in minutes from its stored text: 30 when missing, empty or not a whole
// number; 0 means the periodic refresh never runs.
int ParseRefreshInterval(const std::string& text);

}  // namespace teshmar
