// Fixtures for tests of the emulated Windows: a fresh prefix and a fresh
// working directory per test, both removed afterwards.
#ifndef TARNWELL_PLATFORM_POSIX_POSIX_TEST_SUPPORT_H_
#define TARNWELL_PLATFORM_POSIX_POSIX_TEST_SUPPORT_H_

#include <gtest/gtest.h>

#include <string>

#include "platform/posix/posix_platform.h"

namespace platform {

class PrefixTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Host paths: the test's own directory (the current directory while the
  // test runs), and TARNWELL_PREFIX inside it.
  std::string root_;
  std::string prefix_;
  // The Windows path of root_.
  std::string windows_root_;
  PosixPlatform platform_;

 private:
  std::string saved_directory_;
  std::string saved_prefix_;
  bool had_prefix_ = false;
};

// The same, with paths and attributes of the entries in the test's directory.
class PosixPlatformTest : public PrefixTest {
 protected:
  // The Windows path of an entry of the test's directory.
  std::string Windows(const std::string& name) { return windows_root_ + "\\" + name; }
  std::string Host(const std::string& name) { return root_ + "/" + name; }

  // Sets user.DOSATTRIB as Wine writes it; false where the file system
  // keeps no user attributes.
  bool SetDosAttributes(const std::string& name, const std::string& text);

  uint32_t AttributesOf(const std::string& windows_path);
};

void WriteHostFile(const std::string& path, const std::string& bytes);
std::string ReadHostFile(const std::string& path);
void MakeHostDirectory(const std::string& path);
void RemoveTree(const std::string& path);

}  // namespace platform

#endif  // TARNWELL_PLATFORM_POSIX_POSIX_TEST_SUPPORT_H_
