#include "platform/posix/full_path.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

struct Case {
  const char* path;
  const char* current;
  const char* full;
};

TEST(FullPathTest, FormsPathsAsGetFullPathNameDoes) {
  const Case cases[] = {
      {"C:\\Windows\\Web", "Z:\\tmp", "C:\\Windows\\Web"},
      {"c:/Windows/Web/", "Z:\\tmp", "c:\\Windows\\Web\\"},
      {"C:", "Z:\\tmp", "C:\\"},
      {"C:\\", "Z:\\tmp", "C:\\"},
      {"file.txt", "Z:\\tmp\\work", "Z:\\tmp\\work\\file.txt"},
      {"sub\\..\\file.txt", "Z:\\tmp", "Z:\\tmp\\file.txt"},
      {".\\a\\.\\b", "C:\\users", "C:\\users\\a\\b"},
      {"..\\..\\..\\..\\x", "Z:\\tmp\\work", "Z:\\x"},
      {"..", "Z:\\", "Z:\\"},
      {".", "Z:\\tmp", "Z:\\tmp"},
      {"\\reg.dat", "C:\\users\\me", "C:\\reg.dat"},
      {"/tarnwell.log", "Z:\\tmp", "Z:\\tarnwell.log"},
      {"\\", "C:\\users", "C:\\"},
      {"C:\\a\\\\b//c", "Z:\\", "C:\\a\\b\\c"},
      // Drive-relative: the current directory on the current drive only.
      {"z:name", "Z:\\tmp", "Z:\\tmp\\name"},
      {"C:name", "Z:\\tmp", "C:\\name"},
      // Trailing dots and blanks of the last name go; a directory loses one dot.
      {"C:\\dir\\name. .", "Z:\\", "C:\\dir\\name"},
      {"C:\\dir.\\name", "Z:\\", "C:\\dir\\name"},
      {"C:\\a\\b\\..", "Z:\\", "C:\\a"},
      {"C:\\a\\b\\..\\", "Z:\\", "C:\\a\\"},
      {"\\\\server\\share\\x\\..\\y", "Z:\\", "\\\\server\\share\\y"},
      {"", "Z:\\tmp", ""},
  };
  for (const Case& test : cases)
    EXPECT_EQ(FullWindowsPath(test.path, test.current), test.full)
        << "path \"" << test.path << "\" in \"" << test.current << "\"";
}

}  // namespace
}  // namespace platform
