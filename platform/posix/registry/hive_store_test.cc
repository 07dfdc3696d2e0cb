// What Wine cannot show of the emulated registry's hive files: writers share
// them through the lock, a failed write leaves the old hive, and a damaged
// hive is named and never written over.
#include "platform/posix/registry/hive_store.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "tests/support/scratch.h"

namespace registry {
namespace {

using platform::kHkeyCurrentUser;
using testing_support::ReadWholeFile;
using testing_support::WriteWholeFile;

class HiveStoreTest : public ::testing::Test {
 protected:
  bool SetValue(const std::string& name, const std::string& data) {
    HiveSession session(folder_.path(), HiveSession::Mode::kWrite);
    std::string error;
    Key* hive = session.HiveForChange(kHkeyCurrentUser, &error);
    if (hive == nullptr) return false;
    hive->Create("Software\\A")->SetValue(name, platform::kRegSz, data);
    return session.Commit(&error);
  }
  std::string Hive() { return ReadWholeFile(folder_.Host("user.reg")); }
  std::vector<std::string> Entries() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder_.path()))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  // Runs `child` in a forked process; its exit status.
  template <typename Child>
  static int InChild(Child child) {
    pid_t pid = fork();
    if (pid == 0) _exit(child());
    int status = -1;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  testing_support::ScratchFolder folder_;
};

TEST_F(HiveStoreTest, ConcurrentWritersAllLand) {
  int gate[2];
  ASSERT_EQ(pipe(gate), 0);
  std::vector<pid_t> children;
  for (int i = 0; i < 4; ++i) {
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      close(gate[1]);
      char byte;
      if (read(gate[0], &byte, 1) != 0) _exit(3);  // released all at once
      bool ok = true;
      for (int round = 0; round < 20 && ok; ++round)
        ok = SetValue("v" + std::to_string(i) + "_" + std::to_string(round), std::string("1\0", 2));
      _exit(ok ? 0 : 1);
    }
    children.push_back(child);
  }
  close(gate[0]);
  close(gate[1]);
  for (pid_t child : children) {
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  HiveSession session(folder_.path(), HiveSession::Mode::kRead);
  std::string error;
  Key* key = session.Hive(kHkeyCurrentUser, &error)->Find("Software\\A");
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(key->values().size(), 80u);
}

TEST_F(HiveStoreTest, FailedWriteLeavesTheOldHiveAndNoTemporaryFile) {
  ASSERT_TRUE(SetValue("v", std::string("x\0", 2)));
  const std::string before = Hive();
  const std::vector<std::string> entries = {".registry.lock", "user.reg"};
  ASSERT_EQ(Entries(), entries);
  for (bool ignore_signal : {false, true}) {
    EXPECT_EQ(InChild([&] {
                if (ignore_signal) signal(SIGXFSZ, SIG_IGN);
                struct rlimit limit = {100, 100};
                setrlimit(RLIMIT_FSIZE, &limit);
                return SetValue("big", std::string(1000, 'x') + '\0') ? 0 : 7;
              }),
              7);
    EXPECT_EQ(Hive(), before);
    EXPECT_EQ(Entries(), entries);
  }
}

TEST_F(HiveStoreTest, DamagedHivesAreNamedAndNeverOverwritten) {
  ASSERT_TRUE(SetValue("v", std::string("x\0", 2)));
  const std::string good = Hive();
  const std::string damaged[] = {
      good.substr(0, good.size() - 5),  // cut short
      good + "garbage\n",
      "\x01\x02garbage",
      "Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\X]\n;; end of hive\n",
  };
  for (const std::string& bytes : damaged) {
    WriteWholeFile(folder_.Host("user.reg"), bytes);
    EXPECT_FALSE(SetValue("w", std::string("y\0", 2)));
    HiveSession session(folder_.path(), HiveSession::Mode::kRead);
    std::string error;
    EXPECT_EQ(session.Hive(kHkeyCurrentUser, &error), nullptr);
    EXPECT_NE(error.find(folder_.Host("user.reg")), std::string::npos) << error;
    EXPECT_EQ(Hive(), bytes);
  }
}

}  // namespace
}  // namespace registry
