#include <windows.h>

#include <gtest/gtest.h>

#include "links/SettingsFile.h"
#include "win/Wide.h"

namespace teshmar {
namespace {

// Real files in a fresh directory under the prefix's temporary folder, with a Chinese name.
class SettingsOnDisk : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    dir_ = std::wstring(temp) + L"teshmar-\u8bbe\u7f6e-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(dir_.c_str(), nullptr);
    path_ = win::Narrow(dir_) + "\\Quorvan.ini";
  }
  void TearDown() override {
    SetFileAttributesW(win::Widen(path_).c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(win::Widen(path_).c_str());
    RemoveDirectoryW(dir_.c_str());
  }
  void Put(const std::string& bytes) {
    HANDLE f = CreateFileW(win::Widen(path_).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD wrote = 0;
    WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &wrote, nullptr);
    CloseHandle(f);
  }
  std::string Get() { return PlatformFileOps().Read(path_).bytes; }
  int FilesInDir() {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((dir_ + L"\\*").c_str(), &data);
    int count = 0;
    do {
      if (data.cFileName[0] != L'.') ++count;
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return count;
  }

  std::wstring dir_;
  std::string path_;
};

TEST_F(SettingsOnDisk, WritesReplaceTheWholeFileAndLeaveNoTemporary) {
  Put("; mine\r\n[Item1]\r\nDatabase=Store01\r\n");
  SettingsFile settings(PlatformFileOps(), path_);
  settings.WriteEntryLink(2, LinkSettings{"10.0.0.2", "1433", "Store02", "sa", "", 1});
  EXPECT_EQ(Get(),
            "; mine\r\n[Item1]\r\nDatabase=Store01\r\n[Item2]\r\nServername=10.0.0.2\r\nPort=1433\r\n"
            "Database=Store02\r\nLogid=sa\r\nLogpass=\r\nConnType=1\r\n");
  EXPECT_EQ(FilesInDir(), 1);
}

TEST_F(SettingsOnDisk, AReadOnlyFileIsRefusedAndKept) {
  const std::string before = "[Item1]\r\nDatabase=Store01\r\n";
  Put(before);
  SetFileAttributesW(win::Widen(path_).c_str(), FILE_ATTRIBUTE_READONLY);
  SettingsFile settings(PlatformFileOps(), path_);
  try {
    settings.WriteProgramValue("version", "140120");
    FAIL() << "the write was not refused";
  } catch (const SettingsWriteError& e) {
    EXPECT_EQ(std::string(e.what()), "Unable to write to " + path_);
  }
  EXPECT_EQ(Get(), before);
  EXPECT_EQ(FilesInDir(), 1);
}

TEST_F(SettingsOnDisk, ALockedFileIsRefusedAndKept) {
  const std::string before = "[Item1]\r\nDatabase=Store01\r\n";
  Put(before);
  // Another program holds the file open without sharing it.
  HANDLE lock = CreateFileW(win::Widen(path_).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  SettingsFile settings(PlatformFileOps(), path_);
  EXPECT_THROW(settings.WriteProgramValue("version", "140120"), SettingsWriteError);
  CloseHandle(lock);
  EXPECT_EQ(Get(), before);
  EXPECT_EQ(FilesInDir(), 1);
}

TEST_F(SettingsOnDisk, AMissingFileReadsAsDefaultsAndTheFirstWriteCreatesIt) {
  SettingsFile settings(PlatformFileOps(), path_);
  EXPECT_EQ(settings.ReadEntryLink(1), LinkSettings{});
  settings.WriteProgramValue("version", "140120");
  EXPECT_EQ(Get(), "[Quorvan]\r\nversion=140120\r\n");
}

}  // namespace
}  // namespace teshmar
