// A fresh host directory for one test, removed with its contents; the
// emulated Windows's prefix lives inside it while it exists.
#ifndef TARNWELL_TESTS_SUPPORT_TEMPORARY_DIRECTORY_H_
#define TARNWELL_TESTS_SUPPORT_TEMPORARY_DIRECTORY_H_

#include <string>

class TemporaryDirectory {
 public:
  TemporaryDirectory();
  ~TemporaryDirectory();
  const std::string& host() const { return host_; }
  const std::string& windows() const { return windows_; }
  std::string WindowsFile(const std::string& name) const { return windows_ + "\\" + name; }

 private:
  std::string host_;
  std::string windows_;
};

#endif  // TARNWELL_TESTS_SUPPORT_TEMPORARY_DIRECTORY_H_
