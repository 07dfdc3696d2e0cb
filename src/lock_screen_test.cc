#include "src/lock_screen.h"

#include <gtest/gtest.h>

#include "tests/support/fake_platform.h"

namespace {

// No run can make the shell answer exactly 32, nor accept a launch without
// giving a process to wait for.
TEST(RunElevatedTest, OnlyResultsAbove32AreLaunchesAndOnlyAnEndedOneSucceeds) {
  FakePlatform fake;
  platform::ScopedPlatform scoped(fake);
  fake.shell_result = 33;
  EXPECT_TRUE(RunElevated("ADD x"));
  EXPECT_FALSE(RunElevatedAndWait("IMPORT x.reg"));
  fake.shell_result = 32;
  EXPECT_FALSE(RunElevated("ADD x"));
}

}  // namespace
