#pragma once
#include <functional>
#include <string>
#include <utility>

namespace teshmar {

// One entry's database link, with the defaults an entry without settings reads as.
struct LinkSettings {
  std::string serverName = "127.0.0.1";
  std::string port = "1433";
  std::string database;
  std::string loginName;
  std::string password;
  int connType = 1;  // 1 SQL Server login, 2 Windows integrated security

  bool operator==(const LinkSettings&) const = default;
};

// Every entry's link as one reading of the settings file found it: the work that reads many
// entries at once (a fill, a refresh) reads the file once, not once per entry. Safe to read from
// several threads at once.
class EntryLinksSnapshot {
 public:
  using Reader = std::function<LinkSettings(int entryNo)>;
  // No entry has a link.
  EntryLinksSnapshot() = default;
  explicit EntryLinksSnapshot(Reader read) : read_(std::move(read)) {}

  LinkSettings ReadEntryLink(int entryNo) const { return read_ ? read_(entryNo) : LinkSettings{}; }
  std::string ReadEntryDatabase(int entryNo) const { return ReadEntryLink(entryNo).database; }

 private:
  Reader read_;
};

// The per-entry links of the settings file. Every call reads (or writes) the file afresh.
class IEntryLinks {
 public:
  virtual ~IEntryLinks() = default;
  virtual LinkSettings ReadEntryLink(int entryNo) = 0;
  virtual std::string ReadEntryDatabase(int entryNo) = 0;
  // Every entry's link from one reading of the file; a hand edit saved later is seen by the next call.
  virtual EntryLinksSnapshot ReadEveryEntryLink() = 0;
  // Throws SettingsWriteError ("Unable to write to <path>") when the platform refuses the write.
  virtual void WriteEntryLink(int entryNo, const LinkSettings& link) = 0;
  virtual void EraseEntryLink(int entryNo) = 0;
  // Erases the links of every entry number above `count` in one write, so that an entry added
  // later under such a number starts without another site's link. Answers every entry's link as
  // the file holds them afterwards, from the same reading. Throws as WriteEntryLink does.
  virtual EntryLinksSnapshot EraseEntryLinksAbove(int count) = 0;
  // Whether the file, in the encoding it has now, can hold the text as a value.
  virtual bool CanStore(const std::string& text) {
    (void)text;
    return true;
  }
  // The file's name, for the operator.
  virtual std::string FileName() { return "Quorvan.ini"; }
};

}  // namespace teshmar
