#include "links/files/EntriesFile.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "common/Cp936.h"
#include "links/files/SettingsFile.h"
#include "support/FakeEntryLinks.h"
#include "support/MemoryFileOps.h"

namespace teshmar {
namespace {

using testing::FakeEntryLinks;
using testing::MemoryFileOps;

const std::string kPath = "C:\\Teshmar\\Entries.ini";
const std::string kSettingsPath = "C:\\Teshmar\\Quorvan.ini";

// 东城店 / 广东省,东莞市,,东城路 / 南城店 / 广东省,东莞市,,南城路
const std::string kName1 = "\xe4\xb8\x9c\xe5\x9f\x8e\xe5\xba\x97";
const std::string kAddr1 = "\xe5\xb9\xbf\xe4\xb8\x9c\xe7\x9c\x81,\xe4\xb8\x9c\xe8\x8e\x9e\xe5\xb8\x82,,\xe4\xb8\x9c\xe5\x9f\x8e\xe8\xb7\xaf";
const std::string kName2 = "\xe5\x8d\x97\xe5\x9f\x8e\xe5\xba\x97";
const std::string kAddr2 = "\xe5\xb9\xbf\xe4\xb8\x9c\xe7\x9c\x81,\xe4\xb8\x9c\xe8\x8e\x9e\xe5\xb8\x82,,\xe5\x8d\x97\xe5\x9f\x8e\xe8\xb7\xaf";

std::string Cp936(const std::string& utf8) { return *Utf8ToCp936(utf8); }

std::string TwoEntries() {
  return "[Entries]\r\nCount=2\r\n[Entry1]\r\nName=" + kName1 + "\r\nAddr=" + kAddr1 + "\r\nKind=1\r\n[Entry2]\r\nName=" +
         kName2 + "\r\nAddr=" + kAddr2 + "\r\nKind=2\r\n";
}

class EntriesFileTest : public ::testing::Test {
 protected:
  void Given(const std::string& bytes) { ops.files[kPath] = bytes; }
  const std::string& File() { return ops.files.at(kPath); }
  MemoryFileOps ops;
  FakeEntryLinks links;
  EntriesFile list{ops, kPath, links};
};

TEST_F(EntriesFileTest, NoFileIsAnEmptyListAndErasesNothing) {
  links.links[1].database = "Store01";
  EntryListRead read = list.ReadEntries();
  EXPECT_EQ(read.status, EntryListRead::Status::Missing);
  EXPECT_TRUE(read.entries.empty());
  EXPECT_EQ(read.error, "");
  EXPECT_TRUE(links.erasedAbove.empty());
  EXPECT_EQ(links.links.size(), 1u);
  EXPECT_TRUE(ops.files.empty());
}

TEST_F(EntriesFileTest, CompleteListsReadInOrderWithTheirNumbers) {
  const std::vector<Entry> two = {{"1", kName1, kAddr1, "1"}, {"2", kName2, kAddr2, "2"}};
  struct Case {
    const char* name;
    std::string bytes;
    std::vector<Entry> entries;
  } cases[] = {
      {"code page 936 names", Cp936(TwoEntries()), two},
      {"UTF-8 with a byte-order mark", "\xEF\xBB\xBF" + TwoEntries(), two},
      {"UTF-16", "\xFF\xFE" + Utf8ToUtf16Le(TwoEntries()), two},
      {"Count 0", "[Entries]\r\nCount=0\r\n[Entry1]\r\nName=ignored\r\n", {}},
      {"missing keys read as empty text", "[Entries]\nCount=1\n[Entry1]\n", {{"1", "", "", ""}}},
      {"sections past Count are not part of the list", "[Entries]\nCount=1\n[Entry1]\nName=a\n[Entry2]\nName=b\n",
       {{"1", "a", "", ""}}},
      {"private-profile lookup rules",
       "; by hand\r\n[ entries ]\r\n COUNT = 007 \r\n[entry1]\r\nname=  one  \r\nName=second\r\n"
       "[ENTRY2]\r\nAddr=\"  quoted  \"\r\n[Entry3]\r\n[Entry4]\r\n[Entry5]\r\n[Entry6]\r\n[Entry7]\r\nKind=2x\r\n"
       "[Entry1]\r\nName=a later section of that name is never read\r\n",
       {{"1", "one", "", ""},
        {"2", "", "  quoted  ", ""},
        {"3", "", "", ""},
        {"4", "", "", ""},
        {"5", "", "", ""},
        {"6", "", "", ""},
        {"7", "", "", "2x"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Given(c.bytes);
    links.erasedAbove.clear();
    EntryListRead read = list.ReadEntries();
    EXPECT_EQ(read.status, EntryListRead::Status::Ok) << read.error;
    EXPECT_EQ(read.entries, c.entries);
    EXPECT_EQ(read.error, "");
    EXPECT_EQ(links.erasedAbove, std::vector<int>{static_cast<int>(c.entries.size())});
    EXPECT_EQ(File(), c.bytes) << "reading changed the list";
  }
}

TEST_F(EntriesFileTest, AListThatCannotBeReadSaysWhatIsWrongAndErasesNothing) {
  const std::string prefix = "注册项列表文件 " + kPath + " 无法读取：";
  auto entries = [](const std::string& count) {
    return "[Entries]\r\n" + count + "[Entry1]\r\nName=a\r\n[Entry2]\r\nName=b\r\n";
  };
  struct Case {
    const char* name;
    std::string bytes;
    std::string what;
  } cases[] = {
      {"a section missing", "[Entries]\r\nCount=3\r\n[Entry1]\r\n[Entry2]\r\n[Entry4]\r\n", "缺少[Entry3]"},
      {"the first section missing", "[Entries]\r\nCount=1\r\n[Entry01]\r\n", "缺少[Entry1]"},
      {"Count is text", entries("Count=abc\r\n"), "Count的值“abc”不是0到9999的整数"},
      {"Count is negative", entries("Count=-1\r\n"), "Count的值“-1”不是0到9999的整数"},
      {"Count is too large", entries("Count=10000\r\n"), "Count的值“10000”不是0到9999的整数"},
      {"Count is empty", entries("Count=\r\n"), "Count的值“”不是0到9999的整数"},
      {"Count is not whole", entries("Count=1.5\r\n"), "Count的值“1.5”不是0到9999的整数"},
      {"Count is missing", entries(""), "[Entries]中缺少Count"},
      {"Count in another section", "[Entry1]\r\nCount=1\r\n[Entries]\r\n", "[Entries]中缺少Count"},
      {"no list section", "[Entry1]\r\nName=a\r\n", "缺少[Entries]"},
      {"an empty file", "", "缺少[Entries]"},
      {"bytes that are not code page 936", "[Entries]\r\nCount=1\r\n[Entry1]\r\nName=\xff\xff\r\n", "第4行不是有效的文本"},
      {"UTF-8 without a mark whose bytes are not code page 936",
       "[Entries]\r\nCount=1\r\n[Entry1]\r\nName=\xe4\xb8\x9c\r\n", "第4行不是有效的文本"},
      {"a stray byte after UTF-16", "\xFF\xFE" + Utf8ToUtf16Le("[Entries]\r\nCount=0\r\n") + "x", "第3行不是有效的文本"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Given(c.bytes);
    EntryListRead read = list.ReadEntries();
    EXPECT_EQ(read.status, EntryListRead::Status::Unreadable);
    EXPECT_TRUE(read.entries.empty());
    EXPECT_EQ(read.error, prefix + c.what);
  }
  ops.unreadable.insert(kPath);
  EntryListRead read = list.ReadEntries();
  EXPECT_EQ(read.status, EntryListRead::Status::Unreadable);
  EXPECT_EQ(read.error, prefix + "文件无法打开");
  EXPECT_TRUE(links.erasedAbove.empty());
}

// With the real settings file: the links above the list go after a complete read only.
class EntriesWithSettingsTest : public ::testing::Test {
 protected:
  const std::string settingsBefore =
      "[Item1]\r\nDatabase=Store01\r\n[Item2]\r\nDatabase=Store02\r\n[Quorvan]\r\nversion=140120\r\n"
      "[Item3]\r\nDatabase=Store03\r\n[Item12]\r\nDatabase=Store12\r\n";
  MemoryFileOps ops;
  SettingsFile settings{ops, kSettingsPath};
  EntriesFile list{ops, kPath, settings};
};

TEST_F(EntriesWithSettingsTest, LinksAboveTheCountAreErasedAfterACompleteReadOnly) {
  struct Case {
    const char* name;
    std::string list;  // empty: no list file
    bool erased;
  } cases[] = {
      {"complete list of two", Cp936(TwoEntries()), true},
      {"no list file", "", false},
      {"a section missing", "[Entries]\r\nCount=3\r\n[Entry1]\r\n", false},
      {"bad Count", "[Entries]\r\nCount=x\r\n", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ops.files.clear();
    ops.created.clear();
    ops.files[kSettingsPath] = settingsBefore;
    if (!c.list.empty()) ops.files[kPath] = c.list;
    list.ReadEntries();
    if (c.erased) {
      EXPECT_EQ(ops.files.at(kSettingsPath),
                "[Item1]\r\nDatabase=Store01\r\n[Item2]\r\nDatabase=Store02\r\n[Quorvan]\r\nversion=140120\r\n");
      // The copy of what it erases beside the file first, then one whole-file write.
      EXPECT_EQ(ops.created.size(), 2u);
      const std::string& removed = ops.files.at(settings.RemovedPath());
      EXPECT_EQ(removed.substr(removed.find("\r\n") + 2), "[Item3]\r\nDatabase=Store03\r\n[Item12]\r\nDatabase=Store12\r\n");
      list.ReadEntries();
      EXPECT_EQ(ops.created.size(), 2u) << "nothing left to erase, yet a file was written";
    } else {
      EXPECT_EQ(ops.files.at(kSettingsPath), settingsBefore);
      EXPECT_TRUE(ops.created.empty());
    }
  }
}

// Saved by an old Mac editor, with a CR alone at every line's end: read as the profile functions read it.
TEST_F(EntriesWithSettingsTest, LinesEndedByACarriageReturnAloneAreRead) {
  std::string cr = Cp936(TwoEntries());
  for (size_t at = cr.find("\r\n"); at != std::string::npos; at = cr.find("\r\n", at)) cr.erase(at + 1, 1);
  ASSERT_EQ(cr.find('\n'), std::string::npos);
  ops.files[kPath] = cr;
  EntryListRead read = list.ReadEntries();
  ASSERT_EQ(read.status, EntryListRead::Status::Ok) << read.error;
  ASSERT_EQ(read.entries.size(), 2u);
  EXPECT_EQ(read.entries[1].name, kName2);
  // A customer stored keeps the file's own line ends.
  ASSERT_TRUE(list.StoreCustomer(2, "新名", kAddr2));
  EXPECT_EQ(ops.files.at(kPath).find('\n'), std::string::npos);
  EXPECT_EQ(list.ReadEntries().entries[1].name, "新名");
}

TEST_F(EntriesWithSettingsTest, ARefusedEraseDoesNotFailTheRead) {
  ops.files[kSettingsPath] = settingsBefore;
  ops.readOnly.insert(kSettingsPath);
  ops.files[kPath] = Cp936(TwoEntries());
  EntryListRead read = list.ReadEntries();
  EXPECT_EQ(read.status, EntryListRead::Status::Ok);
  EXPECT_EQ(read.entries.size(), 2u);
  EXPECT_EQ(ops.files.at(kSettingsPath), settingsBefore);
}

TEST_F(EntriesFileTest, StoringACustomerChangesItsNameAndAddressAlone) {
  const std::string name = "\xe6\x96\xb0\xe5\xba\x97";  // 新店
  const std::string addr = "\xe5\x8c\x97\xe4\xba\xac\xe5\xb8\x82,\xe5\xb8\x82\xe8\xbe\x96\xe5\x8c\xba,,\xe9\x95\xbf\xe5\xae\x89\xe8\xa1\x97";
  struct Case {
    const char* name;
    std::string before;
    std::string after;
  } cases[] = {
      {"code page 936, keys replaced where they are",
       Cp936("; list\r\n[Entries]\r\nCount=2\r\n[Entry1]\r\nKind=1\r\nName=" + kName1 + "\r\nNote=mine\r\nAddr=" + kAddr1 +
             "\r\n\r\n[Entry2]\r\nName=" + kName2 + "\r\n"),
       Cp936("; list\r\n[Entries]\r\nCount=2\r\n[Entry1]\r\nKind=1\r\nName=" + name + "\r\nNote=mine\r\nAddr=" + addr +
             "\r\n\r\n[Entry2]\r\nName=" + kName2 + "\r\n")},
      {"missing keys added to the section",
       "[Entries]\nCount=1\n[Entry1]\nKind=1\n\n[Other]\n",
       Cp936("[Entries]\nCount=1\n[Entry1]\nKind=1\nName=" + name + "\nAddr=" + addr + "\n\n[Other]\n")},
      {"UTF-8 with a byte-order mark", "\xEF\xBB\xBF[Entries]\r\nCount=1\r\n[entry1]\r\nName=x\r\nAddr=y\r\n",
       "\xEF\xBB\xBF[Entries]\r\nCount=1\r\n[entry1]\r\nName=" + name + "\r\nAddr=" + addr + "\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Given(c.before);
    EXPECT_TRUE(list.StoreCustomer(1, name, addr));
    EXPECT_EQ(File(), c.after);
    EXPECT_TRUE(ops.Others(kPath).empty());
    EntryListRead read = list.ReadEntries();
    ASSERT_EQ(read.status, EntryListRead::Status::Ok);
    EXPECT_EQ(read.entries[0].name, name);
    EXPECT_EQ(read.entries[0].addr, addr);
  }
  ops.created.clear();
  EXPECT_TRUE(list.StoreCustomer(1, name, addr));
  EXPECT_TRUE(ops.created.empty()) << "the same name and address were written again";
}

TEST_F(EntriesFileTest, AStoreThatCannotBeDoneReportsFailureAndKeepsEveryByte) {
  const std::string before = Cp936(TwoEntries());
  struct Case {
    const char* name;
    int entryNo;
    std::string customer;
    std::string addr;
    void (*arrange)(MemoryFileOps&);
  } cases[] = {
      {"a line break in the name", 1, "a\r\nb", kAddr1, [](MemoryFileOps&) {}},
      {"a line break in the address", 1, kName1, "x\n[Entry2]", [](MemoryFileOps&) {}},
      {"a character code page 936 cannot hold", 1, "\xf0\x9f\x98\x80", kAddr1, [](MemoryFileOps&) {}},
      {"a NUL character", 1, std::string("a\0b", 3), kAddr1, [](MemoryFileOps&) {}},
      {"no such entry", 3, kName1, kAddr1, [](MemoryFileOps&) {}},
      {"entry number 0", 0, kName1, kAddr1, [](MemoryFileOps&) {}},
      {"a read-only file", 1, "x", "y", [](MemoryFileOps& o) { o.readOnly.insert(kPath); }},
      {"a refused replace", 1, "x", "y", [](MemoryFileOps& o) { o.refuseReplace = true; }},
      {"a full disk", 1, "x", "y", [](MemoryFileOps& o) { o.refuseWriteNew = true; }},
      {"a file that cannot be read", 1, "x", "y", [](MemoryFileOps& o) { o.unreadable.insert(kPath); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryFileOps files;
    files.files[kPath] = before;
    c.arrange(files);
    FakeEntryLinks noLinks;
    EntriesFile file(files, kPath, noLinks);
    EXPECT_FALSE(file.StoreCustomer(c.entryNo, c.customer, c.addr));
    EXPECT_EQ(files.files.at(kPath), before);
    EXPECT_TRUE(files.Others(kPath).empty());
  }
  MemoryFileOps none;
  FakeEntryLinks noLinks;
  EntriesFile absent(none, kPath, noLinks);
  EXPECT_FALSE(absent.StoreCustomer(1, "x", "y"));
  EXPECT_TRUE(none.files.empty()) << "a store must not make up a list";
}

TEST(EntriesFilePlace, TheListLivesBesideTheProgram) {
  EXPECT_EQ(EntriesFile::PathBesideProgram("C:\\Program Files\\Teshmar\\Teshmar.exe"),
            "C:\\Program Files\\Teshmar\\Entries.ini");
  EXPECT_EQ(EntriesFile::PathBesideProgram("/opt/teshmar/Teshmar.exe"), "/opt/teshmar/Entries.ini");
}

TEST(EntriesSample, TheSampleListReadsAsFourCustomersInCodePage936) {
  FakeEntryLinks links;
  EntriesFile sample(PlatformFileOps(), TESHMAR_SAMPLES_DIR "/Entries.ini", links);
  EntryListRead read = sample.ReadEntries();
  ASSERT_EQ(read.status, EntryListRead::Status::Ok) << read.error;
  ASSERT_EQ(read.entries.size(), 4u);
  FileRead bytes = PlatformFileOps().Read(TESHMAR_SAMPLES_DIR "/Entries.ini");
  EXPECT_EQ(bytes.bytes.rfind("\xEF\xBB\xBF", 0), std::string::npos) << "the sample must be code page 936";
  for (const Entry& e : read.entries) {
    EXPECT_FALSE(e.name.empty());
    EXPECT_EQ(std::count(e.addr.begin(), e.addr.end(), ','), 3) << e.addr;
    EXPECT_EQ(e.kind, "1");
  }
}

}  // namespace
}  // namespace teshmar
