#include "links/FileOps.h"

#include <atomic>

namespace teshmar {

bool ReplaceFileContents(IFileOps& ops, const std::string& path, const std::string& bytes) {
  static std::atomic<unsigned> serial{0};
  // Same directory as the target, so the replacing step never crosses volumes.
  const std::string temp = path + ".tmp" + std::to_string(++serial);
  if (!ops.WriteNew(temp, bytes)) {
    ops.Remove(temp);
    return false;
  }
  if (!ops.Replace(temp, path)) {
    ops.Remove(temp);
    return false;
  }
  return true;
}

}  // namespace teshmar
