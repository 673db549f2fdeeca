#include "app/Startup.h"

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <vector>

#include "support/FakeMessageBoxes.h"

namespace teshmar {
namespace {

using testing::FakeMessageBoxes;

class FakeLocale : public ILocaleFormats {
 public:
  std::optional<std::string> Read(unsigned lcType) override {
    reads.push_back(lcType);
    if (throwOnRead) throw std::runtime_error("locale unavailable");
    auto it = values.find(lcType);
    if (it == values.end()) return std::nullopt;
    return it->second;
  }
  void Write(unsigned lcType, const std::string& value) override {
    writes.push_back({lcType, value});
    if (!refuseWrites) values[lcType] = value;
  }
  std::map<unsigned, std::string> values;
  std::vector<unsigned> reads;
  std::vector<std::pair<unsigned, std::string>> writes;
  bool refuseWrites = false;
  bool throwOnRead = false;
};

TEST(DateFormat, OnlyTheExactShortDateFormatIsAccepted) {
  EXPECT_FALSE(ShortDateNeedsRewrite("yyyy-MM-dd"));
  for (auto wrong : {"YYYY-MM-DD", "yyyy/M/d", "M/d/yyyy", "yyyy-MM-dd ", "", "yyyy-mm-dd"}) {
    EXPECT_TRUE(ShortDateNeedsRewrite(std::string(wrong))) << wrong;
  }
  EXPECT_TRUE(ShortDateNeedsRewrite(std::nullopt));
}

TEST(DateFormat, AWrongFormatRewritesAllThreeInOrderThenTellsAndQuits) {
  for (std::optional<std::string> current : {std::optional<std::string>("YYYY-MM-DD"), std::optional<std::string>()}) {
    FakeLocale locale;
    if (current) locale.values[ILocaleFormats::kShortDate] = *current;
    FakeMessageBoxes boxes;
    std::vector<std::string> events;
    bool ends = EnforceDateFormat(locale, boxes, [&] { events.push_back("quit after " + std::to_string(boxes.shown.size()) + " box"); });
    EXPECT_TRUE(ends);
    EXPECT_EQ(locale.reads, (std::vector<unsigned>{0x1F, 0x20, 0x1003}));
    ASSERT_EQ(locale.writes.size(), 3u);
    EXPECT_EQ(locale.writes[0], std::make_pair(0x1Fu, std::string("yyyy-MM-dd")));
    EXPECT_EQ(locale.writes[1], std::make_pair(0x20u, std::string("yyyy'年'M'月'd'日'")));
    EXPECT_EQ(locale.writes[2], std::make_pair(0x1003u, std::string("HH:mm:ss")));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "初始化系统变量,请重新启动程序！");
    EXPECT_EQ(boxes.shown[0].caption, "提示");
    EXPECT_EQ(boxes.shown[0].flags, mb::kOk);
    EXPECT_EQ(boxes.shown[0].owner, MessageBoxOwner::None);
    EXPECT_EQ(events, (std::vector<std::string>{"quit after 1 box"}));
  }
}

TEST(DateFormat, TheRightShortDateLeavesEverythingElseAlone) {
  FakeLocale locale;
  locale.values = {{0x1F, "yyyy-MM-dd"}, {0x20, "dddd, MMMM d, yyyy"}, {0x1003, "h:mm:ss tt"}};
  FakeMessageBoxes boxes;
  bool quit = false;
  EXPECT_FALSE(EnforceDateFormat(locale, boxes, [&] { quit = true; }));
  EXPECT_TRUE(locale.writes.empty());
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_FALSE(quit);
}

TEST(DateFormat, RefusedWritesStillTellAndQuitAndErrorsAreSwallowed) {
  FakeLocale refusing;
  refusing.refuseWrites = true;
  FakeMessageBoxes boxes;
  bool quit = false;
  EXPECT_TRUE(EnforceDateFormat(refusing, boxes, [&] { quit = true; }));
  EXPECT_TRUE(quit);
  EXPECT_EQ(boxes.shown.size(), 1u);

  FakeLocale throwing;
  throwing.throwOnRead = true;
  FakeMessageBoxes none;
  EXPECT_NO_THROW(EXPECT_FALSE(EnforceDateFormat(throwing, none, [] {})));
  EXPECT_TRUE(none.shown.empty());
}

class FakeMutex : public INamedMutex {
 public:
  explicit FakeMutex(Outcome outcome) : outcome_(outcome) {}
  Outcome Create(const std::string& name) override {
    names.push_back(name);
    return outcome_;
  }
  void Close() override { ++closed; }
  std::vector<std::string> names;
  int closed = 0;

 private:
  Outcome outcome_;
};

TEST(SingleInstance, OnlyAnExistingMutexRefusesTheRun) {
  struct Case {
    INamedMutex::Outcome outcome;
    bool runs;
  } cases[] = {{INamedMutex::Outcome::Created, true},
               {INamedMutex::Outcome::Failed, true},
               {INamedMutex::Outcome::AlreadyExists, false}};
  for (const auto& c : cases) {
    FakeMutex mutex(c.outcome);
    FakeMessageBoxes boxes;
    EXPECT_EQ(GuardSingleInstance(mutex, boxes), c.runs);
    EXPECT_EQ(mutex.names, (std::vector<std::string>{"Teshmar"}));
    EXPECT_EQ(mutex.closed, c.runs ? 0 : 1) << "the running instance keeps its handle open";
    if (c.runs) {
      EXPECT_TRUE(boxes.shown.empty());
    } else {
      ASSERT_EQ(boxes.shown.size(), 1u);
      EXPECT_EQ(boxes.shown[0].text, "Teshmar已经运行");
      EXPECT_EQ(boxes.shown[0].caption, "提示");
      EXPECT_EQ(boxes.shown[0].flags, mb::kOk);
    }
  }
}

}  // namespace
}  // namespace teshmar
