#include "platform/posix/prefix.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

#include "platform/posix/posix_test_support.h"
#include "platform/posix/sample_images.h"

namespace platform {
namespace {

class PrefixDirectoryTest : public PrefixTest {};

std::vector<std::string> Listing(const std::string& directory) {
  std::vector<std::string> names;
  if (DIR* dir = opendir(directory.c_str())) {
    while (dirent* entry = readdir(dir))
      if (entry->d_name[0] != '.' || (entry->d_name[1] && entry->d_name[1] != '.'))
        names.push_back(entry->d_name);
    closedir(dir);
  }
  std::sort(names.begin(), names.end());
  return names;
}

bool HasAllSampleImages(const std::string& prefix) {
  for (const SampleImage& image : SampleImages())
    if (ReadHostFile(prefix + "/drive_c/Windows/Web/Screen/" + image.name) != image.bytes)
      return false;
  return true;
}

TEST_F(PrefixDirectoryTest, CreatesTheGivenPrefixWithSampleImages) {
  setenv("TARNWELL_PREFIX", (prefix_ + "/deeper/").c_str(), 1);
  EXPECT_EQ(PrefixDirectory(), prefix_ + "/deeper");
  EXPECT_TRUE(HasAllSampleImages(prefix_ + "/deeper"));
  EXPECT_EQ(Listing(prefix_ + "/deeper"), std::vector<std::string>{"drive_c"});
}

TEST_F(PrefixDirectoryTest, KeepsAnExistingDriveC) {
  MakeHostDirectory(prefix_);
  MakeHostDirectory(prefix_ + "/drive_c");
  WriteHostFile(prefix_ + "/drive_c/mine.txt", "x");
  EXPECT_EQ(PrefixDirectory(), prefix_);
  EXPECT_EQ(Listing(prefix_ + "/drive_c"), std::vector<std::string>{"mine.txt"});
}

TEST_F(PrefixDirectoryTest, FallsBackToTheDataHome) {
  unsetenv("TARNWELL_PREFIX");
  const char* old_data = std::getenv("XDG_DATA_HOME");
  const char* old_home = std::getenv("HOME");
  std::string saved_data = old_data ? old_data : "", saved_home = old_home ? old_home : "";
  setenv("XDG_DATA_HOME", (root_ + "/data").c_str(), 1);
  EXPECT_EQ(PrefixDirectory(), root_ + "/data/tarnwell");
  EXPECT_TRUE(HasAllSampleImages(root_ + "/data/tarnwell"));
  unsetenv("XDG_DATA_HOME");
  setenv("HOME", (root_ + "/home").c_str(), 1);
  EXPECT_EQ(PrefixDirectory(), root_ + "/home/.local/share/tarnwell");
  EXPECT_TRUE(HasAllSampleImages(root_ + "/home/.local/share/tarnwell"));
  if (old_data) setenv("XDG_DATA_HOME", saved_data.c_str(), 1);
  if (old_home) setenv("HOME", saved_home.c_str(), 1);
}

// Processes starting together each find a complete drive_c and leave nothing
// of their own behind.
TEST_F(PrefixDirectoryTest, SimultaneousCreationIsSafe) {
  int go[2];
  ASSERT_EQ(pipe(go), 0);
  std::vector<pid_t> children;
  for (int i = 0; i < 8; ++i) {
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      close(go[1]);
      char byte;
      if (read(go[0], &byte, 1) != 0) _exit(3);
      _exit(PrefixDirectory() == prefix_ && HasAllSampleImages(prefix_) ? 0 : 1);
    }
    children.push_back(child);
  }
  close(go[0]);
  close(go[1]);  // releases every child at once
  for (pid_t child : children) {
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  EXPECT_EQ(Listing(prefix_), std::vector<std::string>{"drive_c"});
  EXPECT_EQ(Listing(prefix_ + "/drive_c/Windows/Web/Screen").size(), SampleImages().size());
}

}  // namespace
}  // namespace platform
