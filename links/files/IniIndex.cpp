#include "links/files/IniIndex.h"

namespace teshmar {

std::string IniIndex::Folded(std::string_view name) {
  std::string folded(name);
  for (char& c : folded) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return folded;
}

IniIndex::IniIndex(const IniDocument& doc) {
  // Sections without keys count too: a list's empty [EntryK] is still there.
  for (const std::string& name : doc.SectionNames()) sections_.try_emplace(Folded(name));
  for (const IniKey& k : doc.Keys()) sections_[Folded(k.section)].try_emplace(Folded(k.key), k.value);
}

const IniIndex::Keys* IniIndex::Section(std::string_view section) const {
  auto it = sections_.find(Folded(section));
  return it == sections_.end() ? nullptr : &it->second;
}

bool IniIndex::HasSection(std::string_view section) const { return Section(section) != nullptr; }

std::optional<std::string> IniIndex::Get(std::string_view section, std::string_view key) const {
  const Keys* keys = Section(section);
  if (!keys) return std::nullopt;
  auto it = keys->find(Folded(key));
  if (it == keys->end()) return std::nullopt;
  return it->second;
}

}  // namespace teshmar
