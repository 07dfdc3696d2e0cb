#include "src/images.h"

#include <gtest/gtest.h>

#include "tests/support/fake_platform.h"

namespace {

// The program's masks are fixed, so only this table shows how a list splits.
TEST(SplitMasksTest, SplitsAtRunsOfSeparatorsAndHonoursQuotes) {
  struct Case {
    const char* masks;
    std::vector<std::string> items;
  };
  const Case cases[] = {
      {"*.jpg *.jpeg *.png", {"*.jpg", "*.jpeg", "*.png"}},
      {"  \t ", {}},
      {" a\t\tb\x01"
       "c  ",
       {"a", "b", "c"}},
      {"\"my pics*.jpg\" x", {"my pics*.jpg", "x"}},
      {"\"say \"\"hi\"\"\"", {"say \"hi\""}},
      {"\"ab\"cd e", {"abcd", "e"}},
      {"\"open to the end", {"open to the end"}},
  };
  for (const Case& c : cases) EXPECT_EQ(SplitMasks(c.masks), c.items) << c.masks;
  std::vector<std::string> found = {"stale"};
  EXPECT_FALSE(FindImageFiles("C:\\", "", found));  // no mask, no search
  EXPECT_TRUE(found.empty());
}

TEST(RandomTest, StepsTheGeneratorAndScalesByTheUpperHalf) {
  struct Case {
    uint32_t seed, count, state, index;
  };
  const Case cases[] = {
      {0, 10, 1, 0},
      {1, 100, 0x08088406, 3},
      {0x23456789, 3, 0xFE05A9AE, 2},
      {0xFFFFFFFF, 1, 0xF7F77BFC, 0},
      {0xFFFFFFFF, 0xFFFFFFFF, 0xF7F77BFC, 4160191483u},
  };
  for (const Case& c : cases) {
    RandSeed = c.seed;
    EXPECT_EQ(RandomIndex(c.count), c.index) << c.seed;
    EXPECT_EQ(RandSeed, c.state) << c.seed;
  }
}

TEST(RandomTest, SeedsFromTheCounterOrElseTheTickCount) {
  FakePlatform fake;
  platform::ScopedPlatform scoped(fake);
  fake.performance_counter = 0x123456789ull;
  fake.tick_count = 77;
  Randomize();
  EXPECT_EQ(RandSeed, 0x23456789u);
  fake.performance_counter.reset();
  Randomize();
  EXPECT_EQ(RandSeed, 77u);
}

}  // namespace
