#include "platform/posix/sample_images.h"

namespace platform {

std::vector<SampleImage> SampleImages() {
  // Images are only found and named, never decoded: each file holds no more
  // than the signature of its format.
  const std::string png("\x89PNG\r\n\x1a\n", 8);
  return {{"img100.png", png}, {"img101.bmp", "BM"}, {"img102.png", png}};
}

}  // namespace platform
