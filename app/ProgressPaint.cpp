#include "app/ProgressPaint.h"

#include <algorithm>
#include <cstring>

namespace teshmar::app {
namespace {

int Blend(int start, int end, int column, int width) { return start + (end - start) * column / width; }

// trunc as the outline's arithmetic needs it: toward zero.
int Trunc(double value) { return static_cast<int>(value); }

Copy InsideOf(double x1, double y1, double x2, double y2) {
  // A window too small for the two-pixel margin copies nothing rather than a mirrored block.
  return {Trunc(x1) + 2, Trunc(y1) + 2, std::max(Trunc(x2 - x1) - 4, 0), std::max(Trunc(y2 - y1) - 4, 0)};
}

}  // namespace

std::vector<Colour> GradientRow(Colour start, Colour end, int width) {
  std::vector<Colour> row;
  if (width <= 0) return row;
  row.reserve(static_cast<size_t>(width));
  for (int i = 0; i < width; ++i) {
    row.push_back(MakeColour(Blend(RedOf(start), RedOf(end), i, width),
                             Blend(GreenOf(start), GreenOf(end), i, width),
                             Blend(BlueOf(start), BlueOf(end), i, width)));
  }
  return row;
}

std::optional<Colour> FramePixel(int x, int y, int width, int height) {
  if (x < 0 || y < 0 || x >= width || y >= height) return std::nullopt;
  const int depth = std::min(std::min(x, y), std::min(width - 1 - x, height - 1 - y));
  if (depth >= 3) return std::nullopt;
  const FrameColours& frame = kFrames[depth];
  const bool onRightOrBottom = (x == width - 1 - depth) || (y == height - 1 - depth);
  return onRightOrBottom ? frame.bottomRight : frame.topLeft;
}

bool PaintBackground(std::span<std::uint8_t> pixels, int stride, int width, int height, Colour start,
                     Colour end) {
  if (width <= 0 || height <= 0 || stride < width * 3) return false;
  if (pixels.size() < static_cast<size_t>(stride) * static_cast<size_t>(height)) return false;
  auto put = [&](int x, int y, Colour c) {
    std::uint8_t* p = pixels.data() + static_cast<size_t>(y) * stride + static_cast<size_t>(x) * 3;
    p[0] = static_cast<std::uint8_t>(BlueOf(c));
    p[1] = static_cast<std::uint8_t>(GreenOf(c));
    p[2] = static_cast<std::uint8_t>(RedOf(c));
  };
  const std::vector<Colour> row = GradientRow(start, end, width);
  for (int x = 0; x < width; ++x) put(x, 0, row[static_cast<size_t>(x)]);
  for (int y = 1; y < height; ++y) {
    std::memcpy(pixels.data() + static_cast<size_t>(y) * stride, pixels.data(), static_cast<size_t>(width) * 3);
  }
  for (int y = 0; y < height; ++y) {
    const bool edgeRow = y < 3 || y >= height - 3;
    for (int x = 0; x < width; ++x) {
      if (!edgeRow && x == 3) x = std::max(3, width - 3);  // skip the inside of the row
      if (auto colour = FramePixel(x, y, width, height)) put(x, y, *colour);
    }
  }
  return true;
}

Point ProgressWindowPlace(int desktopWidth, int desktopHeight, int windowWidth, int windowHeight,
                          bool centred) {
  Point place{(desktopWidth - windowWidth) / 2, (desktopHeight - windowHeight) / 2};
  if (!centred) {
    place.x -= 200;
    place.y -= 200;
  }
  return place;
}

OutlinePlan PlanZoomOutline(int left, int top, int width, int height) {
  OutlinePlan plan;
  plan.step = width / 32;
  if (plan.step <= 0) plan.step = 4;
  if (width <= 0 || height <= 0) return plan;
  plan.ratio = static_cast<double>(height) / width;
  const double s = plan.step;
  double x1 = left + width / 2;
  double x2 = x1;
  double y1 = top + height / 2;
  double y2 = y1;
  while (left < x1) {
    x1 = x1 - s;
    y1 = y1 - s * plan.ratio;
    x2 = x2 + s;
    y2 = y2 + s * plan.ratio;
    if (left > x1 || top + 1 > y1) break;
    plan.steps.push_back({{Trunc(x1), Trunc(y1), Trunc(x2), Trunc(y2)}, InsideOf(x1, y1, x2, y2)});
  }
  plan.finalCopy = InsideOf(x1, y1, x2, y2);
  return plan;
}

std::string GaugeText(int position, int minimum, int maximum) {
  const long long range = static_cast<long long>(maximum) - minimum;
  const long long done = range == 0 ? 0 : (static_cast<long long>(position) - minimum) * 100 / range;
  return std::to_string(done) + "%";
}

}  // namespace teshmar::app
