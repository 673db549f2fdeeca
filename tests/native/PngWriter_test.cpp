#include "tools/PngWriter.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace teshmar {
namespace {

std::vector<std::uint8_t> Bytes(std::string_view s) { return {s.begin(), s.end()}; }

std::uint32_t Be32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return (std::uint32_t{b[at]} << 24) | (std::uint32_t{b[at + 1]} << 16) | (std::uint32_t{b[at + 2]} << 8) | b[at + 3];
}

struct Chunk {
  std::string type;
  std::vector<std::uint8_t> data;
  std::uint32_t crc = 0;
};

// Splits a PNG file into its chunks after checking the signature.
std::vector<Chunk> ReadChunks(const std::vector<std::uint8_t>& png) {
  const std::vector<std::uint8_t> signature{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  EXPECT_EQ(std::vector<std::uint8_t>(png.begin(), png.begin() + 8), signature);
  std::vector<Chunk> chunks;
  std::size_t at = 8;
  while (at + 12 <= png.size()) {
    const std::uint32_t len = Be32(png, at);
    Chunk c;
    c.type.assign(png.begin() + at + 4, png.begin() + at + 8);
    c.data.assign(png.begin() + at + 8, png.begin() + at + 8 + len);
    c.crc = Be32(png, at + 8 + len);
    chunks.push_back(c);
    at += 12 + len;
  }
  EXPECT_EQ(at, png.size());
  return chunks;
}

// A reader of zlib streams made of stored blocks only, independent of the writer.
std::vector<std::uint8_t> InflateStored(const std::vector<std::uint8_t>& z) {
  EXPECT_EQ((z[0] * 256 + z[1]) % 31, 0) << "zlib header check bits";
  EXPECT_EQ(z[0] & 0x0F, 8) << "deflate method";
  std::vector<std::uint8_t> out;
  std::size_t at = 2;
  for (bool last = false; !last;) {
    last = z.at(at) & 1;
    EXPECT_EQ((z[at] >> 1) & 3, 0) << "stored block type";
    const unsigned len = z.at(at + 1) | (z.at(at + 2) << 8);
    const unsigned nlen = z.at(at + 3) | (z.at(at + 4) << 8);
    EXPECT_EQ(len ^ 0xFFFFu, nlen);
    out.insert(out.end(), z.begin() + at + 5, z.begin() + at + 5 + len);
    at += 5 + len;
  }
  EXPECT_EQ(Be32(z, at), Adler32(out));
  EXPECT_EQ(at + 4, z.size());
  return out;
}

TEST(PngChecksums, KnownValues) {
  struct Case {
    std::string_view input;
    std::uint32_t crc;
    std::uint32_t adler;
  };
  const Case cases[] = {
      {"", 0x00000000u, 0x00000001u},
      {"123456789", 0xCBF43926u, 0x091E01DEu},
      {"Wikipedia", 0xADAAC02Eu, 0x11E60398u},
      {"IEND", 0xAE426082u, 0x02D70121u},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Crc32(Bytes(c.input)), c.crc) << c.input;
    EXPECT_EQ(Adler32(Bytes(c.input)), c.adler) << c.input;
  }
  // Long enough that both sums wrap modulo 65521 many times.
  EXPECT_EQ(Adler32(std::vector<std::uint8_t>(100000, 0xFF)), 0x149A302Cu);
}

TEST(PngZlib, StoredStreamsByteForByte) {
  EXPECT_EQ(ZlibStored(Bytes("abc")),
            (std::vector<std::uint8_t>{0x78, 0x01, 0x01, 0x03, 0x00, 0xFC, 0xFF, 'a', 'b', 'c', 0x02, 0x4D, 0x01, 0x27}));
  EXPECT_EQ(ZlibStored({}), (std::vector<std::uint8_t>{0x78, 0x01, 0x01, 0x00, 0x00, 0xFF, 0xFF, 0, 0, 0, 1}));
}

TEST(PngZlib, BlocksSplitAtTheStoredLimit) {
  for (std::size_t size : {65535u, 65536u, 200000u}) {
    std::vector<std::uint8_t> raw(size);
    for (std::size_t i = 0; i < size; ++i) raw[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
    EXPECT_EQ(InflateStored(ZlibStored(raw)), raw) << size;
  }
}

TEST(PngEncode, OnePixelFileHasKnownHeader) {
  const auto chunks = ReadChunks(EncodePng({1, 1, {10, 20, 30}}));
  ASSERT_EQ(chunks.size(), 3u);
  EXPECT_EQ(chunks[0].type, "IHDR");
  EXPECT_EQ(chunks[0].crc, 0x907753DEu);  // the IHDR of every 1x1 8-bit RGB PNG
  EXPECT_EQ(chunks[1].type, "IDAT");
  EXPECT_EQ(InflateStored(chunks[1].data), (std::vector<std::uint8_t>{0, 10, 20, 30}));
  EXPECT_EQ(chunks[2].type, "IEND");
  EXPECT_TRUE(chunks[2].data.empty());
  EXPECT_EQ(chunks[2].crc, 0xAE426082u);
}

TEST(PngEncode, PictureDecodesBack) {
  RgbImage image{300, 97, {}};  // over 65535 bytes of rows, so several stored blocks
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      image.rgb.insert(image.rgb.end(), {static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y),
                                         static_cast<std::uint8_t>(x ^ y)});
    }
  }
  const auto chunks = ReadChunks(EncodePng(image));
  ASSERT_EQ(chunks.size(), 3u);
  for (const auto& c : chunks) {
    std::vector<std::uint8_t> typed(c.type.begin(), c.type.end());
    typed.insert(typed.end(), c.data.begin(), c.data.end());
    EXPECT_EQ(c.crc, Crc32(typed)) << c.type;
  }
  EXPECT_EQ(Be32(chunks[0].data, 0), 300u);
  EXPECT_EQ(Be32(chunks[0].data, 4), 97u);
  EXPECT_EQ(std::vector<std::uint8_t>(chunks[0].data.begin() + 8, chunks[0].data.end()),
            (std::vector<std::uint8_t>{8, 2, 0, 0, 0}));

  const auto rows = InflateStored(chunks[1].data);
  ASSERT_EQ(rows.size(), (300u * 3 + 1) * 97);
  std::vector<std::uint8_t> pixels;
  for (std::size_t y = 0; y < 97; ++y) {
    const auto row = rows.begin() + y * (300 * 3 + 1);
    EXPECT_EQ(*row, 0) << "filter of row " << y;
    pixels.insert(pixels.end(), row + 1, row + 1 + 300 * 3);
  }
  EXPECT_EQ(pixels, image.rgb);
}

TEST(PngEncode, RejectsInconsistentPictures) {
  const RgbImage bad[] = {
      {0, 1, {}},
      {1, 0, {}},
      {-1, 1, {1, 2, 3}},
      {2, 1, {1, 2, 3}},
      {1, 1, {1, 2, 3, 4}},
  };
  for (const auto& image : bad) {
    EXPECT_THROW(EncodePng(image), std::invalid_argument) << image.width << "x" << image.height;
  }
}

}  // namespace
}  // namespace teshmar
