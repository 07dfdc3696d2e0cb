#include "platform/posix/sample_images.h"

#include <algorithm>

namespace platform {
namespace {

struct Rgb {
  uint8_t red, green, blue;
};

// A picture as a function of its pixel position.
using Painter = Rgb (*)(int x, int y, int width, int height);

Rgb DiagonalSky(int x, int y, int width, int height) {
  return {static_cast<uint8_t>(40 + 160 * x / width), static_cast<uint8_t>(80 + 120 * y / height),
          200};
}

Rgb EveningHills(int x, int y, int width, int height) {
  bool hill = y > height / 2 + (x % 8 < 4 ? x % 8 : 8 - x % 8) - 2;
  if (hill) return {30, static_cast<uint8_t>(90 + 60 * x / width), 40};
  return {static_cast<uint8_t>(250 - 100 * y / height), static_cast<uint8_t>(140 - 60 * y / height),
          90};
}

Rgb Checkers(int x, int y, int, int) {
  return ((x / 4 + y / 4) % 2) ? Rgb{230, 230, 230} : Rgb{50, 60, 120};
}

void AppendLittle16(std::string* out, uint32_t value) {
  out->push_back(static_cast<char>(value & 0xFF));
  out->push_back(static_cast<char>((value >> 8) & 0xFF));
}

void AppendLittle32(std::string* out, uint32_t value) {
  AppendLittle16(out, value & 0xFFFF);
  AppendLittle16(out, value >> 16);
}

void AppendBig32(std::string* out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8)
    out->push_back(static_cast<char>((value >> shift) & 0xFF));
}

// A 24-bit uncompressed BMP: rows bottom-up, blue-green-red, padded to 4 bytes.
std::string Bmp(int width, int height, Painter paint) {
  const uint32_t row_size = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
  const uint32_t pixel_bytes = row_size * static_cast<uint32_t>(height);
  const uint32_t header_size = 14 + 40;
  std::string out = "BM";
  AppendLittle32(&out, header_size + pixel_bytes);
  AppendLittle32(&out, 0);            // reserved
  AppendLittle32(&out, header_size);  // offset of the pixels
  AppendLittle32(&out, 40);           // BITMAPINFOHEADER
  AppendLittle32(&out, static_cast<uint32_t>(width));
  AppendLittle32(&out, static_cast<uint32_t>(height));
  AppendLittle16(&out, 1);   // planes
  AppendLittle16(&out, 24);  // bits per pixel
  AppendLittle32(&out, 0);   // BI_RGB
  AppendLittle32(&out, pixel_bytes);
  AppendLittle32(&out, 2835);  // 72 dpi
  AppendLittle32(&out, 2835);
  AppendLittle32(&out, 0);  // palette colours
  AppendLittle32(&out, 0);  // important colours
  for (int y = height - 1; y >= 0; --y) {
    std::string row;
    for (int x = 0; x < width; ++x) {
      Rgb pixel = paint(x, y, width, height);
      row += static_cast<char>(pixel.blue);
      row += static_cast<char>(pixel.green);
      row += static_cast<char>(pixel.red);
    }
    row.resize(row_size, '\0');
    out += row;
  }
  return out;
}

// A zlib stream of stored (uncompressed) deflate blocks.
std::string StoredZlib(const std::string& data) {
  std::string out = "\x78\x01";  // deflate, 32 KiB window, check bits
  size_t offset = 0;
  do {
    size_t length = std::min<size_t>(data.size() - offset, 65535);
    bool final = offset + length == data.size();
    out.push_back(final ? 1 : 0);  // BFINAL, BTYPE 00
    AppendLittle16(&out, static_cast<uint32_t>(length));
    AppendLittle16(&out, static_cast<uint32_t>(~length & 0xFFFF));
    out.append(data, offset, length);
    offset += length;
  } while (offset < data.size());
  AppendBig32(&out, Adler32(data));
  return out;
}

void AppendChunk(std::string* out, const std::string& type, const std::string& data) {
  AppendBig32(out, static_cast<uint32_t>(data.size()));
  *out += type + data;
  AppendBig32(out, Crc32(type + data));
}

// An 8-bit RGB PNG without interlacing; every row uses filter 0 (none).
std::string Png(int width, int height, Painter paint) {
  std::string header;
  AppendBig32(&header, static_cast<uint32_t>(width));
  AppendBig32(&header, static_cast<uint32_t>(height));
  header += std::string("\x08\x02\x00\x00\x00", 5);  // depth, RGB, deflate, filter, no interlace
  std::string pixels;
  for (int y = 0; y < height; ++y) {
    pixels += '\0';
    for (int x = 0; x < width; ++x) {
      Rgb pixel = paint(x, y, width, height);
      pixels += static_cast<char>(pixel.red);
      pixels += static_cast<char>(pixel.green);
      pixels += static_cast<char>(pixel.blue);
    }
  }
  std::string out = "\x89PNG\r\n\x1a\n";
  AppendChunk(&out, "IHDR", header);
  AppendChunk(&out, "IDAT", StoredZlib(pixels));
  AppendChunk(&out, "IEND", "");
  return out;
}

}  // namespace

uint32_t Crc32(const std::string& bytes) {
  uint32_t crc = 0xFFFFFFFF;
  for (unsigned char byte : bytes) {
    crc ^= byte;
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320 & (0u - (crc & 1)));
  }
  return ~crc;
}

uint32_t Adler32(const std::string& bytes) {
  uint32_t a = 1, b = 0;
  for (unsigned char byte : bytes) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  return (b << 16) | a;
}

std::vector<SampleImage> SampleImages() {
  return {{"img100.png", Png(64, 36, DiagonalSky)},
          {"img101.bmp", Bmp(64, 36, EveningHills)},
          {"img102.png", Png(16, 16, Checkers)}};
}

}  // namespace platform
