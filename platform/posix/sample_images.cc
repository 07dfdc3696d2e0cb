#include "platform/posix/sample_images.h"

namespace platform {

std::vector<SampleImage> SampleImages() { return {}; }

}  // namespace platform
