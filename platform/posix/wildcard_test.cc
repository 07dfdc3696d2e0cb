#include "platform/posix/wildcard.h"

#include <gtest/gtest.h>

#include <chrono>

namespace platform {
namespace {

struct Case {
  const char* mask;
  const char* name;
  bool matches;
};

TEST(WildcardTest, MatchesLikeFindFirstFile) {
  const Case cases[] = {
      {"*.jpg", "a.jpg", true},
      {"*.jpg", "A.JPG", true},
      {"*.JPG", "photo.jpg", true},
      {"*.jpg", ".jpg", true},
      {"*.jpg", "a.jpeg", false},
      {"*.jpg", "a.jpg.bak", false},
      {"*.jpg", "a.jpgx", false},
      {"*.jpg", "jpg", false},
      {"*.jpeg", "x.JpEg", true},
      {"*.png", "a.b.c.png", true},
      {"*", "anything", true},
      {"*", ".hidden", true},
      {"*.*", "noextension", true},
      {"*.*", "a.b", true},
      {"a?c", "abc", true},
      {"a?c", "ac", false},
      {"a?c", "abbc", false},
      {"??", "ab", true},
      {"??", "a", false},
      {"*a*b*", "xxaxxbxx", true},
      {"*a*b*", "xxbxxaxx", false},
      {"*ab", "aab", true},
      {"*ab", "abab", true},
      {"*ab", "abba", false},
      {"exact.txt", "EXACT.TXT", true},
      {"exact.txt", "exact.txt2", false},
      {"", "", true},
      {"", "a", false},
      {"**", "", true},
      // Case folding is for ASCII letters only.
      {"\xc3\xa9.jpg", "\xc3\x89.jpg", false},
      {"[ab].jpg", "[ab].jpg", true},
      {"[ab].jpg", "a.jpg", false},
  };
  for (const Case& test : cases)
    EXPECT_EQ(MatchesWildcard(test.mask, test.name), test.matches)
        << "mask \"" << test.mask << "\" name \"" << test.name << "\"";
}

TEST(WildcardTest, ManyStarsDoNotBacktrackExponentially) {
  std::string mask;
  for (int i = 0; i < 30; ++i) mask += "*a";
  mask += "b";
  std::string name(5000, 'a');
  // Exponential backtracking would never finish; correct matching is instant.
  EXPECT_FALSE(MatchesWildcard(mask, name));
  EXPECT_TRUE(MatchesWildcard(mask, name + "b"));
}

}  // namespace
}  // namespace platform
