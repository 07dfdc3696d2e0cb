// The stock lock-screen images of a fresh prefix, so that a run without
// settings has something to choose.
#ifndef TARNWELL_PLATFORM_POSIX_SAMPLE_IMAGES_H_
#define TARNWELL_PLATFORM_POSIX_SAMPLE_IMAGES_H_

#include <string>
#include <vector>

namespace platform {

struct SampleImage {
  std::string name;   // file name, e.g. "img100.png"
  std::string bytes;  // the whole file
};

std::vector<SampleImage> SampleImages();

}  // namespace platform

#endif  // TARNWELL_PLATFORM_POSIX_SAMPLE_IMAGES_H_
