#include "links/files/SettingsFile.h"

#include <gtest/gtest.h>

#include <functional>

#include "common/Cp936.h"
#include "support/MemoryFileOps.h"

namespace teshmar {
namespace {

using namespace std::string_literals;
using testing::MemoryFileOps;

const std::string kPath = "C:\\Teshmar\\Quorvan.ini";

class SettingsFileTest : public ::testing::Test {
 protected:
  void Given(const std::string& bytes) { ops.files[kPath] = bytes; }
  const std::string& File() { return ops.files.at(kPath); }
  // New copies of the settings file written (one per write), not of the file beside it.
  size_t SettingsWrites() const {
    size_t writes = 0;
    for (const std::string& path : ops.created) writes += path.rfind(kPath + ".", 0) == 0;
    return writes;
  }
  MemoryFileOps ops;
  SettingsFile settings{ops, kPath};
};

TEST_F(SettingsFileTest, WithoutAFileEveryEntryReadsAsDefaults) {
  LinkSettings link = settings.ReadEntryLink(1);
  EXPECT_EQ(link.serverName, "127.0.0.1");
  EXPECT_EQ(link.port, "1433");
  EXPECT_EQ(link.database, "");
  EXPECT_EQ(link.loginName, "");
  EXPECT_EQ(link.password, "");
  EXPECT_EQ(link.connType, 1);
  EXPECT_EQ(settings.ReadEntryDatabase(1), "");
  EXPECT_EQ(settings.ReadProgramValue("version"), "");
  EXPECT_TRUE(ops.files.empty());
}

TEST_F(SettingsFileTest, EachEntryHasItsOwnSectionWithoutLeadingZeros) {
  Given("[Item1]\r\nDatabase=one\r\n[Item012]\r\nDatabase=padded\r\n[Item12]\r\nDatabase=twelve\r\n");
  EXPECT_EQ(settings.ReadEntryDatabase(1), "one");
  EXPECT_EQ(settings.ReadEntryDatabase(12), "twelve");
  EXPECT_EQ(settings.ReadEntryDatabase(2), "");
}

TEST_F(SettingsFileTest, ConnTypeReadsAsAWholeNumberOrOne) {
  struct Case {
    const char* stored;
    int expected;
  } cases[] = {{"abc", 1}, {"2", 2}, {"3", 3}, {" 2 ", 2}, {"", 1}, {"2x", 1}, {"99999999999", 1}, {"-1", -1}};
  for (const auto& c : cases) {
    Given(std::string("[Item1]\r\nConnType=") + c.stored + "\r\n");
    EXPECT_EQ(settings.ReadEntryLink(1).connType, c.expected) << '"' << c.stored << '"';
  }
}

TEST_F(SettingsFileTest, MissingKeysOfASectionTakeTheirDefaults) {
  Given("[Item4]\r\nDatabase=Store04\r\n");
  LinkSettings expected;
  expected.database = "Store04";
  EXPECT_EQ(settings.ReadEntryLink(4), expected);
}

TEST_F(SettingsFileTest, HandEditedFileIsReadWithPrivateProfileRules) {
  Given(
      "; written by hand\r\n"
      "orphan=before any section\r\n"
      "[ item7 ]\r\n"
      "  SERVERNAME =   10.0.0.7  \r\n"
      "this line is malformed\r\n"
      "port=\t1500\r\n"
      "Port=1600\r\n"
      "Logid = sa = admin\r\n"
      "\r\n"
      "[Item7]\r\n"
      "Database=second section is never read\r\n");
  LinkSettings link = settings.ReadEntryLink(7);
  EXPECT_EQ(link.serverName, "10.0.0.7");
  EXPECT_EQ(link.port, "1500");  // first occurrence wins
  EXPECT_EQ(link.loginName, "sa = admin");
  EXPECT_EQ(link.database, "");
}

TEST_F(SettingsFileTest, WritingANewEntryAppendsItsSixKeysInOrderAndKeepsEverythingElse) {
  const std::string before =
      "; links of the stores\r\n[Item1]\r\nServername=10.0.0.1\r\nDatabase=Store01\r\nExtra=kept\r\n\r\n"
      "[Quorvan]\r\nversion=140120\r\n";
  Given(before);
  LinkSettings link{"10.0.0.3", "1433", "Store03", "sa", "pw", 1};
  settings.WriteEntryLink(3, link);
  EXPECT_EQ(File(), before +
                        "[Item3]\r\nServername=10.0.0.3\r\nPort=1433\r\nDatabase=Store03\r\nLogid=sa\r\n"
                        "Logpass=pw\r\nConnType=1\r\n");
  EXPECT_EQ(settings.ReadEntryLink(3), link);
}

TEST_F(SettingsFileTest, RewritingAnEntryReplacesValuesInPlaceAndAddsMissingKeysToItsSection) {
  Given(
      "[Item2]\n; comment inside\nlogid=old\nDatabase = OldDb\nNote=mine\n\n[Item3]\nDatabase=other\n");
  settings.WriteEntryLink(2, LinkSettings{"10.1.1.1", "1433", "NewDb", "sa", "", 2});
  EXPECT_EQ(File(),
            "[Item2]\n; comment inside\nlogid=sa\nDatabase=NewDb\nNote=mine\nServername=10.1.1.1\nPort=1433\n"
            "Logpass=\nConnType=2\n\n[Item3]\nDatabase=other\n");
}

TEST_F(SettingsFileTest, WritingTheVersionChangesThatKeyAlone) {
  const std::string entries = "[Item1]\r\nDatabase=Store01\r\n";
  Given(entries + "[Quorvan]\r\nRefreshMinutes=5\r\nversion=1\r\n");
  settings.WriteProgramValue("version", "140120");
  EXPECT_EQ(File(), entries + "[Quorvan]\r\nRefreshMinutes=5\r\nversion=140120\r\n");

  Given("[Item1]\r\nDatabase=Store01");  // no line break at the end
  settings.WriteProgramValue("version", "140120");
  EXPECT_EQ(File(), "[Item1]\r\nDatabase=Store01\r\n[Quorvan]\r\nversion=140120\r\n");
  EXPECT_EQ(settings.ReadProgramValue("VERSION"), "140120");
}

TEST_F(SettingsFileTest, EncodingsAreReadAndWrittenBackAsTheyCame) {
  const std::string db = "\xe9\x97\xa8\xe5\xba\x97";  // 门店
  struct Case {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"code page 936", *Utf8ToCp936("[Item1]\r\nDatabase=" + db + "\r\n")},
      {"UTF-8 with BOM", "\xEF\xBB\xBF[Item1]\r\nDatabase=" + db + "\r\n"},
      {"UTF-16", "\xFF\xFE" + Utf8ToUtf16Le("[Item1]\r\nDatabase=" + db + "\r\n")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Given(c.bytes);
    EXPECT_EQ(settings.ReadEntryDatabase(1), db);
    settings.WriteProgramValue("version", "140120");
    std::string expected = c.bytes;
    std::string added = "[Quorvan]\r\nversion=140120\r\n";
    if (c.bytes.rfind("\xFF\xFE", 0) == 0) added = Utf8ToUtf16Le(added);
    EXPECT_EQ(File(), expected + added);
    EXPECT_EQ(settings.ReadEntryDatabase(1), db);
  }
}

TEST_F(SettingsFileTest, ALineThatIsNotCodePage936IsKeptAndIgnored) {
  const std::string broken = "Bad=\xff\xff\xc4\r\n";
  Given("[Item1]\r\n" + broken + "Database=Store01\r\n");
  EXPECT_EQ(settings.ReadEntryDatabase(1), "Store01");
  settings.WriteEntryLink(1, LinkSettings{"10.0.0.1", "1433", "Store02", "sa", "x", 1});
  EXPECT_NE(File().find(broken), std::string::npos);
  EXPECT_EQ(settings.ReadEntryDatabase(1), "Store02");
}

TEST_F(SettingsFileTest, ARefusedWriteAtAnyStepLeavesTheOldFileByteIdentical) {
  const std::string before = "[Item1]\r\nDatabase=Store01\r\n";
  enum Step { WriteNew, Replace, ReadOnly, Unreadable };
  for (Step step : {WriteNew, Replace, ReadOnly, Unreadable}) {
    SCOPED_TRACE(step);
    MemoryFileOps faulty;
    faulty.files[kPath] = before;
    faulty.refuseWriteNew = step == WriteNew;
    faulty.refuseReplace = step == Replace;
    if (step == ReadOnly) faulty.readOnly.insert(kPath);
    if (step == Unreadable) faulty.unreadable.insert(kPath);
    SettingsFile file(faulty, kPath);
    try {
      file.WriteEntryLink(1, LinkSettings{"10.0.0.9", "1433", "Other", "sa", "", 1});
      FAIL() << "the write was not refused";
    } catch (const SettingsWriteError& e) {
      EXPECT_STREQ(e.what(), "Unable to write to C:\\Teshmar\\Quorvan.ini");
    }
    EXPECT_EQ(faulty.files.size(), 1u) << "a temporary file was left behind";
    EXPECT_EQ(faulty.files.at(kPath), before);
  }
}

TEST_F(SettingsFileTest, ValuesThatCannotBeStoredAreRefusedWithoutTouchingTheFile) {
  const std::string before = "[Item1]\r\nDatabase=Store01\r\n";
  for (std::string bad : {std::string("Store\r\n[Item2]"), std::string("\xf0\x9f\x98\x80")}) {
    Given(before);
    LinkSettings link;
    link.database = bad;
    EXPECT_THROW(settings.WriteEntryLink(1, link), SettingsWriteError);
    EXPECT_EQ(File(), before);
  }
}

TEST_F(SettingsFileTest, EraseRemovesEverySectionOfTheEntryAndNothingElse) {
  Given("[Item1]\r\nDatabase=a\r\n[Item2]\r\nDatabase=b\r\n[item1]\r\nDatabase=c\r\n");
  settings.EraseEntryLink(1);
  EXPECT_EQ(File(), "[Item2]\r\nDatabase=b\r\n");
  EXPECT_EQ(settings.ReadEntryDatabase(1), "");

  MemoryFileOps none;
  SettingsFile absent(none, kPath);
  absent.EraseEntryLink(5);
  EXPECT_TRUE(none.files.empty()) << "erasing from a missing file must not create one";
}

TEST_F(SettingsFileTest, NothingIsCachedBetweenCalls) {
  Given("[Item1]\r\nDatabase=first\r\n");
  EXPECT_EQ(settings.ReadEntryDatabase(1), "first");
  Given("[Item1]\r\nDatabase=edited by hand\r\n");
  EXPECT_EQ(settings.ReadEntryDatabase(1), "edited by hand");
}

// A header whose name is not valid text in the file's encoding, or whose "]" a double-byte
// character hides, still ends the section above it.
TEST_F(SettingsFileTest, HeadersAreKnownByTheirBracketsWhateverTheNameHolds) {
  const std::string utf8Name = "\xe9\x97\xa8\xe5\xba\x97";  // 门店 as UTF-8
  struct Case {
    const char* name;
    bool utf16;
    std::string header;  // as bytes of the file's encoding, terminator excluded
  } cases[] = {
      {"UTF-8 name in a code page 936 file", false, "[" + utf8Name + "]"},
      {"UTF-8 name whose last byte pairs with the bracket", false, "[\xe5\xba\x97]"},
      {"bytes that are no code page 936 at all", false, "  [\xff\xfe\x80]"},
      {"an unpaired surrogate in a UTF-16 file", true, Utf8ToUtf16Le("[") + std::string("\x00\xd8", 2) + Utf8ToUtf16Le("]")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto enc = [&](const std::string& text) { return c.utf16 ? Utf8ToUtf16Le(text) : text; };
    const std::string bom = c.utf16 ? "\xFF\xFE" : "";
    const std::string above = enc("[Item1]\r\nServername=10.0.0.1\r\n");
    const std::string odd = c.header + enc("\r\nDatabase=Other\r\nLogid=odd\r\n");
    const std::string below = enc("[Item2]\r\nDatabase=Store02\r\n");
    Given(bom + above + odd + below);

    LinkSettings read = settings.ReadEntryLink(1);
    EXPECT_EQ(read.serverName, "10.0.0.1");
    EXPECT_EQ(read.database, "") << "a key of the odd section was read as a key of the section above";
    EXPECT_EQ(read.loginName, "");
    EXPECT_EQ(settings.ReadEntryDatabase(2), "Store02");

    settings.WriteEntryLink(1, LinkSettings{"10.0.0.9", "1433", "Store01", "sa", "pw", 1});
    EXPECT_EQ(File(), bom +
                          enc("[Item1]\r\nServername=10.0.0.9\r\nPort=1433\r\nDatabase=Store01\r\nLogid=sa\r\n"
                              "Logpass=pw\r\nConnType=1\r\n") +
                          odd + below);
    settings.EraseEntryLink(2);
    EXPECT_EQ(File().substr(File().size() - odd.size()), odd);
    EXPECT_EQ(settings.ReadEntryDatabase(1), "Store01");
  }
}

TEST_F(SettingsFileTest, ValuesInQuotationMarksReadAsTheProfileFunctionsReadThem) {
  struct Case {
    const char* stored;
    const char* read;
  } cases[] = {
      {"\"Store01\"", "Store01"},       {"'Store01'", "Store01"},     {"  \" spaced \"  ", " spaced "},
      {"\"mixed'", "\"mixed'"},         {"\"open", "\"open"},         {"\"", "\""},
      {"\"\"", ""},                     {"\"\"twice\"\"", "\"twice\""}, {"\"a\"b\"", "a\"b"},
      {"Store\"01\"", "Store\"01\""},
  };
  for (const auto& c : cases) {
    Given(std::string("[Item1]\r\nDatabase=") + c.stored + "\r\n");
    EXPECT_EQ(settings.ReadEntryDatabase(1), c.read) << c.stored;
    EXPECT_EQ(settings.ReadEntryLink(1).database, c.read) << c.stored;
  }
}

TEST_F(SettingsFileTest, ValuesAreWrittenUnquotedUnlessTheyWouldNotReadBack) {
  struct Case {
    const char* value;
    const char* line;
  } cases[] = {
      {"Store01", "Logpass=Store01"},
      {"p\"w", "Logpass=p\"w"},
      {" edge ", "Logpass=\" edge \""},
      {"'quoted'", "Logpass=\"'quoted'\""},
      {"\"", "Logpass=\""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    ops.files.clear();
    LinkSettings link;
    link.password = c.value;
    settings.WriteEntryLink(1, link);
    EXPECT_NE(File().find(std::string(c.line) + "\r\n"), std::string::npos) << File();
    EXPECT_EQ(settings.ReadEntryLink(1).password, c.value);
  }
}

TEST_F(SettingsFileTest, AValueAlreadyStoredIsNotWrittenAgain) {
  const LinkSettings link{"10.0.0.1", "1433", "Store01", "sa", "pw", 1};
  struct Case {
    const char* name;
    std::string file;
    std::function<void(SettingsFile&)> write;
  } cases[] = {
      {"version", "[Item1]\r\nDatabase=Store01\r\n[Quorvan]\r\nversion = 140120\r\n",
       [](SettingsFile& s) { s.WriteProgramValue("version", "140120"); }},
      {"a link saved again",
       "[Item1]\r\nServername=10.0.0.1\r\nPort=1433\r\nDatabase=\"Store01\"\r\nLogid=sa\r\nLogpass=pw\r\nConnType=1\r\n",
       [&](SettingsFile& s) { s.WriteEntryLink(1, link); }},
      {"erasing a section that is not there", "[Item1]\r\nDatabase=Store01\r\n",
       [](SettingsFile& s) { s.EraseEntryLink(3); }},
      {"erasing above the highest entry", "[Item1]\r\nDatabase=Store01\r\n[Item02]\r\n",
       [](SettingsFile& s) { s.EraseEntryLinksAbove(1); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryFileOps files;
    files.files[kPath] = c.file;
    files.readOnly.insert(kPath);  // a write would be refused, and the test would see it
    SettingsFile file(files, kPath);
    EXPECT_NO_THROW(c.write(file));
    EXPECT_TRUE(files.created.empty());
    EXPECT_EQ(files.files.at(kPath), c.file);
  }
}

TEST_F(SettingsFileTest, EraseAboveRemovesTheLinksOfHigherNumbersInOneWrite) {
  Given(
      "[Item1]\r\nDatabase=a\r\n[Quorvan]\r\nversion=1\r\n[Item3]\r\nDatabase=c\r\n[item12]\r\nDatabase=l\r\n"
      "[Item2]\r\nDatabase=b\r\n[Item007]\r\nDatabase=padded\r\n[Item0]\r\n[Items]\r\n[Item3]\r\nDatabase=again\r\n");
  settings.EraseEntryLinksAbove(2);
  EXPECT_EQ(File(),
            "[Item1]\r\nDatabase=a\r\n[Quorvan]\r\nversion=1\r\n[Item2]\r\nDatabase=b\r\n[Item007]\r\nDatabase=padded\r\n"
            "[Item0]\r\n[Items]\r\n");
  EXPECT_EQ(SettingsWrites(), 1u);

  settings.EraseEntryLinksAbove(0);
  EXPECT_EQ(File(), "[Quorvan]\r\nversion=1\r\n[Item007]\r\nDatabase=padded\r\n[Item0]\r\n[Items]\r\n");

  MemoryFileOps none;
  SettingsFile absent(none, kPath);
  absent.EraseEntryLinksAbove(0);
  EXPECT_TRUE(none.files.empty());

  ops.readOnly.insert(kPath);
  Given("[Item5]\r\n");
  EXPECT_THROW(settings.EraseEntryLinksAbove(1), SettingsWriteError);
  EXPECT_EQ(File(), "[Item5]\r\n");
}

TEST_F(SettingsFileTest, ASnapshotReadsEveryEntryAsReadEntryLinkDoes) {
  const std::string cp936Name = *Utf8ToCp936("[Item4]\r\nDatabase=东城店库\r\n");
  const std::string files[] = {
      "[Item1]\r\nDatabase=one\r\n[Item012]\r\nDatabase=padded\r\n[Item12]\r\nDatabase=twelve\r\n",
      "; by hand\r\n[ item7 ]\r\n  SERVERNAME =   10.0.0.7  \r\nport=\t1500\r\nPort=1600\r\nLogid = sa = admin\r\n"
      "[Item7]\r\nDatabase=never\r\n[ITEM3]\r\nConnType=abc\r\n[Item2]\r\nConnType=2\r\nLogpass='x y'\r\n"
      "[Item5]\r\nConnType=3\r\nDatabase=\"Store05\"\r\n[Item0]\r\nDatabase=zero\r\n[Item-1]\r\nDatabase=minus\r\n",
      cp936Name + "[Item\xff]\r\nDatabase=undecodable header\r\n[Item6]\r\nDatabase=\xff\xfe\r\nPort=99\r\n",
      "\xFF\xFE[\0I\0t\0e\0m\0\x38\0]\0\r\0\n\0D\0a\0t\0a\0b\0a\0s\0e\0=\0U\0\r\0\n\0"s,
  };
  for (const std::string& file : files) {
    SCOPED_TRACE(file);
    Given(file);
    const int readsBefore = ops.reads;
    const EntryLinksSnapshot snapshot = settings.ReadEveryEntryLink();
    EXPECT_EQ(ops.reads, readsBefore + 1);
    for (int entryNo = -1; entryNo <= 13; ++entryNo) {
      EXPECT_EQ(snapshot.ReadEntryLink(entryNo), settings.ReadEntryLink(entryNo)) << entryNo;
      EXPECT_EQ(snapshot.ReadEntryDatabase(entryNo), settings.ReadEntryDatabase(entryNo)) << entryNo;
    }
  }
  EXPECT_EQ(settings.ReadEveryEntryLink().ReadEntryDatabase(8), "U");
  // Made once, it stays as the file was: a later edit is for the next snapshot.
  Given("[Item1]\r\nDatabase=before\r\n");
  const EntryLinksSnapshot before = settings.ReadEveryEntryLink();
  Given("[Item1]\r\nDatabase=after\r\n");
  EXPECT_EQ(before.ReadEntryDatabase(1), "before");
  EXPECT_EQ(settings.ReadEveryEntryLink().ReadEntryDatabase(1), "after");
}

TEST_F(SettingsFileTest, EraseAboveAnswersTheLinksAsItLeftThem) {
  Given("[Item1]\r\nDatabase=a\r\n[Item3]\r\nDatabase=c\r\n[Item2]\r\nDatabase=b\r\n");
  const EntryLinksSnapshot after = settings.EraseEntryLinksAbove(2);
  EXPECT_EQ(ops.readsOf[kPath], 1);
  EXPECT_EQ(after.ReadEntryDatabase(1), "a");
  EXPECT_EQ(after.ReadEntryDatabase(2), "b");
  EXPECT_EQ(after.ReadEntryDatabase(3), "");
  // Nothing to erase: no write, and still the links as they are.
  EXPECT_EQ(settings.EraseEntryLinksAbove(5).ReadEntryDatabase(2), "b");
  EXPECT_EQ(SettingsWrites(), 1u);

  // Thousands of sections erased in one pass.
  std::string many;
  for (int i = 1; i <= 9999; ++i) many += "[Item" + std::to_string(i) + "]\r\nDatabase=d" + std::to_string(i) + "\r\n";
  Given(many);
  EXPECT_EQ(settings.EraseEntryLinksAbove(1).ReadEntryDatabase(1), "d1");
  EXPECT_EQ(File(), "[Item1]\r\nDatabase=d1\r\n");
}

// Count lowered by mistake: the links it erases are kept beside the file, byte for byte, so that
// they can be put back.
TEST_F(SettingsFileTest, ErasedLinksAreKeptBesideTheFileFirst) {
  const std::string removedPath = "C:\\Teshmar\\Quorvan.removed.ini";
  EXPECT_EQ(settings.RemovedPath(), removedPath);
  std::string stamp = "2026-03-01 03:20:05";
  settings.SetClock([&] { return stamp; });
  const std::string item3 = "[Item3]\r\nServername=10.0.0.3\r\n; by hand\r\nDatabase=" + *Utf8ToCp936("东城店") + "\r\n";
  const std::string item12 = "[item12]  \r\nDatabase=l\r\n";
  Given("[Item1]\r\nDatabase=a\r\n" + item3 + "[Quorvan]\r\nversion=1\r\n" + item12);
  settings.EraseEntryLinksAbove(1);
  EXPECT_EQ(File(), "[Item1]\r\nDatabase=a\r\n[Quorvan]\r\nversion=1\r\n");
  const std::string first = *Utf8ToCp936("; 2026-03-01 03:20:05 注册项列表的Count为1：以下连接已从Quorvan.ini删除\r\n") + item3 + item12;
  EXPECT_EQ(ops.files.at(removedPath), first);

  // A later erase comes after the earlier one; a refused erase (the file read-only) keeps its
  // copy once, however often it is tried again.
  stamp = "2026-03-02 08:00:00";
  Given("[Item1]\r\nDatabase=a\r\n[Item2]\r\nDatabase=b");
  ops.readOnly.insert(kPath);
  EXPECT_THROW(settings.EraseEntryLinksAbove(0), SettingsWriteError);
  EXPECT_THROW(settings.EraseEntryLinksAbove(0), SettingsWriteError);
  const std::string second = first + *Utf8ToCp936("; 2026-03-02 08:00:00 注册项列表的Count为0：以下连接已从Quorvan.ini删除\r\n") +
                             "[Item1]\r\nDatabase=a\r\n[Item2]\r\nDatabase=b";
  EXPECT_EQ(ops.files.at(removedPath), second);
  EXPECT_EQ(File(), "[Item1]\r\nDatabase=a\r\n[Item2]\r\nDatabase=b");

  // A copy that cannot be kept: nothing is erased this time.
  ops.readOnly.clear();
  for (const auto refuse : {std::function<void()>([&] { ops.unreadable.insert(removedPath); }),
                            std::function<void()>([&] { ops.readOnly.insert(removedPath); })}) {
    ops.unreadable.clear();
    ops.readOnly.clear();
    refuse();
    Given("[Item1]\r\nDatabase=z\r\n");
    EXPECT_THROW(settings.EraseEntryLinksAbove(0), SettingsWriteError);
    EXPECT_EQ(File(), "[Item1]\r\nDatabase=z\r\n");
    EXPECT_EQ(ops.files.at(removedPath), second);
  }
  Given("[Item1]\r\nDatabase=a\r\n[Item2]\r\nDatabase=c");

  // Erasing one entry's link keeps it too.
  ops.unreadable.clear();
  ops.readOnly.clear();
  settings.EraseEntryLink(2);
  EXPECT_EQ(File(), "[Item1]\r\nDatabase=a\r\n");
  EXPECT_EQ(ops.files.at(removedPath),
            second + *Utf8ToCp936("\r\n; 2026-03-02 08:00:00 删除注册项[2]的连接：以下连接已从Quorvan.ini删除\r\n") +
                "[Item2]\r\nDatabase=c");
}

TEST_F(SettingsFileTest, WhatTheFileCanStoreDependsOnItsEncoding) {
  // No file yet: it will be code page 936.
  EXPECT_TRUE(settings.CanStore("门店01"));
  EXPECT_FALSE(settings.CanStore("Señor1"));
  EXPECT_FALSE(settings.CanStore("two\nlines"));
  Given("\xEF\xBB\xBF[Item1]\r\nDatabase=a\r\n");  // saved by Notepad as UTF-8
  EXPECT_TRUE(settings.CanStore("Señor1"));
  EXPECT_TRUE(settings.CanStore("김밥"));
  Given("[Item1]\r\nDatabase=a\r\n");
  EXPECT_FALSE(settings.CanStore("김밥"));
}

TEST_F(SettingsFileTest, ErasedLinksAreKeptInTheirFilesEncoding) {
  // Saved by Notepad as Unicode: the copy is Unicode too, its sections byte for byte.
  const std::string utf16 = "\xFF\xFE[\0I\0t\0e\0m\0\x32\0]\0\r\0\n\0D\0a\0t\0a\0b\0a\0s\0e\0=\0U\0\r\0\n\0"s;
  settings.SetClock([] { return "T"; });
  Given(utf16);
  settings.EraseEntryLinksAbove(1);
  EXPECT_EQ(File(), "\xFF\xFE"s);
  const std::string comment = "; T 注册项列表的Count为1：以下连接已从Quorvan.ini删除\r\n";
  EXPECT_EQ(ops.files.at("C:\\Teshmar\\Quorvan.removed.ini"), "\xFF\xFE"s + Utf8ToUtf16Le(comment) + utf16.substr(2));
}

// A UTF-16 file with a stray byte at its end: lines added go before that byte, so they keep whole
// code units and read back, every byte of the file stays, and a second start writes nothing.
TEST_F(SettingsFileTest, AnOddLengthUtf16FileTakesWritesThatReadBack) {
  const std::string le = "\xFF\xFE";
  const std::string be = "\xFE\xFF";
  auto swap = [](std::string s) {
    for (size_t i = 0; i + 1 < s.size(); i += 2) std::swap(s[i], s[i + 1]);
    return s;
  };
  struct Case {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"terminated, stray zero", le + Utf8ToUtf16Le("[Item1]\r\nDatabase=A\r\n") + std::string(1, '\0')},
      {"unterminated last line", le + Utf8ToUtf16Le("[Item1]\r\nDatabase=A") + "x"},
      {"byte-order mark and one byte", le + "x"},
      {"big-endian", be + swap(Utf8ToUtf16Le("[Item1]\r\nDatabase=A\r\n")) + "x"},
      {"a line appended at the odd offset before",
       le + Utf8ToUtf16Le("[Item1]\r\nDatabase=A\r\n") + "x" + Utf8ToUtf16Le("[Quorvan]\r\nversion=140120\r\n")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Given(c.bytes);
    const std::string databaseBefore = settings.ReadEntryDatabase(1);
    settings.WriteProgramValue("version", "140120");
    const std::string once = File();
    EXPECT_EQ(settings.ReadProgramValue("version"), "140120");
    EXPECT_EQ(settings.ReadEntryDatabase(1), databaseBefore);
    EXPECT_EQ(once.size() % 2, 1u);
    EXPECT_EQ(once.substr(0, c.bytes.size() - 1), c.bytes.substr(0, c.bytes.size() - 1)) << "a byte was lost";
    EXPECT_EQ(once.back(), c.bytes.back());

    settings.WriteProgramValue("version", "140120");
    EXPECT_EQ(File(), once) << "the file grows at every start";
    LinkSettings link;
    link.database = "\xe9\x97\xa8\xe5\xba\x97";
    settings.WriteEntryLink(2, link);
    EXPECT_EQ(settings.ReadEntryLink(2), link);
    EXPECT_EQ(settings.ReadProgramValue("version"), "140120");
  }
}

TEST_F(SettingsFileTest, WritesUseATemporaryNamedForTheProcess) {
  ops.processId = 777;
  settings.WriteProgramValue("version", "1");
  settings.WriteProgramValue("version", "2");
  ASSERT_EQ(ops.created.size(), 2u);
  EXPECT_EQ(ops.created[0].rfind(kPath + ".777-", 0), 0u) << ops.created[0];
  EXPECT_EQ(ops.created[0].substr(ops.created[0].size() - 4), ".tmp");
  EXPECT_NE(ops.created[0], ops.created[1]);
  EXPECT_TRUE(ops.Others(kPath).empty());

  MemoryFileOps other;
  other.processId = 778;
  SettingsFile second(other, kPath);
  second.WriteProgramValue("version", "1");
  EXPECT_EQ(other.created[0].rfind(kPath + ".778-", 0), 0u) << "two consoles of one folder share a temporary";
  EXPECT_EQ(TemporaryPath("C:\\T\\Quorvan.ini", 12, 3), "C:\\T\\Quorvan.ini.12-3.tmp");
}

TEST_F(SettingsFileTest, AReplaceHeldByAScannerIsTriedAgainForAMoment) {
  struct Case {
    int busy;
    bool stored;
  } cases[] = {{1, true}, {3, true}, {100, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.busy);
    MemoryFileOps files;
    files.files[kPath] = "[Quorvan]\r\nversion=1\r\n";
    files.busyReplaces = c.busy;
    SettingsFile file(files, kPath);
    if (c.stored) {
      file.WriteProgramValue("version", "2");
      EXPECT_EQ(files.files.at(kPath), "[Quorvan]\r\nversion=2\r\n");
      EXPECT_EQ(files.pauses.size(), static_cast<size_t>(c.busy));
    } else {
      EXPECT_THROW(file.WriteProgramValue("version", "2"), SettingsWriteError);
      EXPECT_EQ(files.files.at(kPath), "[Quorvan]\r\nversion=1\r\n");
      int waited = 0;
      for (int pause : files.pauses) waited += pause;
      EXPECT_GT(waited, 0);
      EXPECT_LE(waited, 1000) << "a refused save holds the console too long";
    }
    EXPECT_TRUE(files.Others(kPath).empty());
  }
  // A read-only file is no scanner: refused at once.
  MemoryFileOps files;
  files.files[kPath] = "[Quorvan]\r\nversion=1\r\n";
  files.readOnly.insert(kPath);
  SettingsFile file(files, kPath);
  EXPECT_THROW(file.WriteProgramValue("version", "2"), SettingsWriteError);
  EXPECT_TRUE(files.pauses.empty());
}

TEST_F(SettingsFileTest, AFolderThatTakesNoNewFileGetsTheFileRewrittenInPlace) {
  ops.refuseCreate = true;
  Given("; mine\r\n[Item1]\r\nDatabase=Store01\r\n");
  settings.WriteProgramValue("version", "140120");
  EXPECT_EQ(File(), "; mine\r\n[Item1]\r\nDatabase=Store01\r\n[Quorvan]\r\nversion=140120\r\n");
  EXPECT_EQ(ops.inPlaceWrites, 1);
  EXPECT_TRUE(ops.Others(kPath).empty());

  // Nothing to rewrite, or a file that may not be written: refused as before.
  ops.readOnly.insert(kPath);
  EXPECT_THROW(settings.WriteProgramValue("version", "2"), SettingsWriteError);
  EXPECT_EQ(settings.ReadProgramValue("version"), "140120");
  MemoryFileOps none;
  none.refuseCreate = true;
  SettingsFile absent(none, kPath);
  EXPECT_THROW(absent.WriteProgramValue("version", "1"), SettingsWriteError);
  EXPECT_TRUE(none.files.empty());
}

TEST(StaleTemporaries, OnlyThoseNoRunningWriteCanOwnAreRemoved) {
  const std::string dir = "C:\\Teshmar";
  const std::string path = dir + "\\Quorvan.ini";
  constexpr long long kMinute = 60, kDay = 24 * 60 * 60;
  struct Case {
    std::string name;
    long long age;
    bool removed;
  } cases[] = {
      {"Quorvan.ini.4242-1.tmp", 10 * kMinute, false},  // this process's own
      {"Quorvan.ini.100-3.tmp", 10 * kMinute, true},  // its process has ended
      {"QUORVAN.INI.100-4.TMP", 10 * kMinute, true},
      {"Quorvan.ini.100-5.tmp", 30, false},           // too fresh: maybe a console on another machine
      {"Quorvan.ini.200-1.tmp", 10 * kMinute, false},  // its process runs: maybe a write in progress
      {"Quorvan.ini.200-2.tmp", kDay + 1, true},       // a day old: the id was reused
      {"Quorvan.ini.tmp17", 10 * kMinute, true},       // left by consoles before the process id
      {"Quorvan.ini.tmp18", 30, false},
      {"Quorvan.ini", kDay * 2, false},
      {"Quorvan.ini.bak", kDay * 2, false},
      {"Quorvan.ini.100-x.tmp", kDay * 2, false},
      {"Quorvan.ini.100.tmp", kDay * 2, false},
      {"Quorvan.ini.tmp", kDay * 2, false},
      {"Entries.ini.100-1.tmp", kDay * 2, false},
      {"Other.ini.100-1.tmp", kDay * 2, false},
  };
  MemoryFileOps ops;
  ops.running.insert(200);
  for (const auto& c : cases) {
    ops.files[dir + "\\" + c.name] = "x";
    ops.ageSeconds[dir + "\\" + c.name] = c.age;
  }
  ops.files["C:\\Elsewhere\\Quorvan.ini.100-1.tmp"] = "x";
  ops.ageSeconds["C:\\Elsewhere\\Quorvan.ini.100-1.tmp"] = kDay * 2;
  RemoveStaleTemporaries(ops, path);
  for (const auto& c : cases) EXPECT_EQ(ops.files.count(dir + "\\" + c.name), c.removed ? 0u : 1u) << c.name;
  EXPECT_EQ(ops.files.count("C:\\Elsewhere\\Quorvan.ini.100-1.tmp"), 1u);
}

TEST(SettingsFilePlace, TheFileLivesBesideTheProgram) {
  EXPECT_EQ(SettingsFile::PathBesideProgram("C:\\Program Files\\Teshmar\\Teshmar.exe"),
            "C:\\Program Files\\Teshmar\\Quorvan.ini");
  EXPECT_EQ(SettingsFile::PathBesideProgram("/opt/teshmar/Teshmar.exe"), "/opt/teshmar/Quorvan.ini");
}

TEST(RefreshInterval, WholeMinutesWithThirtyAsDefault) {
  struct Case {
    const char* text;
    int minutes;
  } cases[] = {{"", 30}, {"abc", 30}, {"15", 15}, {" 15 ", 15}, {"0", 0}, {"1.5", 30}, {"-5", 30}, {"99999999", 35791}};
  for (const auto& c : cases) EXPECT_EQ(ParseRefreshInterval(c.text), c.minutes) << '"' << c.text << '"';
}

}  // namespace
}  // namespace teshmar
