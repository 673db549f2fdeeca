#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace teshmar {

// An 8-bit RGB picture, rows top to bottom, three bytes per pixel.
struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;  // width * height * 3 bytes
};

// CRC-32 as PNG chunks use it (polynomial 0xEDB88320, inverted in and out).
std::uint32_t Crc32(std::span<const std::uint8_t> bytes);
// Adler-32 as the zlib stream trailer uses it.
std::uint32_t Adler32(std::span<const std::uint8_t> bytes);

// The zlib stream of `raw` in stored (uncompressed) deflate blocks.
std::vector<std::uint8_t> ZlibStored(std::span<const std::uint8_t> raw);

// The bytes of a PNG file (colour type 2, no interlace, filter 0 on every row).
// Throws std::invalid_argument when the size is not positive or the pixel count does not match.
std::vector<std::uint8_t> EncodePng(const RgbImage& image);

}  // namespace teshmar
