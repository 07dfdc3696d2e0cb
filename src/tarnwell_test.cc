#include "src/tarnwell.h"

#include <gtest/gtest.h>

#include "tests/support/fake_platform.h"

namespace {

// No run can run out of memory on purpose; the report still names it.
TEST(ErrorReportTest, OutOfMemoryIsReportedAsSuch) {
  FakePlatform fake;
  platform::ScopedPlatform scoped(fake);
  fake.out_of_memory = true;
  EXPECT_EQ(RunTarnwell(), 1);
  EXPECT_EQ(fake.standard_error.substr(0, 33), "Exception EOutOfMemory in module ");
  const std::string tail = ".\r\nOut of memory.\r\n\r\n";
  EXPECT_EQ(fake.standard_error.substr(fake.standard_error.size() - tail.size()), tail);
}

}  // namespace
