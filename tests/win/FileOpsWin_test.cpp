#include <windows.h>

#include <gtest/gtest.h>

#include "links/files/EntriesFile.h"
#include "links/files/SettingsFile.h"
#include "support/FakeEntryLinks.h"
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
    RemoveAllBeside();
    RemoveDirectoryW(dir_.c_str());
  }
  void Put(const std::string& bytes) {
    HANDLE f = CreateFileW(win::Widen(path_).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD wrote = 0;
    WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &wrote, nullptr);
    CloseHandle(f);
  }
  std::string Get() { return PlatformFileOps().Read(path_).bytes; }
  std::string Beside(const std::string& name) { return win::Narrow(dir_) + "\\" + name; }
  void PutAt(const std::string& path, const std::string& bytes) {
    HANDLE f = CreateFileW(win::Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD wrote = 0;
    WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &wrote, nullptr);
    CloseHandle(f);
  }
  // Sets a file's last change that many seconds into the past.
  void Age(const std::string& path, long long seconds) {
    HANDLE f = CreateFileW(win::Widen(path).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER t{{now.dwLowDateTime, now.dwHighDateTime}};
    t.QuadPart -= static_cast<unsigned long long>(seconds) * 10000000ull;
    FILETIME then{t.LowPart, t.HighPart};
    SetFileTime(f, nullptr, nullptr, &then);
    CloseHandle(f);
  }
  long long AgeOf(const std::string& name) {
    for (const auto& file : PlatformFileOps().ListFiles(win::Narrow(dir_))) {
      if (file.name == name) return file.ageSeconds;
    }
    return -1;
  }
  void RemoveAllBeside() {
    for (const auto& file : PlatformFileOps().ListFiles(win::Narrow(dir_))) DeleteFileW(win::Widen(Beside(file.name)).c_str());
  }
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

TEST_F(SettingsOnDisk, TheReplacingStepTellsABusyFileFromARefusedOne) {
  Put("[Item1]\r\n");
  const std::string temp = TemporaryPath(path_, GetCurrentProcessId(), 1);
  ASSERT_EQ(PlatformFileOps().WriteNew(temp, "new"), NewFileResult::Written);
  HANDLE lock = CreateFileW(win::Widen(path_).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  EXPECT_EQ(PlatformFileOps().Replace(temp, path_), ReplaceResult::Busy);
  CloseHandle(lock);
  SetFileAttributesW(win::Widen(path_).c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(PlatformFileOps().Replace(temp, path_), ReplaceResult::Refused);
  SetFileAttributesW(win::Widen(path_).c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(PlatformFileOps().Replace(temp, path_), ReplaceResult::Replaced);
  EXPECT_EQ(Get(), "new");
  EXPECT_EQ(FilesInDir(), 1);
}

TEST_F(SettingsOnDisk, AValueAlreadyStoredLeavesTheFileUntouched) {
  Put("[Quorvan]\r\nversion=140120\r\n");
  Age(path_, 3600);
  SettingsFile settings(PlatformFileOps(), path_);
  settings.WriteProgramValue("version", "140120");
  EXPECT_GE(AgeOf("Quorvan.ini"), 3500) << "the file was written again";
  settings.WriteProgramValue("version", "140121");
  EXPECT_LT(AgeOf("Quorvan.ini"), 600);
}

TEST_F(SettingsOnDisk, AFileIsRewrittenInPlaceWithoutEverBeingCreated) {
  Put("[Item1]\r\nDatabase=Store01\r\n");
  const std::string longer = "[Item1]\r\nDatabase=Store01\r\n[Quorvan]\r\nversion=140120\r\n";
  EXPECT_TRUE(PlatformFileOps().WriteInPlace(path_, longer));
  EXPECT_EQ(Get(), longer);
  EXPECT_TRUE(PlatformFileOps().WriteInPlace(path_, "[Item1]\r\n"));
  EXPECT_EQ(Get(), "[Item1]\r\n");
  EXPECT_FALSE(PlatformFileOps().WriteInPlace(Beside("absent.ini"), "x"));
  EXPECT_EQ(FilesInDir(), 1);
}

TEST_F(SettingsOnDisk, ProcessesAreToldRunningOrEnded) {
  EXPECT_TRUE(PlatformFileOps().ProcessRunning(GetCurrentProcessId()));
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  std::wstring command = L"cmd.exe /c exit 0";
  ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                             &process));
  WaitForSingleObject(process.hProcess, 60000);
  EXPECT_FALSE(PlatformFileOps().ProcessRunning(process.dwProcessId)) << "ended, its handle still open";
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  EXPECT_FALSE(PlatformFileOps().ProcessRunning(process.dwProcessId)) << "ended and gone";
}

TEST_F(SettingsOnDisk, StaleTemporariesGoAndAWriteOfARunningConsoleStays) {
  Put("[Item1]\r\n");
  const std::string own = "Quorvan.ini." + std::to_string(GetCurrentProcessId()) + "-1.tmp";
  const std::string ended = "Quorvan.ini.4294967292-1.tmp";  // no process has this id
  const std::string fresh = "Quorvan.ini.4294967292-2.tmp";
  for (const std::string& name : {own, ended, fresh}) PutAt(Beside(name), "partial");
  Age(Beside(own), 600);
  Age(Beside(ended), 600);
  EXPECT_GE(AgeOf(ended), 590);
  RemoveStaleTemporaries(PlatformFileOps(), path_);
  EXPECT_EQ(AgeOf(ended), -1) << "a crashed write's temporary stays";
  EXPECT_GE(AgeOf(own), 0);
  EXPECT_GE(AgeOf(fresh), 0);
  EXPECT_EQ(Get(), "[Item1]\r\n");
  EXPECT_EQ(FilesInDir(), 3);
}

// The list of entries through the Windows code page conversions, in a folder with a Chinese name.
TEST_F(SettingsOnDisk, TheEntryListReadsAndStoresCodePage936) {
  const std::string listPath = Beside("Entries.ini");
  const std::string before = "[Entries]\r\nCount=1\r\n[Entry1]\r\nName=\xb6\xab\xb3\xc7\xb5\xea\r\nAddr=a\r\nKind=1\r\n";
  PutAt(listPath, before);
  Put("[Item1]\r\nDatabase=Store01\r\n[Item2]\r\nDatabase=Store02\r\n");
  SettingsFile settings(PlatformFileOps(), path_);
  EntriesFile list(PlatformFileOps(), listPath, settings);
  EntryListRead read = list.ReadEntries();
  ASSERT_EQ(read.status, EntryListRead::Status::Ok) << read.error;
  ASSERT_EQ(read.entries.size(), 1u);
  EXPECT_EQ(read.entries[0].name, "\xe4\xb8\x9c\xe5\x9f\x8e\xe5\xba\x97");  // 东城店
  EXPECT_EQ(Get(), "[Item1]\r\nDatabase=Store01\r\n") << "the link above the list stays";

  EXPECT_TRUE(list.StoreCustomer(1, "\xe6\x96\xb0\xe5\xba\x97", "b"));  // 新店
  EXPECT_EQ(PlatformFileOps().Read(listPath).bytes,
            "[Entries]\r\nCount=1\r\n[Entry1]\r\nName=\xd0\xc2\xb5\xea\r\nAddr=b\r\nKind=1\r\n");
  const std::string stored = PlatformFileOps().Read(listPath).bytes;
  EXPECT_FALSE(list.StoreCustomer(1, "\xf0\x9f\x98\x80", "b")) << "code page 936 has no emoji";
  EXPECT_EQ(PlatformFileOps().Read(listPath).bytes, stored);
  // The erased link is kept beside the settings file, and nothing else is left there.
  const std::string removed = PlatformFileOps().Read(settings.RemovedPath()).bytes;
  EXPECT_EQ(removed.substr(removed.find("\r\n") + 2), "[Item2]\r\nDatabase=Store02\r\n");
  EXPECT_EQ(FilesInDir(), 3);
}

TEST_F(SettingsOnDisk, AMissingFileReadsAsDefaultsAndTheFirstWriteCreatesIt) {
  SettingsFile settings(PlatformFileOps(), path_);
  EXPECT_EQ(settings.ReadEntryLink(1), LinkSettings{});
  settings.WriteProgramValue("version", "140120");
  EXPECT_EQ(Get(), "[Quorvan]\r\nversion=140120\r\n");
}

}  // namespace
}  // namespace teshmar
