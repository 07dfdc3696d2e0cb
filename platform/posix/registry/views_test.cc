#include "platform/posix/registry/views.h"

#include <gtest/gtest.h>

namespace registry {
namespace {

using platform::kHkeyCurrentUser;
using platform::kHkeyLocalMachine;

TEST(ViewsTest, SixtyFourBitViewIsThePlainPath) {
  EXPECT_EQ(ResolveView(kHkeyLocalMachine, "SOFTWARE\\Quorvane\\Lumivale", false),
            "SOFTWARE\\Quorvane\\Lumivale");
  EXPECT_EQ(ResolveView(kHkeyLocalMachine, "\\SYSTEM\\\\x\\", true), "SYSTEM\\x");
}

TEST(ViewsTest, ThirtyTwoBitViewOfSoftwareIsWow6432Node) {
  EXPECT_EQ(ResolveView(kHkeyLocalMachine, "SOFTWARE\\Quorvane\\Lumivale", true),
            "SOFTWARE\\Wow6432Node\\Quorvane\\Lumivale");
  EXPECT_EQ(ResolveView(kHkeyLocalMachine, "software", true), "software\\Wow6432Node");
  // Naming WOW6432Node does not redirect twice.
  EXPECT_EQ(ResolveView(kHkeyLocalMachine, "SOFTWARE\\WOW6432Node\\Q", true),
            "SOFTWARE\\WOW6432Node\\Q");
}

TEST(ViewsTest, SharedKeysAreOneKeyInBothViews) {
  const char* personalization = "SOFTWARE\\Policies\\Microsoft\\Windows\\Personalization";
  EXPECT_EQ(ResolveView(kHkeyLocalMachine, personalization, true), personalization);
  EXPECT_EQ(ResolveView(kHkeyLocalMachine, personalization, false), personalization);
  EXPECT_EQ(ResolveView(kHkeyLocalMachine, "SOFTWARE\\Wow6432Node\\policies\\x", false),
            "SOFTWARE\\policies\\x");
  EXPECT_EQ(ResolveView(kHkeyLocalMachine,
                        "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System", true),
            "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System");
  // A key that only starts like a shared one is redirected.
  EXPECT_EQ(ResolveView(kHkeyLocalMachine, "SOFTWARE\\PoliciesX", true),
            "SOFTWARE\\Wow6432Node\\PoliciesX");
}

TEST(ViewsTest, ClassesHaveTheirOwnNode) {
  EXPECT_EQ(ResolveView(kHkeyLocalMachine, "SOFTWARE\\Classes\\.txt", true),
            "SOFTWARE\\Classes\\Wow6432Node\\.txt");
  EXPECT_EQ(ResolveView(kHkeyLocalMachine, "SOFTWARE\\Classes\\TypeLib\\x", true),
            "SOFTWARE\\Classes\\TypeLib\\x");
  EXPECT_EQ(ResolveView(kHkeyLocalMachine, "SOFTWARE\\Wow6432Node\\Classes\\.txt", false),
            "SOFTWARE\\Classes\\Wow6432Node\\.txt");
}

TEST(ViewsTest, CurrentUserIsNotRedirected) {
  EXPECT_EQ(ResolveView(kHkeyCurrentUser, "Software\\Quorvane", true), "Software\\Quorvane");
}

}  // namespace
}  // namespace registry
