#include "src/settings.h"

#include <gtest/gtest.h>

#include "tests/support/fake_platform.h"

namespace {

TEST(SettingsTest, KeyIsOpenedForReadingInThe32BitView) {
  FakePlatform fake;
  platform::ScopedPlatform scoped(fake);
  TSettings().Load();
  // KEY_READ with KEY_WOW64_32KEY: this test is a 64-bit build.
  EXPECT_EQ(fake.key_opens(),
            (std::vector<FakePlatform::KeyOpen>{
                {platform::kHkeyLocalMachine, "SOFTWARE\\Quorvane\\Lumivale", 0x20219}}));
}

}  // namespace
