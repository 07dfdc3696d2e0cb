#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/posix/posix_test_support.h"

namespace platform {
namespace {

TEST_F(PosixPlatformTest, AttributesFromTypeNameAndMode) {
  WriteHostFile(Host("plain.jpg"), "x");
  WriteHostFile(Host(".dotted.jpg"), "x");
  WriteHostFile(Host("locked.gif"), "x");
  ASSERT_EQ(chmod(Host("locked.gif").c_str(), 0444), 0);
  MakeHostDirectory(Host("folder"));
  MakeHostDirectory(Host(".config"));
  EXPECT_EQ(AttributesOf(Windows("plain.jpg")), kAttributeArchive);
  EXPECT_EQ(AttributesOf(Windows(".dotted.jpg")), kAttributeArchive | kAttributeHidden);
  EXPECT_EQ(AttributesOf(Windows("locked.gif")), kAttributeArchive | kAttributeReadOnly);
  EXPECT_EQ(AttributesOf(Windows("folder")), kAttributeDirectory);
  EXPECT_EQ(AttributesOf(Windows("folder\\")), kAttributeDirectory);
  EXPECT_EQ(AttributesOf(Windows(".config")), kAttributeDirectory | kAttributeHidden);
  EXPECT_EQ(AttributesOf(windows_root_ + "\\."), kAttributeDirectory);
  EXPECT_EQ(AttributesOf("plain.jpg"), kAttributeArchive);
}

TEST_F(PosixPlatformTest, AttributesFromDosAttrib) {
  for (const char* name :
       {"h.jpg", "s.jpg", "hs.jpg", "ha.jpg", "upper.jpg", "nul.jpg", "binary.jpg", "junk.jpg"})
    WriteHostFile(Host(name), "x");
  if (!SetDosAttributes("h.jpg", "0x2")) GTEST_SKIP() << "no user extended attributes here";
  ASSERT_TRUE(SetDosAttributes("s.jpg", "0x4"));
  ASSERT_TRUE(SetDosAttributes("hs.jpg", "0x6"));
  ASSERT_TRUE(SetDosAttributes("ha.jpg", "0x22"));
  ASSERT_TRUE(SetDosAttributes("upper.jpg", "0X2"));
  ASSERT_TRUE(SetDosAttributes("nul.jpg", std::string("0x4\0", 4)));
  ASSERT_TRUE(SetDosAttributes("binary.jpg", std::string("\x02\x00\x00\x00", 4)));
  ASSERT_TRUE(SetDosAttributes("junk.jpg", "0x2zz"));
  EXPECT_EQ(AttributesOf(Windows("h.jpg")), kAttributeArchive | kAttributeHidden);
  EXPECT_EQ(AttributesOf(Windows("s.jpg")), kAttributeArchive | kAttributeSystem);
  EXPECT_EQ(AttributesOf(Windows("hs.jpg")),
            kAttributeArchive | kAttributeHidden | kAttributeSystem);
  EXPECT_EQ(AttributesOf(Windows("ha.jpg")), kAttributeArchive | kAttributeHidden);
  EXPECT_EQ(AttributesOf(Windows("upper.jpg")), kAttributeArchive | kAttributeHidden);
  EXPECT_EQ(AttributesOf(Windows("nul.jpg")), kAttributeArchive | kAttributeSystem);
  EXPECT_EQ(AttributesOf(Windows("binary.jpg")), kAttributeArchive);
  EXPECT_EQ(AttributesOf(Windows("junk.jpg")), kAttributeArchive);
}

TEST_F(PosixPlatformTest, AttributesOfMissingEntries) {
  uint32_t attributes = 0;
  EXPECT_FALSE(platform_.GetAttributes(Windows("missing.jpg"), &attributes));
  EXPECT_EQ(platform_.LastError(), kErrorFileNotFound);
  EXPECT_FALSE(platform_.GetAttributes(Windows("missing\\x.jpg"), &attributes));
  EXPECT_EQ(platform_.LastError(), kErrorPathNotFound);
  EXPECT_FALSE(platform_.GetAttributes("D:\\x.jpg", &attributes));
  EXPECT_EQ(platform_.LastError(), kErrorPathNotFound);
}

}  // namespace
}  // namespace platform
