// Small pictures made in code, seeded as the stock lock-screen images of a
// fresh prefix, so that a run without settings has something to choose.
#ifndef TARNWELL_PLATFORM_POSIX_SAMPLE_IMAGES_H_
#define TARNWELL_PLATFORM_POSIX_SAMPLE_IMAGES_H_

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

struct SampleImage {
  std::string name;   // file name, e.g. "img100.png"
  std::string bytes;  // the whole file
};

std::vector<SampleImage> SampleImages();

// The checksums a PNG file needs: CRC-32 of its chunks (ISO 3309) and Adler-32
// of its zlib stream.
uint32_t Crc32(const std::string& bytes);
uint32_t Adler32(const std::string& bytes);

}  // namespace platform

#endif  // TARNWELL_PLATFORM_POSIX_SAMPLE_IMAGES_H_
