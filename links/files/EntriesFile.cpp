#include "links/files/EntriesFile.h"

#include <exception>

#include "common/TextUtil.h"
#include "links/files/IniDocument.h"
#include "links/files/IniIndex.h"
#include "links/files/SettingsFile.h"

namespace teshmar {

namespace {

constexpr const char* kListSection = "Entries";
constexpr const char* kCount = "Count";
constexpr const char* kName = "Name";
constexpr const char* kAddr = "Addr";
constexpr const char* kKind = "Kind";

std::string ValueOf(const IniIndex::Keys& keys, const char* key) {
  auto it = keys.find(IniIndex::Folded(key));
  return it == keys.end() ? std::string() : it->second;
}

}  // namespace

std::string EntriesFile::PathBesideProgram(const std::string& programPath) {
  size_t slash = programPath.find_last_of("\\/");
  std::string dir = slash == std::string::npos ? std::string() : programPath.substr(0, slash + 1);
  return dir + kFileName;
}

EntryListRead EntriesFile::ReadEntries() {
  EntryListRead result;
  auto fail = [&](const std::string& what) {
    result.status = EntryListRead::Status::Unreadable;
    result.error = "注册项列表文件 " + path_ + " 无法读取：" + what;
    return result;
  };

  FileRead read = ops_.Read(path_);
  if (read.status == FileRead::Status::Missing) {
    result.status = EntryListRead::Status::Missing;
    return result;
  }
  if (read.status == FileRead::Status::Unreadable) return fail("文件无法打开");
  IniDocument doc = IniDocument::Parse(read.bytes);
  // A list that is not all text could hide an entry; better no list than a wrong one.
  if (auto line = doc.FirstUndecodableLine()) return fail("第" + std::to_string(*line) + "行不是有效的文本");

  // Looked up once, so that a list of thousands of entries is not scanned again for every key.
  const IniIndex index(doc);
  const IniIndex::Keys* list = index.Section(kListSection);
  if (!list) return fail("缺少[Entries]");
  auto countText = list->find(IniIndex::Folded(kCount));
  if (countText == list->end()) return fail("[Entries]中缺少Count");
  auto count = ParseWholeNumber(countText->second);
  if (!count || *count < 0 || *count > kMaxCount) {
    return fail("Count的值“" + countText->second + "”不是0到" + std::to_string(kMaxCount) + "的整数");
  }

  std::vector<Entry> entries;
  entries.reserve(static_cast<size_t>(*count));
  for (int k = 1; k <= *count; ++k) {
    const IniIndex::Keys* section = index.Section(EntrySection(k));
    if (!section) return fail("缺少[" + EntrySection(k) + "]");
    entries.push_back({std::to_string(k), ValueOf(*section, kName), ValueOf(*section, kAddr), ValueOf(*section, kKind)});
  }
  result.status = EntryListRead::Status::Ok;
  result.entries = std::move(entries);

  // The link of a number no longer in the list must not pass to a later entry of that number
  // (its customer records would go to another site's database). A settings file that refuses
  // the erase (read-only) must not stop the console from starting: the list stands, and the
  // next complete read tries again. The erase reads the settings file anyway: the links it
  // leaves serve the fill that follows, which need not read the file once more.
  try {
    result.links = links_.EraseEntryLinksAbove(static_cast<int>(*count));
  } catch (const std::exception&) {
  }
  return result;
}

bool EntriesFile::CanStore(const std::string& text) {
  FileRead read = ops_.Read(path_);
  return IniDocument::Parse(read.status == FileRead::Status::Ok ? read.bytes : std::string()).CanHold(text);
}

bool EntriesFile::StoreCustomer(int entryNo, const std::string& name, const std::string& addr) {
  if (entryNo < 1) return false;
  const std::string section = EntrySection(entryNo);
  // Only an entry of the list is stored; a missing file or section is not made up here.
  IniUpdate update = UpdateIniFile(ops_, path_, [&](IniDocument& doc) {
    return doc.HasSection(section) && doc.Set(section, kName, name) && doc.Set(section, kAddr, addr);
  });
  return update != IniUpdate::Refused;
}

}  // namespace teshmar
