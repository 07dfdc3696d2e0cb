// A test's own temporary folder: the current directory while it lives and, on
// Linux, the home of the emulated prefix (TARNWELL_PREFIX, XDG_DATA_HOME and
// HOME point inside it). Removed at the end, the environment put back.
#ifndef TARNWELL_TESTS_SUPPORT_SCRATCH_H_
#define TARNWELL_TESTS_SUPPORT_SCRATCH_H_

#include <string>

namespace testing_support {

class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();

  const std::string& path() const { return path_; }
  std::string prefix() const { return path_ + "/prefix"; }
  std::string Host(const std::string& name) const { return path_ + "/" + name; }
  std::string Windows(const std::string& name) const;  // as a Windows program names it

 private:
  std::string path_;
  std::string saved_directory_;
};

// Sets, or with null removes, an environment variable until the folder goes.
void SetEnvironment(const char* name, const char* value);
// Whole files by host path; a failed write aborts.
void WriteWholeFile(const std::string& path, const std::string& bytes);
std::string ReadWholeFile(const std::string& path);

}  // namespace testing_support

#endif  // TARNWELL_TESTS_SUPPORT_SCRATCH_H_
