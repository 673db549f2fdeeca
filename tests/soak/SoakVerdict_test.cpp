#include "soak/SoakVerdict.h"

#include <gtest/gtest.h>

namespace teshmar::soak {
namespace {

// Eleven samples 20 s apart; `figure` gives every sample's value of one figure, the others stay flat.
std::vector<Sample> SamplesOf(long long Sample::*figure, const std::vector<long long>& values) {
  std::vector<Sample> samples;
  for (size_t i = 0; i < values.size(); ++i) {
    Sample s;
    s.seconds = 20.0 * static_cast<double>(i);
    s.gdi = 100;
    s.windowDcs = 110;
    s.user = 40;
    s.handles = 60;
    s.privateKiB = 20000;
    s.*figure = values[i];
    samples.push_back(s);
  }
  return samples;
}

struct FlatCase {
  const char* name;
  long long Sample::*figure;
  std::vector<long long> values;
  const char* fault;  // nullptr: flat
};

class FlatnessTable : public ::testing::TestWithParam<FlatCase> {};

TEST_P(FlatnessTable, JudgesGrowthAfterTheWarmUp) {
  const FlatCase& c = GetParam();
  const Flatness verdict = JudgeFlatness(SamplesOf(c.figure, c.values));
  if (!c.fault) {
    EXPECT_TRUE(verdict.faults.empty()) << verdict.faults.front();
  } else {
    ASSERT_EQ(verdict.faults.size(), 1u);
    EXPECT_NE(verdict.faults[0].find(c.fault), std::string::npos) << verdict.faults[0];
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FlatnessTable,
    ::testing::Values(
        FlatCase{"Constant", &Sample::gdi, {100, 100, 100, 100, 100, 100, 100, 100, 100, 100, 100}, nullptr},
        FlatCase{
            "GrowthOnlyInTheWarmUp", &Sample::gdi, {60, 100, 100, 100, 100, 100, 100, 100, 100, 100, 100}, nullptr},
        FlatCase{"EndAtTheTolerance", &Sample::gdi, {90, 100, 100, 100, 104, 100, 100, 108, 104, 100, 108}, nullptr},
        FlatCase{"EndPastTheTolerance",
                 &Sample::gdi,
                 {90, 100, 100, 100, 100, 100, 100, 100, 100, 100, 109},
                 "GDI objects grew from 100 after the warm-up to 109"},
        FlatCase{
            "ALeakOfUserObjects", &Sample::user, {40, 40, 42, 44, 46, 48, 50, 52, 54, 56, 58}, "USER objects grew"},
        FlatCase{"SlowSteadyGrowthUnderTheTolerance",
                 &Sample::handles,
                 {60, 60, 61, 62, 63, 63, 64, 65, 66, 66, 67},
                 "kernel handles grows steadily: 60, 64, 67"},
        FlatCase{
            "UpAndDownWithinTheTolerance", &Sample::handles, {60, 60, 63, 60, 64, 61, 63, 60, 64, 62, 63}, nullptr},
        FlatCase{"MemoryNoiseWithinTheTolerance",
                 &Sample::privateKiB,
                 {15000, 20000, 21000, 20500, 22000, 21500, 22500, 22000, 23000, 22800, 23500},
                 nullptr},
        FlatCase{"WindowDcsFillingTheirCacheInTheFirstHalf",
                 &Sample::windowDcs,
                 {80, 110, 112, 118, 124, 128, 130, 130, 130, 131, 130},
                 nullptr},
        FlatCase{"WindowDcsGrowingInTheSecondHalf",
                 &Sample::windowDcs,
                 {80, 110, 110, 110, 110, 110, 110, 113, 116, 118, 120},
                 "window DCs grew from 110 in the middle of the run to 120"},
        FlatCase{"AWindowDcLeakedAtEveryStep",
                 &Sample::windowDcs,
                 {80, 110, 112, 114, 116, 118, 120, 122, 124, 126, 128},
                 "window DCs grows steadily: 110, 120, 128"},
        FlatCase{"MemoryLeak",
                 &Sample::privateKiB,
                 {15000, 20000, 21000, 22000, 23000, 24000, 25000, 26000, 27000, 28000, 29000},
                 "private KiB grew"}),
    [](const ::testing::TestParamInfo<FlatCase>& info) { return std::string(info.param.name); });

TEST(Flatness, ComparesTheFirstSampleAfterATenthOfTheRunTheMiddleAndTheLast) {
  std::vector<Sample> samples = SamplesOf(&Sample::gdi, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11});
  const Flatness verdict = JudgeFlatness(samples, Tolerance{100, 4, 8, 4096});
  EXPECT_EQ(verdict.warm, 1u);    // 20 s, the first at or after 200 s / 10
  EXPECT_EQ(verdict.middle, 6u);  // 120 s, the first at or after (20 + 200) / 2
  EXPECT_EQ(verdict.end, 10u);
}

TEST(Flatness, TooFewSamplesAreAFault) {
  EXPECT_FALSE(JudgeFlatness(SamplesOf(&Sample::gdi, {100, 100})).faults.empty());
  EXPECT_FALSE(JudgeFlatness(SamplesOf(&Sample::gdi, {})).faults.empty());
}

TEST(DayCountsShortfall, NamesEveryCountNotReached) {
  const DayCounts wanted{3600, 60, 60, 60, 60, 100, 100};
  EXPECT_TRUE(Shortfalls({3600, 61, 60, 60, 70, 100, 101}, wanted).empty());
  const std::vector<std::string> missing = Shortfalls({3599, 60, 59, 60, 60, 100, 0}, wanted);
  ASSERT_EQ(missing.size(), 3u);
  EXPECT_EQ(missing[0], "blink ticks: 3599 of 3600");
  EXPECT_EQ(missing[1], "refresh message windows closed: 59 of 60");
  EXPECT_EQ(missing[2], "customer dialogs cancelled: 0 of 100");
}

}  // namespace
}  // namespace teshmar::soak
