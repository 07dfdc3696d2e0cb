#include "tests/support/temporary_directory.h"

#include <stdlib.h>

#include <filesystem>

#include "platform/posix/drive.h"

TemporaryDirectory::TemporaryDirectory() {
  std::string pattern = std::filesystem::temp_directory_path().string() + "/tarnwell-test-XXXXXX";
  host_ = mkdtemp(pattern.data());
  setenv("TARNWELL_PREFIX", (host_ + "/prefix").c_str(), 1);
  windows_ = platform::WindowsPath(host_);
}

TemporaryDirectory::~TemporaryDirectory() {
  std::error_code ignored;
  std::filesystem::remove_all(host_, ignored);
}
