#pragma once
#include <string>

#include "links/files/EntryList.h"
#include "links/files/FileOps.h"
#include "links/files/LinkSettings.h"

namespace teshmar {

// The list of entries "Entries.ini" beside the program, in the settings file's private-profile
// format, encodings and lookup rules:
//   [Entries]  Count=n
//   [Entry1] … [Entryn]  Name=…  Addr=…  Kind=…   (a missing key reads as empty text)
// Entry K is section EntryK and gets the number "K". Nothing is cached: every call reads afresh.
class EntriesFile : public IEntryList {
 public:
  static constexpr const char* kFileName = "Entries.ini";
  static constexpr int kMaxCount = 9999;

  // `links` erases the links of numbers above the list's count after each complete read.
  EntriesFile(IFileOps& ops, std::string path, IEntryLinks& links) : ops_(ops), path_(std::move(path)), links_(links) {}

  static std::string PathBesideProgram(const std::string& programPath);
  const std::string& Path() const { return path_; }

  EntryListRead ReadEntries() override;
  // Refused also when the file is missing or unreadable, or holds no section EntryN.
  bool StoreCustomer(int entryNo, const std::string& name, const std::string& addr) override;
  bool CanStore(const std::string& text) override;

  static std::string EntrySection(int entryNo) { return "Entry" + std::to_string(entryNo); }

 private:
  IFileOps& ops_;
  std::string path_;
  IEntryLinks& links_;
};

}  // namespace teshmar
