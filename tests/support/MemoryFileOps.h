#pragma once
#include <map>
#include <set>
#include <string>

#include "links/FileOps.h"

namespace teshmar::testing {

// Files in memory, with refusals that a test switches on at each step of a write.
class MemoryFileOps : public IFileOps {
 public:
  FileRead Read(const std::string& path) override {
    ++reads;
    if (unreadable.count(path)) return {FileRead::Status::Unreadable, {}};
    auto it = files.find(path);
    if (it == files.end()) return {FileRead::Status::Missing, {}};
    return {FileRead::Status::Ok, it->second};
  }
  bool WriteNew(const std::string& path, const std::string& bytes) override {
    if (refuseWriteNew) {
      files[path] = bytes.substr(0, bytes.size() / 2);  // a disk that fills up half way
      return false;
    }
    files[path] = bytes;
    return true;
  }
  bool Replace(const std::string& from, const std::string& to) override {
    if (refuseReplace || readOnly.count(to)) return false;
    files[to] = files[from];
    files.erase(from);
    return true;
  }
  void Remove(const std::string& path) override { files.erase(path); }

  std::map<std::string, std::string> files;
  std::set<std::string> unreadable;
  std::set<std::string> readOnly;
  bool refuseWriteNew = false;
  bool refuseReplace = false;
  int reads = 0;
};

}  // namespace teshmar::testing
