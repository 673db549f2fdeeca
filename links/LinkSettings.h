#pragma once
#include <string>

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

// The per-entry links of the settings file. Every call reads (or writes) the file afresh.
class IEntryLinks {
 public:
  virtual ~IEntryLinks() = default;
  virtual LinkSettings ReadEntryLink(int entryNo) = 0;
  virtual std::string ReadEntryDatabase(int entryNo) = 0;
  // Throws SettingsWriteError ("Unable to write to <path>") when the platform refuses the write.
  virtual void WriteEntryLink(int entryNo, const LinkSettings& link) = 0;
  virtual void EraseEntryLink(int entryNo) = 0;
  // Erases the links of every entry number above `count` in one write, so that an entry added
  // later under such a number starts without another site's link. Throws as WriteEntryLink does.
  virtual void EraseEntryLinksAbove(int count) = 0;
};

}  // namespace teshmar
