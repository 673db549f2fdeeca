#pragma once
#include <optional>
#include <string>
#include <vector>

#include "links/files/LinkSettings.h"

namespace teshmar {

// One numbered row of the console as the list of entries gives it.
struct Entry {
  std::string number;  // a whole decimal number as text; the list's K-th entry is numbered K
  std::string name;    // customer name
  std::string addr;    // customer address: province, city, county and street joined by ","
  std::string kind;    // kind code; its first character "2" means the ERP database

  bool operator==(const Entry&) const = default;
};

struct EntryListRead {
  enum class Status { Ok, Missing, Unreadable };
  Status status = Status::Missing;
  std::vector<Entry> entries;  // empty unless Ok
  std::string error;           // Unreadable: what the operator is told, naming the file and the fault
  // Ok: every entry's link as the same read left the settings file, when it read it.
  std::optional<EntryLinksSnapshot> links;
};

// The list of entries handed to the console. Every call reads (or writes) its file afresh.
class IEntryList {
 public:
  virtual ~IEntryList() = default;
  // Missing: no file, an empty list. Ok: the whole list, read completely; the links of numbers
  // above the list's count have then been erased. Unreadable: nothing erased.
  virtual EntryListRead ReadEntries() = 0;
  // Stores an entry's customer name and address; false, with the file left byte-identical, when
  // the value cannot be stored or the platform refuses the write.
  virtual bool StoreCustomer(int entryNo, const std::string& name, const std::string& addr) = 0;
  // Whether the file, in the encoding it has now, can hold the text as a value.
  virtual bool CanStore(const std::string& text) {
    (void)text;
    return true;
  }
};

}  // namespace teshmar
