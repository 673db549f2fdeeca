#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "links/files/IniDocument.h"

namespace teshmar {

// A document's lookups made once: every section and key under its ASCII-folded name, the first
// occurrence kept, so that a file of thousands of sections is read key by key without scanning it
// again for every key. Answers exactly as IniDocument::Get does.
class IniIndex {
 public:
  IniIndex() = default;
  explicit IniIndex(const IniDocument& doc);

  bool HasSection(std::string_view section) const;
  std::optional<std::string> Get(std::string_view section, std::string_view key) const;

  using Keys = std::unordered_map<std::string, std::string>;
  // The keys of a section under their folded names; nullptr when the file has no such section.
  const Keys* Section(std::string_view section) const;

  static std::string Folded(std::string_view name);

 private:
  std::unordered_map<std::string, Keys> sections_;
};

}  // namespace teshmar
