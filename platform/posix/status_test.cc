#include <gtest/gtest.h>

#include "platform/posix/posix_test_support.h"

namespace platform {
namespace {

TEST_F(PosixPlatformTest, ErrorTextIsTheSystemsEnglishText) {
  EXPECT_EQ(platform_.ErrorText(kErrorFileNotFound),
            "The system cannot find the file specified.\r\n");
  EXPECT_EQ(platform_.ErrorText(kErrorPathNotFound),
            "The system cannot find the path specified.\r\n");
  EXPECT_EQ(platform_.ErrorText(kErrorAccessDenied), "Access is denied.\r\n");
  EXPECT_EQ(platform_.ErrorText(kErrorSharingViolation),
            "The process cannot access the file because it is being used by another "
            "process.\r\n");
  EXPECT_EQ(platform_.ErrorText(kErrorDiskFull), "There is not enough space on the disk.\r\n");
  EXPECT_EQ(platform_.ErrorText(0xDEADBEEF), "");
  // Every code the file operations report has a text.
  for (uint32_t code : {0u, 4u, 6u, 8u, 17u, 31u, 80u, 87u, 131u, 145u, 206u, 1117u, 1921u}) {
    std::string text = platform_.ErrorText(code);
    ASSERT_GE(text.size(), 4u) << code;
    EXPECT_EQ(text.substr(text.size() - 3), ".\r\n") << code;
  }
}

}  // namespace
}  // namespace platform
