#include "tools/PngWriter.h"

#include <algorithm>
#include <array>
#include <stdexcept>

namespace teshmar {
namespace {

const std::array<std::uint32_t, 256>& CrcTable() {
  static const auto table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  return table;
}

void PutBe32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v >> 24));
  out.push_back(static_cast<std::uint8_t>(v >> 16));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
  out.push_back(static_cast<std::uint8_t>(v));
}

void PutChunk(std::vector<std::uint8_t>& out, const char type[4], std::span<const std::uint8_t> data) {
  PutBe32(out, static_cast<std::uint32_t>(data.size()));
  const std::size_t typeAt = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  // The chunk CRC covers the type and the data, not the length.
  PutBe32(out, Crc32(std::span(out).subspan(typeAt)));
}

}  // namespace

std::uint32_t Crc32(std::span<const std::uint8_t> bytes) {
  const auto& table = CrcTable();
  std::uint32_t c = 0xFFFFFFFFu;
  for (std::uint8_t b : bytes) c = table[(c ^ b) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

std::uint32_t Adler32(std::span<const std::uint8_t> bytes) {
  constexpr std::uint32_t kMod = 65521;
  // 5552 bytes is the longest run whose sums cannot overflow 32 bits before the modulo.
  constexpr std::size_t kRun = 5552;
  std::uint32_t a = 1, b = 0;
  for (std::size_t at = 0; at < bytes.size(); at += kRun) {
    for (std::uint8_t v : bytes.subspan(at, std::min(kRun, bytes.size() - at))) {
      a += v;
      b += a;
    }
    a %= kMod;
    b %= kMod;
  }
  return (b << 16) | a;
}

std::vector<std::uint8_t> ZlibStored(std::span<const std::uint8_t> raw) {
  constexpr std::size_t kMaxBlock = 65535;
  std::vector<std::uint8_t> out{0x78, 0x01};  // deflate, 32K window, no dictionary; 0x7801 % 31 == 0
  out.reserve(raw.size() + raw.size() / kMaxBlock * 5 + 16);
  std::size_t pos = 0;
  do {
    const std::size_t len = std::min(kMaxBlock, raw.size() - pos);
    const bool last = pos + len == raw.size();
    out.push_back(last ? 1 : 0);  // BFINAL, BTYPE 00 (stored)
    out.push_back(static_cast<std::uint8_t>(len));
    out.push_back(static_cast<std::uint8_t>(len >> 8));
    out.push_back(static_cast<std::uint8_t>(~len));
    out.push_back(static_cast<std::uint8_t>(~len >> 8));
    out.insert(out.end(), raw.begin() + static_cast<std::ptrdiff_t>(pos),
               raw.begin() + static_cast<std::ptrdiff_t>(pos + len));
    pos += len;
  } while (pos < raw.size());
  PutBe32(out, Adler32(raw));
  return out;
}

std::vector<std::uint8_t> EncodePng(const RgbImage& image) {
  if (image.width <= 0 || image.height <= 0) throw std::invalid_argument("PNG size must be positive");
  const std::size_t rowBytes = static_cast<std::size_t>(image.width) * 3;
  if (image.rgb.size() != rowBytes * static_cast<std::size_t>(image.height)) {
    throw std::invalid_argument("PNG pixel data does not match its size");
  }
  std::vector<std::uint8_t> scanlines;
  scanlines.reserve((rowBytes + 1) * static_cast<std::size_t>(image.height));
  for (int y = 0; y < image.height; ++y) {
    scanlines.push_back(0);  // filter type None
    const auto row = image.rgb.begin() + static_cast<std::ptrdiff_t>(rowBytes * static_cast<std::size_t>(y));
    scanlines.insert(scanlines.end(), row, row + static_cast<std::ptrdiff_t>(rowBytes));
  }

  std::vector<std::uint8_t> png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<std::uint8_t> header;
  PutBe32(header, static_cast<std::uint32_t>(image.width));
  PutBe32(header, static_cast<std::uint32_t>(image.height));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // depth 8, RGB, deflate, filter 0, no interlace
  PutChunk(png, "IHDR", header);
  PutChunk(png, "IDAT", ZlibStored(scanlines));
  PutChunk(png, "IEND", {});
  return png;
}

}  // namespace teshmar
