// libFuzzer over the settings file's parser and writer: any bytes parse, an untouched file is
// written back byte for byte, a key that was set reads back while the rest keeps its bytes, and
// the written bytes, parsed again, give every key the value the changed document gives it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "links/files/IniDocument.h"

using teshmar::IniDocument;

namespace {

struct Change {
  const char* section;
  const char* key;
  std::string_view value;
};

// Plain, Chinese, quoted, blank-edged and empty values, into sections that may or may not exist.
const Change kChanges[] = {
    {"Item1", "Database", "Store01"},
    {"Quorvan", "version", "140120"},
    {"Item12", "Logpass", " edge "},
    {"Entry1", "Name", "\xe4\xb8\x9c\xe5\x9f\x8e\xe5\xba\x97"},
    {"item1", "database", "\"quoted\""},
    {"Entries", "Count", ""},
    {"Item1", "Logid", "'"},
    {"\xe9\x97\xa8\xe5\xba\x97", "Addr", "\xe5\xb9\xbf\xe4\xb8\x9c\xe7\x9c\x81,,"},
};

// Every key of `expected` reads the same in `actual`, and `actual` has no key `expected` lacks.
void ExpectSameKeys(const IniDocument& expected, const IniDocument& actual) {
  const auto keys = expected.Keys();
  for (const auto& k : keys) {
    auto back = actual.Get(k.section, k.key);
    if (!back || *back != *expected.Get(k.section, k.key)) std::abort();
  }
  if (actual.Keys().size() != keys.size()) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  IniDocument doc = IniDocument::Parse(bytes);
  if (doc.Serialize() != bytes) std::abort();

  const Change& change = kChanges[size % (sizeof kChanges / sizeof kChanges[0])];
  const std::string before = doc.Serialize();
  if (doc.Set(change.section, change.key, change.value)) {
    auto back = doc.Get(change.section, change.key);
    if (!back || *back != change.value) std::abort();
    const std::string written = doc.Serialize();
    IniDocument reread = IniDocument::Parse(written);
    if (reread.Serialize() != written) std::abort();
    back = reread.Get(change.section, change.key);
    if (!back || *back != change.value) std::abort();
    ExpectSameKeys(doc, reread);
    // Setting the same value again changes no byte.
    if (!reread.Set(change.section, change.key, change.value) || reread.Serialize() != written) std::abort();
  } else if (doc.Serialize() != before) {
    std::abort();  // a refused write must leave the document as it was
  }
  doc.EraseSection(change.section);
  if (doc.Get(change.section, change.key)) std::abort();
  ExpectSameKeys(doc, IniDocument::Parse(doc.Serialize()));
  return 0;
}
