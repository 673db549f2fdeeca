// libFuzzer over the settings file's parser and writer: any bytes parse, an untouched file is
// written back byte for byte, and a key that was set reads back while the rest keeps its bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "links/IniDocument.h"

using teshmar::IniDocument;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  IniDocument doc = IniDocument::Parse(bytes);
  if (doc.Serialize() != bytes) std::abort();

  const std::string before = doc.Serialize();
  doc.Get("Item1", "Database");
  if (doc.Set("Item1", "Database", "Store01")) {
    auto back = doc.Get("Item1", "Database");
    if (!back || *back != "Store01") std::abort();
    // Everything else survives: re-parsing what was written gives the same document.
    if (IniDocument::Parse(doc.Serialize()).Serialize() != doc.Serialize()) std::abort();
  } else if (doc.Serialize() != before) {
    std::abort();  // a refused write must leave the document as it was
  }
  doc.EraseSection("Item1");
  if (doc.Get("Item1", "Database")) std::abort();
  return 0;
}
