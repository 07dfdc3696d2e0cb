// A test's own temporary folder: the current directory while it lives and, on
// Linux, the home of the emulated prefix (TARNWELL_PREFIX, XDG_DATA_HOME and
// HOME point inside it). Removed at the end, the environment put back.
// Also the waiting for launched programs.
#ifndef TARNWELL_TESTS_SUPPORT_SCRATCH_H_
#define TARNWELL_TESTS_SUPPORT_SCRATCH_H_

#include <chrono>
#include <string>
#include <thread>

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

// Waits up to a minute for a launched program's effect, as nothing waits for
// a launch; true once `done` holds.
template <typename Done>
bool Eventually(Done done) {
  for (int tries = 0; tries < 600 && !done(); ++tries)
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  return done();
}

}  // namespace testing_support

#endif  // TARNWELL_TESTS_SUPPORT_SCRATCH_H_
