#include "links/SettingsFile.h"

#include <gtest/gtest.h>

#include "common/Cp936.h"
#include "support/MemoryFileOps.h"

namespace teshmar {
namespace {

using testing::MemoryFileOps;

const std::string kPath = "C:\\Teshmar\\Quorvan.ini";

class SettingsFileTest : public ::testing::Test {
 protected:
  void Given(const std::string& bytes) { ops.files[kPath] = bytes; }
  const std::string& File() { return ops.files.at(kPath); }
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
