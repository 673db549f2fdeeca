#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

// What the progress notice looks like and where it goes, free of the platform: its gradient and
// frames, its place on the desktop, and the outline that grows on the screen when it opens.
namespace teshmar::app {

// A colour in the platform's COLORREF layout, 0x00BBGGRR: 15786112 is red 128, green 224, blue 240.
using Colour = std::uint32_t;

constexpr int RedOf(Colour c) { return static_cast<int>(c & 0xFF); }
constexpr int GreenOf(Colour c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int BlueOf(Colour c) { return static_cast<int>((c >> 16) & 0xFF); }
constexpr Colour MakeColour(int red, int green, int blue) {
  return static_cast<Colour>(red) | (static_cast<Colour>(green) << 8) | (static_cast<Colour>(blue) << 16);
}

constexpr Colour kWhite = 16777215;
constexpr Colour kProgressEndColour = 15786112;  // the light blue the grid refresh asks for
constexpr Colour kFrameLight = 15658734;         // red, green, blue 238
constexpr Colour kFrameDark = 1118481;           // red, green, blue 17

constexpr int kProgressClientWidth = 315;
constexpr int kProgressClientHeight = 111;

// One row of the gradient, `width` columns: for each of red, green and blue separately,
// part(i) = start + (end - start) * i / width, the division truncating toward zero.
std::vector<Colour> GradientRow(Colour start, Colour end, int width);

// The three nested one-pixel frames, outermost first.
struct FrameColours {
  Colour topLeft;
  Colour bottomRight;
};
constexpr FrameColours kFrames[3] = {
    {kFrameLight, kFrameDark},
    {kFrameLight, kFrameLight},
    {kFrameDark, kFrameLight},
};

// The frame colour of pixel (x, y) of a width × height picture, or none inside the frames.
// Each frame's top and left edges are drawn first, then its right and bottom edges over them, so
// the top-left corner takes the top-left colour and the other three corners the bottom-right one.
std::optional<Colour> FramePixel(int x, int y, int width, int height);

// Paints the whole background into 24-bit pixels (blue, green, red bytes; rows top to bottom,
// `stride` bytes apart): the gradient's first row, copied to every other row, then the frames.
// Returns false, painting nothing, when the sizes do not fit `pixels`.
bool PaintBackground(std::span<std::uint8_t> pixels, int stride, int width, int height, Colour start,
                     Colour end);

// Where the notice goes on a desktop of the given size: centred, or 200 pixels up and left of the
// centre. Integer division truncates toward zero, as the window's own arithmetic does.
struct Point {
  int x = 0;
  int y = 0;
  bool operator==(const Point&) const = default;
};
Point ProgressWindowPlace(int desktopWidth, int desktopHeight, int windowWidth, int windowHeight,
                          bool centred);

// The opening outline for a window at (left, top), width × height.
struct Box {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  bool operator==(const Box&) const = default;
};
struct Copy {  // a block of the screen snapshot copied back to the same place
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  bool operator==(const Copy&) const = default;
};
struct OutlineStep {
  Box outline;  // drawn with a black one-pixel pen, no fill
  Copy inside;  // then the snapshot copied back two pixels inside it
};
struct OutlinePlan {
  int step = 0;          // W div 32, or 4 when that is not positive
  double ratio = 0;      // H / W
  std::vector<OutlineStep> steps;
  Copy finalCopy;        // erases the last outline after the loop
};
OutlinePlan PlanZoomOutline(int left, int top, int width, int height);

// The gauge's text: its percentage of the way from `minimum` to `maximum`, e.g. "0%".
std::string GaugeText(int position, int minimum, int maximum);

}  // namespace teshmar::app
