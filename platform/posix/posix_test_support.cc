#include "platform/posix/posix_test_support.h"

#include <ftw.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace platform {
namespace {

int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) { return remove(path); }

}  // namespace

void PrefixTest::SetUp() {
  char directory[] = "/tmp/tarnwell_posix_XXXXXX";
  ASSERT_NE(mkdtemp(directory), nullptr);
  root_ = directory;
  prefix_ = root_ + "/prefix";
  windows_root_ = "Z:" + root_;
  for (char& c : windows_root_)
    if (c == '/') c = '\\';
  char current[PATH_MAX];
  ASSERT_NE(getcwd(current, sizeof current), nullptr);
  saved_directory_ = current;
  const char* prefix = std::getenv("TARNWELL_PREFIX");
  had_prefix_ = prefix != nullptr;
  if (had_prefix_) saved_prefix_ = prefix;
  setenv("TARNWELL_PREFIX", prefix_.c_str(), 1);
  ASSERT_EQ(chdir(root_.c_str()), 0);
}

void PrefixTest::TearDown() {
  if (chdir(saved_directory_.c_str()) != 0)
    ADD_FAILURE() << "cannot return to " << saved_directory_;
  if (had_prefix_)
    setenv("TARNWELL_PREFIX", saved_prefix_.c_str(), 1);
  else
    unsetenv("TARNWELL_PREFIX");
  if (!root_.empty()) RemoveTree(root_);
}

bool PosixPlatformTest::SetDosAttributes(const std::string& name, const std::string& text) {
  return setxattr(Host(name).c_str(), "user.DOSATTRIB", text.data(), text.size(), 0) == 0;
}

uint32_t PosixPlatformTest::AttributesOf(const std::string& windows_path) {
  uint32_t attributes = 0xDEAD;
  EXPECT_TRUE(platform_.GetAttributes(windows_path, &attributes)) << windows_path;
  return attributes;
}

void WriteHostFile(const std::string& path, const std::string& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << bytes;
  ASSERT_TRUE(file.good()) << path;
}

std::string ReadHostFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

void MakeHostDirectory(const std::string& path) { ASSERT_EQ(mkdir(path.c_str(), 0777), 0) << path; }

void RemoveTree(const std::string& path) {
  // Read-only entries are removable by their owner's directory rights.
  nftw(path.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
}

}  // namespace platform
