// A throw-away emulated Windows for the fuzz targets that run the `reg`
// stand-in: a prefix and a working directory in a temporary directory, both
// removed at exit, and two small hives written afresh before every input.
#ifndef TARNWELL_FUZZ_SANDBOX_H_
#define TARNWELL_FUZZ_SANDBOX_H_

#include <string>

namespace fuzz {

class Sandbox {
 public:
  // Creates the directories and points TARNWELL_PREFIX at the prefix. The
  // current directory stays as it was: libFuzzer reads its inputs by the
  // paths it was given.
  static Sandbox& Get();

  const std::string& prefix() const { return prefix_; }
  // A file in the working directory, by its host path and as reg names it.
  std::string HostFile(const std::string& name) const { return work_ + "/" + name; }
  std::string WindowsFile(const std::string& name) const;
  // Puts back the seed hives and removes every other file in the prefix's
  // top level and the working directory.
  void Reset();
  // Aborts with the hive's error when a hive file no longer parses.
  void CheckHivesReadable() const;

 private:
  Sandbox();
  std::string root_;
  std::string prefix_;
  std::string work_;
  std::string machine_hive_;
  std::string user_hive_;
};

// Writes `bytes` to `path`, aborting on failure.
void WriteFileOrDie(const std::string& path, const std::string& bytes);

}  // namespace fuzz

#endif  // TARNWELL_FUZZ_SANDBOX_H_
