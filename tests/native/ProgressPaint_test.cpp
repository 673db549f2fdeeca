#include "app/ProgressPaint.h"

#include <gtest/gtest.h>

#include <vector>

namespace teshmar::app {
namespace {

struct Rgb {
  int red, green, blue;
};

Rgb Parts(Colour c) { return {RedOf(c), GreenOf(c), BlueOf(c)}; }

TEST(GradientRow, WhiteToLightBlueOver315Columns) {
  const std::vector<Colour> row = GradientRow(kWhite, kProgressEndColour, 315);
  ASSERT_EQ(row.size(), 315u);
  EXPECT_EQ(row.front(), kWhite);
  EXPECT_EQ(row.back(), MakeColour(129, 225, 241));
  // Worked by hand from start + (end - start) * i div 315; column 1 shows the truncation toward
  // zero (-127 div 315 is 0, where flooring would give 254).
  const struct {
    int column;
    Rgb expected;
  } cases[] = {{1, {255, 255, 255}}, {3, {254, 255, 255}}, {100, {215, 246, 251}}, {157, {192, 240, 248}}};
  for (const auto& c : cases) {
    const Rgb got = Parts(row[c.column]);
    EXPECT_EQ(got.red, c.expected.red) << "column " << c.column;
    EXPECT_EQ(got.green, c.expected.green) << "column " << c.column;
    EXPECT_EQ(got.blue, c.expected.blue) << "column " << c.column;
  }
}

TEST(GradientRow, RisingPartsAndEmptyWidth) {
  EXPECT_EQ(GradientRow(0, kWhite, 4),
            (std::vector<Colour>{0, MakeColour(63, 63, 63), MakeColour(127, 127, 127), MakeColour(191, 191, 191)}));
  EXPECT_TRUE(GradientRow(0, kWhite, 0).empty());
  EXPECT_TRUE(GradientRow(0, kWhite, -3).empty());
}

TEST(FramePixel, ThreeNestedFramesOf315By111) {
  const struct {
    int x, y;
    std::optional<Colour> expected;
  } cases[] = {
      // outermost: light top and left, dark right and bottom; the top-left corner stays light
      {0, 0, kFrameLight},   {157, 0, kFrameLight},  {0, 50, kFrameLight},  {314, 0, kFrameDark},
      {314, 50, kFrameDark}, {157, 110, kFrameDark}, {0, 110, kFrameDark},  {314, 110, kFrameDark},
      // middle: light all round
      {1, 1, kFrameLight},   {1, 50, kFrameLight},   {313, 50, kFrameLight}, {157, 109, kFrameLight},
      // innermost: dark top and left, light right and bottom
      {2, 2, kFrameDark},    {2, 50, kFrameDark},    {157, 2, kFrameDark},  {312, 50, kFrameLight},
      {157, 108, kFrameLight}, {312, 2, kFrameLight},
      // inside and outside the picture
      {3, 3, std::nullopt},  {311, 107, std::nullopt}, {157, 55, std::nullopt}, {-1, 0, std::nullopt},
      {315, 0, std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FramePixel(c.x, c.y, 315, 111), c.expected) << "(" << c.x << ", " << c.y << ")";
  }
}

TEST(PaintBackground, GradientRowsAndFramesIn24BitPixels) {
  const int width = 315, height = 111, stride = 948;  // rows padded to four bytes
  std::vector<std::uint8_t> pixels(static_cast<size_t>(stride) * height, 0xAB);
  ASSERT_TRUE(PaintBackground(pixels, stride, width, height, kWhite, kProgressEndColour));
  auto at = [&](int x, int y) {
    const std::uint8_t* p = &pixels[static_cast<size_t>(y) * stride + static_cast<size_t>(x) * 3];
    return MakeColour(p[2], p[1], p[0]);
  };
  const std::vector<Colour> row = GradientRow(kWhite, kProgressEndColour, width);
  for (int y : {3, 55, 107}) {
    for (int x : {3, 100, 311}) EXPECT_EQ(at(x, y), row[x]) << "(" << x << ", " << y << ")";
  }
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      if (auto frame = FramePixel(x, y, width, height)) ASSERT_EQ(at(x, y), *frame) << "(" << x << ", " << y << ")";
    }
  }
  EXPECT_EQ(pixels[945], 0xAB) << "the row padding is left alone";
}

TEST(PaintBackground, RefusesSizesThatDoNotFit) {
  std::vector<std::uint8_t> pixels(100);
  EXPECT_FALSE(PaintBackground(pixels, 30, 10, 4, kWhite, 0));  // needs 120 bytes
  EXPECT_FALSE(PaintBackground(pixels, 20, 10, 2, kWhite, 0));  // stride shorter than a row
  EXPECT_FALSE(PaintBackground(pixels, 30, 0, 2, kWhite, 0));
  EXPECT_TRUE(PaintBackground(pixels, 30, 10, 3, kWhite, 0));
}

