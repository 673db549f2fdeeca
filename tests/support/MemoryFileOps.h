#pragma once
#include <map>
#include <set>
#include <string>
#include <vector>

#include "links/files/FileOps.h"

namespace teshmar::testing {

// Files in memory, with refusals that a test switches on at each step of a write.
class MemoryFileOps : public IFileOps {
 public:
  FileRead Read(const std::string& path) override {
    ++reads;
    ++readsOf[path];
    if (unreadable.count(path)) return {FileRead::Status::Unreadable, {}};
    auto it = files.find(path);
    if (it == files.end()) return {FileRead::Status::Missing, {}};
    return {FileRead::Status::Ok, it->second};
  }
  NewFileResult WriteNew(const std::string& path, const std::string& bytes) override {
    created.push_back(path);
    if (refuseCreate) return NewFileResult::NotCreated;
    if (refuseWriteNew) {
      files[path] = bytes.substr(0, bytes.size() / 2);  // a disk that fills up half way
      return NewFileResult::Failed;
    }
    files[path] = bytes;
    return NewFileResult::Written;
  }
  ReplaceResult Replace(const std::string& from, const std::string& to) override {
    ++replaces;
    if (refuseReplace || readOnly.count(to)) return ReplaceResult::Refused;
    if (busyReplaces > 0) {
      --busyReplaces;
      return ReplaceResult::Busy;
    }
    files[to] = files[from];
    files.erase(from);
    return ReplaceResult::Replaced;
  }
  bool WriteInPlace(const std::string& path, const std::string& bytes) override {
    if (!files.count(path) || readOnly.count(path) || unreadable.count(path)) return false;
    ++inPlaceWrites;
    files[path] = bytes;
    return true;
  }
  void Remove(const std::string& path) override { files.erase(path); }
  std::vector<DirectoryFile> ListFiles(const std::string& directory) override {
    std::vector<DirectoryFile> listed;
    for (const auto& [path, bytes] : files) {
      size_t slash = path.find_last_of("\\/");
      if (slash == std::string::npos || path.substr(0, slash) != directory) continue;
      auto age = ageSeconds.find(path);
      listed.push_back({path.substr(slash + 1), age == ageSeconds.end() ? 0 : age->second});
    }
    return listed;
  }
  unsigned long CurrentProcessId() override { return processId; }
  bool ProcessRunning(unsigned long id) override { return id == processId || running.count(id) > 0; }
  void Pause(int milliseconds) override { pauses.push_back(milliseconds); }

  // The files a write left beside `path` (its temporaries).
  std::vector<std::string> Others(const std::string& path) const {
    std::vector<std::string> others;
    for (const auto& entry : files) {
      if (entry.first != path) others.push_back(entry.first);
    }
    return others;
  }

  std::map<std::string, std::string> files;
  std::map<std::string, long long> ageSeconds;  // files not named here are brand new
  std::set<std::string> unreadable;
  std::set<std::string> readOnly;
  std::set<unsigned long> running;  // besides this process
  unsigned long processId = 4242;
  bool refuseCreate = false;    // the folder takes no new file
  bool refuseWriteNew = false;  // the new file fails half way
  bool refuseReplace = false;
  int busyReplaces = 0;  // replacing steps answered "busy" before one goes through
  std::vector<int> pauses;
  int reads = 0;
  std::map<std::string, int> readsOf;  // reads of each path
  std::vector<std::string> created;  // every new file a write asked for
  int replaces = 0;
  int inPlaceWrites = 0;
};

}  // namespace teshmar::testing
