#include "platform/posix/drive.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "platform/posix/posix_test_support.h"
#include "platform/posix/prefix.h"

namespace platform {
namespace {

class DriveTest : public PrefixTest {};

TEST_F(DriveTest, MapsDrivesCAndZ) {
  EXPECT_EQ(HostPath("C:\\Windows\\Web\\Screen"), prefix_ + "/drive_c/Windows/Web/Screen");
  EXPECT_EQ(HostPath("c:/Windows/Web/Screen/"), prefix_ + "/drive_c/Windows/Web/Screen/");
  EXPECT_EQ(HostPath("C:\\"), prefix_ + "/drive_c/");
  EXPECT_EQ(HostPath("Z:\\etc\\hosts"), "/etc/hosts");
  EXPECT_EQ(HostPath("z:/etc//hosts"), "/etc/hosts");
  EXPECT_EQ(HostPath("Z:\\"), "/");
  EXPECT_EQ(HostPath("C:\\a\\..\\..\\b"), prefix_ + "/drive_c/b");
}

TEST_F(DriveTest, OtherDrivesDoNotExist) {
  EXPECT_EQ(HostPath("D:\\data"), "");
  EXPECT_EQ(HostPath("a:"), "");
  EXPECT_EQ(HostPath("\\\\server\\share\\file"), "");
  EXPECT_EQ(HostPath(""), "");
}

TEST_F(DriveTest, RelativeAndRootedPathsFollowTheCurrentDirectory) {
  EXPECT_EQ(HostPath("tarnwell.log"), root_ + "/tarnwell.log");
  EXPECT_EQ(HostPath("sub\\..\\reg.dat"), root_ + "/reg.dat");
  EXPECT_EQ(HostPath(".\\a/b"), root_ + "/a/b");
  EXPECT_EQ(HostPath("\\reg.dat"), "/reg.dat");
  ASSERT_EQ(chdir((prefix_ + "/drive_c/Windows").c_str()), 0);
  EXPECT_EQ(HostPath("Web"), prefix_ + "/drive_c/Windows/Web");
  EXPECT_EQ(HostPath("\\reg.dat"), prefix_ + "/drive_c/reg.dat");
  EXPECT_EQ(HostPath("..\\..\\.."), prefix_ + "/drive_c/");
  EXPECT_EQ(HostPath("c:Web"), prefix_ + "/drive_c/Windows/Web");
  EXPECT_EQ(HostPath("Z:tmp"), "/tmp");
}

TEST_F(DriveTest, WindowsPathsOfHostPaths) {
  EXPECT_EQ(WindowsPath(prefix_ + "/drive_c"), "C:\\");
  EXPECT_EQ(WindowsPath(prefix_ + "/drive_c/"), "C:\\");
  EXPECT_EQ(WindowsPath(prefix_ + "/drive_c/Windows/Web"), "C:\\Windows\\Web");
  EXPECT_EQ(WindowsPath(prefix_ + "/drive_c_not"), windows_root_ + "\\prefix\\drive_c_not");
  EXPECT_EQ(WindowsPath(prefix_), windows_root_ + "\\prefix");
  EXPECT_EQ(WindowsPath("/"), "Z:\\");
  EXPECT_EQ(WindowsPath("/usr//bin/"), "Z:\\usr\\bin\\");
}

TEST_F(DriveTest, RoundTripsBothWays) {
  for (const char* path : {"C:\\Windows\\Web\\Screen\\img100.png", "Z:\\usr\\share", "C:\\"})
    EXPECT_EQ(WindowsPath(HostPath(path)), path);
}

TEST_F(DriveTest, DriveCThroughALinkedPrefix) {
  std::string link = root_ + "/linked";
  ASSERT_EQ(symlink(prefix_.c_str(), link.c_str()), 0);
  PrefixDirectory();  // creates the real prefix
  setenv("TARNWELL_PREFIX", link.c_str(), 1);
  // The current directory comes back resolved, through the link's target.
  EXPECT_EQ(WindowsPath(prefix_ + "/drive_c/Windows"), "C:\\Windows");
  EXPECT_EQ(WindowsPath(link + "/drive_c/Windows"), "C:\\Windows");
  EXPECT_EQ(HostPath("C:\\Windows"), link + "/drive_c/Windows");
}

}  // namespace
}  // namespace platform
