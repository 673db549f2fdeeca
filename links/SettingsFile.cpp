#include "links/SettingsFile.h"

#include <algorithm>
#include <limits>

#include "common/TextUtil.h"

namespace teshmar {

namespace {
constexpr const char* kServername = "Servername";
constexpr const char* kPort = "Port";
constexpr const char* kDatabase = "Database";
constexpr const char* kLogid = "Logid";
constexpr const char* kLogpass = "Logpass";
constexpr const char* kConnType = "ConnType";
}  // namespace

std::string SettingsFile::PathBesideProgram(const std::string& programPath) {
  size_t slash = programPath.find_last_of("\\/");
  std::string dir = slash == std::string::npos ? std::string() : programPath.substr(0, slash + 1);
  return dir + kFileName;
}

IniDocument SettingsFile::LoadForReading() {
  // A missing or unreadable file reads as defaults, as the private-profile functions do.
  FileRead read = ops_.Read(path_);
  return IniDocument::Parse(read.status == FileRead::Status::Ok ? read.bytes : std::string());
}

IniUpdate UpdateIniFile(IFileOps& ops, const std::string& path, const std::function<bool(IniDocument&)>& change) {
  FileRead read = ops.Read(path);
  if (read.status == FileRead::Status::Unreadable) return IniUpdate::Refused;
  IniDocument doc = IniDocument::Parse(read.bytes);
  if (!change(doc)) return IniUpdate::Refused;
  std::string bytes = doc.Serialize();
  // Nothing changed: leave the file (or its absence), its times and its permissions alone.
  if (bytes == read.bytes) return IniUpdate::Unchanged;
  return ReplaceFileContents(ops, path, bytes) ? IniUpdate::Stored : IniUpdate::Refused;
}

void SettingsFile::Update(const std::function<bool(IniDocument&)>& change) {
  if (UpdateIniFile(ops_, path_, change) == IniUpdate::Refused) FailWrite();
}

void SettingsFile::FailWrite() const { throw SettingsWriteError("Unable to write to " + path_); }

LinkSettings SettingsFile::ReadEntryLink(int entryNo) {
  IniDocument doc = LoadForReading();
  const std::string section = EntrySection(entryNo);
  LinkSettings link;
  auto read = [&](const char* key, std::string& field) {
    if (auto value = doc.Get(section, key)) field = *value;
  };
  read(kServername, link.serverName);
  read(kPort, link.port);
  read(kDatabase, link.database);
  read(kLogid, link.loginName);
  read(kLogpass, link.password);
  if (auto text = doc.Get(section, kConnType)) {
    auto number = ParseWholeNumber(*text);
    link.connType = number && *number >= std::numeric_limits<int>::min() && *number <= std::numeric_limits<int>::max()
                        ? static_cast<int>(*number)
                        : 1;
  }
  return link;
}

std::string SettingsFile::ReadEntryDatabase(int entryNo) {
  return LoadForReading().Get(EntrySection(entryNo), kDatabase).value_or(std::string());
}

void SettingsFile::WriteEntryLink(int entryNo, const LinkSettings& link) {
  const std::string section = EntrySection(entryNo);
  const std::pair<const char*, std::string> keys[] = {
      {kServername, link.serverName}, {kPort, link.port},         {kDatabase, link.database},
      {kLogid, link.loginName},       {kLogpass, link.password}, {kConnType, std::to_string(link.connType)},
  };
  // All six keys go into one new copy of the file; a refusal leaves the old file as it was.
  Update([&](IniDocument& doc) {
    for (const auto& [key, value] : keys) {
      if (!doc.Set(section, key, value)) return false;
    }
    return true;
  });
}

void SettingsFile::EraseEntryLink(int entryNo) {
  Update([&](IniDocument& doc) {
    doc.EraseSection(EntrySection(entryNo));
    return true;
  });
}

void SettingsFile::EraseEntryLinksAbove(int count) {
  Update([&](IniDocument& doc) {
    for (const std::string& name : doc.SectionNames()) {
      // Only the sections an entry's link is read from: "Item" and its number without leading zeros.
      if (name.size() < 5 || !EqualsIgnoreAsciiCase(name.substr(0, 4), "Item") || name[4] == '0') continue;
      if (name.find_first_not_of("0123456789", 4) != std::string::npos || name.size() > 4 + 9) continue;
      if (std::stoi(name.substr(4)) > count) doc.EraseSection(name);
    }
    return true;
  });
}

std::string SettingsFile::ReadProgramValue(const std::string& key) {
  return LoadForReading().Get(kProgramSection, key).value_or(std::string());
}

void SettingsFile::WriteProgramValue(const std::string& key, const std::string& value) {
  Update([&](IniDocument& doc) { return doc.Set(kProgramSection, key, value); });
}

int ParseRefreshInterval(const std::string& text) {
  constexpr int kDefault = 30;
  // The longest interval a window timer can hold, in whole minutes.
  constexpr long long kLongest = 0x7FFFFFFF / 60000;
  auto number = ParseWholeNumber(TrimControl(text));
  if (!number || *number < 0) return kDefault;
  return static_cast<int>(std::min(*number, kLongest));
}

}  // namespace teshmar
