#pragma once
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "links/files/LinkSettings.h"

namespace teshmar::testing {

// Entry links held in memory: an entry never written reads as the defaults.
class FakeEntryLinks : public IEntryLinks {
 public:
  LinkSettings ReadEntryLink(int entryNo) override {
    auto it = links.find(entryNo);
    return it == links.end() ? LinkSettings{} : it->second;
  }
  std::string ReadEntryDatabase(int entryNo) override { return ReadEntryLink(entryNo).database; }
  void WriteEntryLink(int entryNo, const LinkSettings& link) override { links[entryNo] = link; }
  void EraseEntryLink(int entryNo) override { links.erase(entryNo); }
  EntryLinksSnapshot ReadEveryEntryLink() override {
    ++snapshots;
    return EntryLinksSnapshot([copy = links](int entryNo) {
      auto it = copy.find(entryNo);
      return it == copy.end() ? LinkSettings{} : it->second;
    });
  }
  EntryLinksSnapshot EraseEntryLinksAbove(int count) override {
    erasedAbove.push_back(count);
    links.erase(links.upper_bound(count), links.end());
    --snapshots;  // the same reading: not counted as one more
    return ReadEveryEntryLink();
  }

  bool CanStore(const std::string& text) override { return !canStore || canStore(text); }

  std::map<int, LinkSettings> links;
  std::function<bool(const std::string&)> canStore;  // every text when not set
  std::vector<int> erasedAbove;  // the count of every EraseEntryLinksAbove call
  int snapshots = 0;             // ReadEveryEntryLink calls
};

}  // namespace teshmar::testing