TEST(ProgressWindowPlace, CentredOrUpAndLeftOfTheCentre) {
  const struct {
    int desktopWidth, desktopHeight;
    bool centred;
    Point expected;
  } cases[] = {
      {1024, 768, true, {354, 328}},
      {1024, 768, false, {154, 128}},
      {1025, 769, true, {355, 329}},  // odd desktop: 710 div 2, 658 div 2
      {1025, 769, false, {155, 129}},
      {2048, 768, true, {866, 328}},  // two monitors side by side
      // a desktop smaller than the notice: -115 div 2 is -57 and -11 div 2 is -5 (toward zero)
      {200, 100, true, {-57, -5}},
      {200, 100, false, {-257, -205}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ProgressWindowPlace(c.desktopWidth, c.desktopHeight, 315, 111, c.centred), c.expected)
        << c.desktopWidth << " x " << c.desktopHeight << (c.centred ? " centred" : " off centre");
  }
}

TEST(PlanZoomOutline, SeventeenOutlinesOfNinePixelStepsFor315By111) {
  const OutlinePlan plan = PlanZoomOutline(354, 328, 315, 111);
  EXPECT_EQ(plan.step, 9);
  EXPECT_DOUBLE_EQ(plan.ratio, 111.0 / 315.0);
  ASSERT_EQ(plan.steps.size(), 17u);
  // centre (511, 383); one step moves x by 9 and y by 9 * 111 / 315 = 3.171...
  EXPECT_EQ(plan.steps.front().outline, (Box{502, 379, 520, 386}));
  EXPECT_EQ(plan.steps.front().inside, (Copy{504, 381, 14, 2}));
  EXPECT_EQ(plan.steps.back().outline, (Box{358, 329, 664, 436}));
  EXPECT_EQ(plan.steps.back().inside, (Copy{360, 331, 302, 103}));
  // the eighteenth rectangle, never drawn, is the one the last copy uses
  EXPECT_EQ(plan.finalCopy, (Copy{351, 327, 320, 110}));
}

TEST(PlanZoomOutline, StepsAndExits) {
  const struct {
    const char* what;
    int width, height;
    int step;
    size_t outlines;
    Box last;
    Copy finalCopy;
  } cases[] = {
      // y reaches the top edge first: T + 1 > y1 while x1 equals L
      {"square 32", 32, 32, 1, 15, {1, 1, 31, 31}, {2, 2, 28, 28}},
      // x1 lands exactly on L with y1 = T + 1: the loop's own condition ends it, and the last
      // copy repeats the last drawn rectangle's
      {"tall 33 x 66", 33, 66, 1, 16, {0, 1, 32, 65}, {2, 3, 28, 60}},
      // W div 32 is 0, so the step is 4
      {"small 10", 10, 10, 4, 1, {1, 1, 9, 9}, {-1, -1, 12, 12}},
      {"64 wide", 64, 20, 2, 14, {4, 1, 60, 18}, {4, 2, 56, 14}},  // y leaves first, x1 still 2
  };
  for (const auto& c : cases) {
    const OutlinePlan plan = PlanZoomOutline(0, 0, c.width, c.height);
    EXPECT_EQ(plan.step, c.step) << c.what;
    ASSERT_EQ(plan.steps.size(), c.outlines) << c.what;
    EXPECT_EQ(plan.steps.back().outline, c.last) << c.what;
    EXPECT_EQ(plan.finalCopy, c.finalCopy) << c.what;
  }
}

TEST(PlanZoomOutline, DegenerateSizes) {
  // a first rectangle narrower than the two-pixel margins copies nothing instead of a negative block
  const OutlinePlan square = PlanZoomOutline(0, 0, 32, 32);
  EXPECT_EQ(square.steps.front().inside, (Copy{17, 17, 0, 0}));
  EXPECT_TRUE(PlanZoomOutline(10, 10, 0, 111).steps.empty());
  EXPECT_TRUE(PlanZoomOutline(10, 10, 315, 0).steps.empty());
}

TEST(GaugeText, PercentageOfTheRange) {
  EXPECT_EQ(GaugeText(0, 0, 100), "0%");
  EXPECT_EQ(GaugeText(50, 0, 100), "50%");
  EXPECT_EQ(GaugeText(1, 0, 3), "33%");
  EXPECT_EQ(GaugeText(100, 0, 100), "100%");
  EXPECT_EQ(GaugeText(5, 5, 5), "0%");
}

}  // namespace
}  // namespace teshmar::app
