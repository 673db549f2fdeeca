#include "links/files/SettingsFile.h"

#include <algorithm>
#include <ctime>
#include <limits>
#include <memory>
#include <optional>

#include "common/TextUtil.h"
#include "links/files/IniIndex.h"

namespace teshmar {

namespace {
constexpr const char* kServername = "Servername";
constexpr const char* kPort = "Port";
constexpr const char* kDatabase = "Database";
constexpr const char* kLogid = "Logid";
constexpr const char* kLogpass = "Logpass";
constexpr const char* kConnType = "ConnType";

// One entry's link from its section's keys, each with its default; `get` answers a key's value.
template <class Get>
LinkSettings LinkFromSection(const Get& get) {
  LinkSettings link;
  auto read = [&](const char* key, std::string& field) {
    if (auto value = get(key)) field = *value;
  };
  read(kServername, link.serverName);
  read(kPort, link.port);
  read(kDatabase, link.database);
  read(kLogid, link.loginName);
  read(kLogpass, link.password);
  if (auto text = get(kConnType)) {
    auto number = ParseWholeNumber(*text);
    link.connType = number && *number >= std::numeric_limits<int>::min() && *number <= std::numeric_limits<int>::max()
                        ? static_cast<int>(*number)
                        : 1;
  }
  return link;
}

EntryLinksSnapshot SnapshotOf(const IniDocument& doc) {
  auto index = std::make_shared<const IniIndex>(doc);
  return EntryLinksSnapshot([index](int entryNo) {
    const IniIndex::Keys* keys = index->Section(SettingsFile::EntrySection(entryNo));
    if (!keys) return LinkSettings{};
    return LinkFromSection([&](const char* key) -> std::optional<std::string> {
      auto it = keys->find(IniIndex::Folded(key));
      if (it == keys->end()) return std::nullopt;
      return it->second;
    });
  });
}

// Whether a section name is one an entry's link is read from ("Item" and a number without leading
// zeros), and which number.
std::optional<long long> EntryNumberOfSection(const std::string& name) {
  if (name.size() < 5 || name.size() > 4 + 9 || !EqualsIgnoreAsciiCase(name.substr(0, 4), "Item") || name[4] == '0')
    return std::nullopt;
  if (name.find_first_not_of("0123456789", 4) != std::string::npos) return std::nullopt;
  return std::stoll(name.substr(4));
}
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
  const IniDocument doc = LoadForReading();
  const std::string section = EntrySection(entryNo);
  return LinkFromSection([&](const char* key) { return doc.Get(section, key); });
}

EntryLinksSnapshot SettingsFile::ReadEveryEntryLink() { return SnapshotOf(LoadForReading()); }

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
    const std::string section = EntrySection(entryNo);
    const IniDocument removed =
        doc.TakeSectionsWhere([&](const std::string& name) { return EqualsIgnoreAsciiCase(name, section); });
    return removed.Empty() || KeepRemoved(removed, "删除注册项[" + std::to_string(entryNo) + "]的连接");
  });
}

EntryLinksSnapshot SettingsFile::EraseEntryLinksAbove(int count) {
  EntryLinksSnapshot after;
  Update([&](IniDocument& doc) {
    const IniDocument removed = doc.TakeSectionsWhere([&](const std::string& name) {
      const auto number = EntryNumberOfSection(name);
      return number && *number > count;
    });
    // A link is never lost for a mistyped Count: without its copy kept, nothing is erased.
    if (!removed.Empty() && !KeepRemoved(removed, "注册项列表的Count为" + std::to_string(count))) return false;
    after = SnapshotOf(doc);
    return true;
  });
  return after;
}

std::string SettingsFile::RemovedPath() const {
  const std::string suffix = ".ini";
  const bool named = path_.size() >= suffix.size() &&
                     EqualsIgnoreAsciiCase(path_.substr(path_.size() - suffix.size()), suffix);
  return (named ? path_.substr(0, path_.size() - suffix.size()) : path_) + kRemovedSuffix;
}

bool SettingsFile::KeepRemoved(const IniDocument& removed, const std::string& reason) {
  const std::string path = RemovedPath();
  FileRead read = ops_.Read(path);
  if (read.status == FileRead::Status::Unreadable) return false;
  IniDocument kept = read.bytes.empty() ? removed.EmptyLike() : IniDocument::Parse(read.bytes);
  // The same sections kept last time (the erase was refused then): not once more.
  if (kept.EndsWith(removed)) return true;
  const std::string name = path_.substr(path_.find_last_of("\\/") + 1);
  if (!kept.AppendLine("; " + now_() + " " + reason + "：以下连接已从" + name + "删除")) return false;
  kept.Append(removed);
  return ReplaceFileContents(ops_, path, kept.Serialize());
}

std::string LocalTimeText() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  return text;
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
