#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "links/history/LinkHistory.h"
#include "win/Wide.h"

namespace teshmar {
namespace {

class HistoryOnDisk : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    dir_ = win::Narrow(temp) + "link_history_" + std::to_string(GetCurrentProcessId());
    CreateDirectoryW(win::Widen(dir_).c_str(), nullptr);
    path_ = PlatformHistoryFile::PathBesideProgram(dir_ + "\\Teshmar.exe");
  }
  void TearDown() override {
    SetFileAttributesW(win::Widen(path_).c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(win::Widen(path_).c_str());
    DeleteFileW(win::Widen(dir_ + "\\LinkHistory.1.csv").c_str());
    RemoveDirectoryW(win::Widen(dir_).c_str());
  }
  std::string Contents() {
    std::string bytes;
    HANDLE file = CreateFileW(win::Widen(path_).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) bytes.append(buffer, read);
    CloseHandle(file);
    return bytes;
  }
  std::string dir_, path_;
};

TEST_F(HistoryOnDisk, WritesRotatesAndPassesOverALockedOrReadOnlyFile) {
  PlatformHistoryFile file(path_);
  PlatformHistoryClock clock;
  LinkHistory history(file, clock);
  history.NoteStart();
  history.NoteState(2, "南城店", false, "注册项[2]连接数据库出错!");
  auto records = ReadHistoryRecords(Contents());
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[1][2], "南城店");
  EXPECT_EQ(records[0][0].size(), std::string("2026-03-01T03:20:05+08:00").size());

  // Held by another program without sharing: nothing is written, nothing is raised.
  HANDLE lock = CreateFileW(win::Widen(path_).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                            nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  EXPECT_NO_THROW(history.NoteState(2, "南城店", true, ""));
  CloseHandle(lock);
  EXPECT_EQ(ReadHistoryRecords(Contents()).size(), 2u);
  // Released again: the change is noted at the next check.
  history.NoteState(2, "南城店", true, "");
  EXPECT_EQ(ReadHistoryRecords(Contents()).size(), 3u);

  // Read-only: passed over as well. (Wine run by root still opens such a file for writing; the
  // case is then the one above.)
  SetFileAttributesW(win::Widen(path_).c_str(), FILE_ATTRIBUTE_READONLY);
  HANDLE probe = CreateFileW(win::Widen(path_).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                             nullptr);
  const bool readOnlyHolds = probe == INVALID_HANDLE_VALUE;
  if (!readOnlyHolds) CloseHandle(probe);
  EXPECT_NO_THROW(history.NoteState(2, "南城店", false, "x"));
  if (readOnlyHolds) EXPECT_EQ(ReadHistoryRecords(Contents()).size(), 3u);
  SetFileAttributesW(win::Widen(path_).c_str(), FILE_ATTRIBUTE_NORMAL);
  const size_t lines = ReadHistoryRecords(Contents()).size();

  // The older history is replaced by a rotation.
  ASSERT_TRUE(file.Rotate());
  history.NoteEnd();
  EXPECT_EQ(ReadHistoryRecords(Contents()).size(), 1u);
  EXPECT_GE(lines, 3u);
  EXPECT_EQ(Contents().rfind("\xEF\xBB\xBF", 0), 0u);
}

}  // namespace
}  // namespace teshmar
