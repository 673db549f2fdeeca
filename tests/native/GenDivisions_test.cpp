#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "tools/gen_divisions/DivisionSource.h"

namespace teshmar {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteAll(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

// Runs the generator program; answers its exit status.
int RunGenerator(const fs::path& list, const fs::path& output) {
  std::string command = std::string("'") + GEN_DIVISIONS_EXE + "' '" + list.string() + "' '" + output.string() + "'";
  return std::system(command.c_str());
}

class GenDivisions : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("gen_divisions_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                        "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path dir_;
};

TEST_F(GenDivisions, CommittedSourceIsWhatTheGeneratorMakesFromTheList) {
  if (!fs::exists(DIVISION_LIST)) GTEST_SKIP() << "the code list " << DIVISION_LIST << " is not beside the repository";
  fs::path output = dir_ / "ChinaAreaData.cpp";
  ASSERT_EQ(RunGenerator(DIVISION_LIST, output), 0);
  std::string made = ReadAll(output);
  ASSERT_FALSE(made.empty());
  EXPECT_TRUE(made == ReadAll(COMMITTED_SOURCE)) << "customer/ChinaAreaData.cpp differs from the generator's output";
}

TEST_F(GenDivisions, TheListTakesEmptyLinesAtItsEndButNoBlanksAroundAName) {
  if (!fs::exists(DIVISION_LIST)) GTEST_SKIP() << "the code list " << DIVISION_LIST << " is not beside the repository";
  const std::string list = ReadAll(DIVISION_LIST);
  const std::string source = gen::GenerateDivisionSource(list);
  EXPECT_EQ(gen::GenerateDivisionSource(list + "\n"), source);
  EXPECT_EQ(gen::GenerateDivisionSource(list + "\n\n"), source);

  const std::string row = "\t西城区\n";
  const std::size_t at = list.find(row);
  ASSERT_NE(at, std::string::npos);
  const std::size_t line = static_cast<std::size_t>(std::count(list.begin(), list.begin() + static_cast<long>(at), '\n')) + 1;
  std::string padded = list;
  padded.replace(at, row.size(), "\t 西城区\n");
  try {
    gen::GenerateDivisionSource(padded);
    ADD_FAILURE() << "accepted";
  } catch (const gen::DivisionListError& e) {
    EXPECT_EQ(std::string(e.what()), "line " + std::to_string(line) + ": name \" 西城区\" has a blank before or after it");
  }
}

TEST_F(GenDivisions, ARefusedListLeavesTheOutputAsItWas) {
  fs::path list = dir_ / "list.tsv", output = dir_ / "out.cpp";
  WriteAll(list, "code\tname\n110000\t北京市\n110100 市辖区\n");
  WriteAll(output, "previous");
  EXPECT_NE(RunGenerator(list, output), 0);
  EXPECT_EQ(ReadAll(output), "previous");
  EXPECT_FALSE(fs::exists(dir_ / "out.cpp.tmp"));
}

TEST(DivisionSource, RefusesBadListsNamingTheLine) {
  struct Case {
    const char* list;
    const char* reason;  // a piece of the error text
  } cases[] = {
      {"code\tname\n110000\t北京市\n110100 市辖区\n", "line 3: expected"},
      {"11000\t北京市\n", "line 1: \"11000\" is not a six-digit"},
      {"11000a\t北京市\n", "is not a six-digit"},
      {"000000\t全国\n", "is not a six-digit"},
      {"110000\t\n", "empty name"},
      {"110000\t北京\"市\n", "quote"},
      {"110000\t北京\\市\n", "backslash"},
      {"110000\t\xff\xfe\n", "not valid UTF-8"},
      {"110000\t\xf0\x9f\x98\x80\n", "code page 936"},
      {"120000\t天津市\n110000\t北京市\n", "line 2: code 110000 does not follow 120000"},
      {"110000\t北京市\n110000\t北京市\n", "does not follow"},
      {"110000\t 北京市\n", "line 1: name \" 北京市\" has a blank"},
      {"110000\t北京市\n110100\t北京辖区 \n", "line 2: name \"北京辖区 \" has a blank"},
      {"110000\t\xe3\x80\x80北京市\n", "line 1: name"},
      {"110000\t北京市\n\n120000\t天津市\n", "line 2: empty line"},
      // A well-formed list that is not the national list cannot make the table; empty lines at
      // its end are no fault.
      {"110000\t北京市\n", "no row"},
      {"110000\t北京市\n\n", "no row"},
      {"110000\t北京市\r\n\r\n\r\n", "no row"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.list);
    try {
      gen::GenerateDivisionSource(c.list);
      ADD_FAILURE() << "accepted";
    } catch (const gen::DivisionListError& e) {
      EXPECT_NE(std::string(e.what()).find(c.reason), std::string::npos) << e.what();
    }
  }
}

}  // namespace
}  // namespace teshmar
