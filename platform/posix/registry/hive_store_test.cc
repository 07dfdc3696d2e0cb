// What Wine cannot show of the emulated registry's hive files: a failed write
// leaves the old hive, and a damaged hive is named and never written over.
#include "platform/posix/registry/hive_store.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "tests/support/scratch.h"

namespace registry {
namespace {

class HiveStoreTest : public ::testing::Test {
 protected:
  bool SetValue(const std::string& name, const std::string& data) {
    HiveSession session(folder_.path(), HiveSession::Mode::kWrite);
    std::string error;
    Key* hive = session.HiveForChange(platform::kHkeyCurrentUser, &error);
    if (hive != nullptr) hive->Create("Software\\A")->SetValue(name, platform::kRegSz, data);
    return hive != nullptr && session.Commit(&error);
  }
  std::string Hive() { return testing_support::ReadWholeFile(folder_.Host("user.reg")); }
  size_t Entries() {
    auto entries = std::filesystem::directory_iterator(folder_.path());
    return std::distance(begin(entries), end(entries));
  }
  // Runs `child` in a forked process; true when it exits with 0.
  template <typename Child>
  static bool InChild(Child child) {
    if (fork() == 0) _exit(child());
    int status = 0;
    return wait(&status) > 0 && status == 0;
  }

  testing_support::ScratchFolder folder_;
};

TEST_F(HiveStoreTest, FailedWriteLeavesTheOldHiveAndNoTemporaryFile) {
  ASSERT_TRUE(SetValue("v", "x"));
  const std::string before = Hive();
  ASSERT_EQ(Entries(), 2u);  // the hive and the lock
  for (bool ignore_signal : {false, true}) {
    EXPECT_FALSE(InChild([&] {
      if (ignore_signal) signal(SIGXFSZ, SIG_IGN);
      struct rlimit limit = {100, 100};
      setrlimit(RLIMIT_FSIZE, &limit);
      return SetValue("big", std::string(1000, 'x')) ? 0 : 1;
    }));
    EXPECT_EQ(Hive(), before);
    EXPECT_EQ(Entries(), 2u);
  }
}

TEST_F(HiveStoreTest, DamagedHivesAreNamedAndNeverOverwritten) {
  ASSERT_TRUE(SetValue("v", "x"));
  const std::string good = Hive();
  for (const std::string& bytes :
       {good.substr(0, good.size() - 5), good + "garbage\n", std::string("\x01\x02garbage"),
        std::string(
            "Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\X]\n;; end of hive\n")}) {
    testing_support::WriteWholeFile(folder_.Host("user.reg"), bytes);
    EXPECT_FALSE(SetValue("w", "y"));
    HiveSession session(folder_.path(), HiveSession::Mode::kRead);
    std::string error;
    EXPECT_EQ(session.Hive(platform::kHkeyCurrentUser, &error), nullptr);
    EXPECT_NE(error.find(folder_.Host("user.reg")), std::string::npos) << error;
    EXPECT_EQ(Hive(), bytes);
  }
}

}  // namespace
}  // namespace registry
