#include "platform/platform.h"

namespace platform {
namespace {
Platform* installed = nullptr;
}  // namespace

Platform& Current() { return installed ? *installed : RealPlatform(); }

ScopedPlatform::ScopedPlatform(Platform& platform) : previous_(installed) { installed = &platform; }

ScopedPlatform::~ScopedPlatform() { installed = previous_; }

}  // namespace platform
