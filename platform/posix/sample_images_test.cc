#include "platform/posix/sample_images.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

uint32_t Big32(const std::string& bytes, size_t at) {
  return static_cast<uint32_t>(static_cast<unsigned char>(bytes[at])) << 24 |
         static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + 1])) << 16 |
         static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + 2])) << 8 |
         static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + 3]));
}

uint32_t Little32(const std::string& bytes, size_t at) {
  return Big32(std::string{bytes[at + 3], bytes[at + 2], bytes[at + 1], bytes[at]}, 0);
}

TEST(SampleImagesTest, ChecksumsMatchPublishedValues) {
  EXPECT_EQ(Crc32(""), 0u);
  EXPECT_EQ(Crc32("123456789"), 0xCBF43926u);
  EXPECT_EQ(Crc32("IEND"), 0xAE426082u);
  EXPECT_EQ(Adler32(""), 1u);
  EXPECT_EQ(Adler32("Wikipedia"), 0x11E60398u);
  EXPECT_EQ(Adler32(std::string(100000, '\xff')), 0x149A302Cu);
}

// Walks the chunks of a PNG, checking every CRC, and inflates its stored
// deflate blocks to the raw rows.
TEST(SampleImagesTest, PngFilesAreWellFormed) {
  int checked = 0;
  for (const SampleImage& image : SampleImages()) {
    if (image.name.size() < 4 || image.name.substr(image.name.size() - 4) != ".png") continue;
    SCOPED_TRACE(image.name);
    const std::string& png = image.bytes;
    ASSERT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    std::string zlib, types;
    uint32_t width = 0, height = 0;
    size_t at = 8;
    while (at + 12 <= png.size()) {
      uint32_t length = Big32(png, at);
      std::string type = png.substr(at + 4, 4);
      ASSERT_LE(at + 12 + length, png.size());
      EXPECT_EQ(Big32(png, at + 8 + length), Crc32(png.substr(at + 4, 4 + length))) << type;
      if (type == "IHDR") {
        width = Big32(png, at + 8);
        height = Big32(png, at + 12);
        EXPECT_EQ(png.substr(at + 16, 5), std::string("\x08\x02\x00\x00\x00", 5));
      }
      if (type == "IDAT") zlib += png.substr(at + 8, length);
      types += type + " ";
      at += 12 + length;
    }
    EXPECT_EQ(at, png.size());
    EXPECT_EQ(types, "IHDR IDAT IEND ");
    ASSERT_GE(zlib.size(), 2u + 5u + 4u);
    EXPECT_EQ(
        (static_cast<unsigned char>(zlib[0]) * 256 + static_cast<unsigned char>(zlib[1])) % 31, 0);
    EXPECT_EQ(zlib[0] & 0x0F, 8);  // deflate
    std::string raw;
    size_t block = 2;
    bool final = false;
    while (!final) {
      ASSERT_LE(block + 5, zlib.size());
      final = zlib[block] & 1;
      ASSERT_EQ((zlib[block] >> 1) & 3, 0);  // stored
      uint32_t length = Little32(zlib + std::string(2, '\0'), block + 1) & 0xFFFF;
      uint32_t complement = Little32(zlib + std::string(2, '\0'), block + 3) & 0xFFFF;
      ASSERT_EQ(length ^ complement, 0xFFFFu);
      raw += zlib.substr(block + 5, length);
      block += 5 + length;
    }
    ASSERT_EQ(block + 4, zlib.size());
    EXPECT_EQ(Big32(zlib, block), Adler32(raw));
    ASSERT_GT(width, 0u);
    EXPECT_EQ(raw.size(), height * (1 + 3 * width));
    for (uint32_t row = 0; row < height; ++row) EXPECT_EQ(raw[row * (1 + 3 * width)], '\0');
    ++checked;
  }
  EXPECT_GE(checked, 1);
}

TEST(SampleImagesTest, BmpFilesAreWellFormed) {
  int checked = 0;
  for (const SampleImage& image : SampleImages()) {
    if (image.name.substr(image.name.size() - 4) != ".bmp") continue;
    SCOPED_TRACE(image.name);
    const std::string& bmp = image.bytes;
    ASSERT_GE(bmp.size(), 54u);
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    EXPECT_EQ(Little32(bmp, 2), bmp.size());
    EXPECT_EQ(Little32(bmp, 10), 54u);
    EXPECT_EQ(Little32(bmp, 14), 40u);
    uint32_t width = Little32(bmp, 18), height = Little32(bmp, 22);
    EXPECT_EQ(Little32(bmp, 26), 24u << 16 | 1u);  // one plane, 24 bits
    EXPECT_EQ(Little32(bmp, 30), 0u);
    uint32_t row = (width * 3 + 3) / 4 * 4;
    EXPECT_EQ(Little32(bmp, 34), row * height);
    EXPECT_EQ(bmp.size(), 54 + row * height);
    ++checked;
  }
  EXPECT_GE(checked, 1);
}

TEST(SampleImagesTest, NamesAreDistinctStockNames) {
  std::vector<SampleImage> images = SampleImages();
  ASSERT_GE(images.size(), 2u);
  for (size_t i = 0; i < images.size(); ++i)
    for (size_t j = i + 1; j < images.size(); ++j) EXPECT_NE(images[i].name, images[j].name);
}

}  // namespace
}  // namespace platform
