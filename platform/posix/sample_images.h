// Small images made in code, seeded as the stock lock-screen pictures of a
// fresh prefix.
#ifndef TARNWELL_PLATFORM_POSIX_SAMPLE_IMAGES_H_
#define TARNWELL_PLATFORM_POSIX_SAMPLE_IMAGES_H_

#include <string>
#include <vector>

namespace platform {

struct SampleImage {
  std::string name;   // file name, e.g. "img100.bmp"
  std::string bytes;  // the whole file
};

std::vector<SampleImage> SampleImages();

}  // namespace platform

#endif  // TARNWELL_PLATFORM_POSIX_SAMPLE_IMAGES_H_
