// A test's own temporary folder. While it lives it is the current directory
// and, on Linux, holds the emulated Windows' prefix: TARNWELL_PREFIX,
// XDG_DATA_HOME and HOME all point inside it, so nothing the test does lands
// outside. It is removed with everything in it at the end, and the
// environment is put back as it was.
#ifndef TARNWELL_TESTS_SUPPORT_SCRATCH_H_
#define TARNWELL_TESTS_SUPPORT_SCRATCH_H_

#include <string>

namespace testing_support {

class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  // Host paths of the folder, of the prefix in it and of an entry in it.
  const std::string& path() const { return path_; }
  std::string prefix() const { return path_ + "/prefix"; }
  std::string Host(const std::string& name) const { return path_ + "/" + name; }
  // An entry's path as a Windows program names it.
  std::string Windows(const std::string& name) const;

 private:
  std::string path_;
  std::string saved_directory_;
};

// Sets (or, with null, removes) an environment variable until the scratch
// folder goes.
void SetEnvironment(const char* name, const char* value);

// Whole files by host path; WriteWholeFile aborts the test program on failure.
void WriteWholeFile(const std::string& path, const std::string& bytes);
std::string ReadWholeFile(const std::string& path);

}  // namespace testing_support

#endif  // TARNWELL_TESTS_SUPPORT_SCRATCH_H_
