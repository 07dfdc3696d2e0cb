#include "platform/posix/registry/hive_store.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/posix/registry/reg_file_writer.h"

namespace registry {
namespace {

using platform::kHkeyCurrentUser;
using platform::kHkeyLocalMachine;

class HiveStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char directory[] = "/tmp/tarnwell_hive_XXXXXX";
    ASSERT_NE(mkdtemp(directory), nullptr);
    prefix_ = directory;
  }
  void TearDown() override { std::system(("rm -rf '" + prefix_ + "'").c_str()); }

  std::string Read(const std::string& name) {
    std::ifstream in(prefix_ + "/" + name, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
  }
  void Write(const std::string& name, const std::string& bytes) {
    std::ofstream(prefix_ + "/" + name, std::ios::binary) << bytes;
  }
  bool SetValue(const std::string& path, const std::string& name, const std::string& data) {
    HiveSession session(prefix_, HiveSession::Mode::kWrite);
    std::string error;
    Key* hive = session.HiveForChange(kHkeyCurrentUser, &error);
    if (hive == nullptr) return false;
    hive->Create(path)->SetValue(name, 1, data);
    return session.Commit(&error);
  }
  std::vector<std::string> Entries() {
    std::vector<std::string> names;
    DIR* dir = opendir(prefix_.c_str());
    while (dirent* entry = readdir(dir)) {
      std::string name = entry->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
  }

  std::string prefix_;
};

TEST_F(HiveStoreTest, MissingHiveIsEmptyAndWritesGoToTheirOwnFile) {
  {
    HiveSession session(prefix_, HiveSession::Mode::kRead);
    std::string error;
    Key* hive = session.Hive(kHkeyLocalMachine, &error);
    ASSERT_NE(hive, nullptr);
    EXPECT_TRUE(hive->subkeys().empty());
  }
  ASSERT_TRUE(SetValue("Software\\A", "v", std::string("x\0", 2)));
  EXPECT_EQ(Entries(), (std::vector<std::string>{".registry.lock", "user.reg"}));
  EXPECT_EQ(Read("user.reg"),
            "Windows Registry Editor Version 5.00\n"
            ";; tarnwell registry hive of HKEY_CURRENT_USER\n\n"
            "[HKEY_CURRENT_USER\\Software]\n\n"
            "[HKEY_CURRENT_USER\\Software\\A]\n\"v\"=\"x\"\n\n"
            ";; end of hive\n");
}

TEST_F(HiveStoreTest, DamagedHivesAreReportedAndNeverOverwritten) {
  ASSERT_TRUE(SetValue("Software\\A", "v", std::string("x\0", 2)));
  std::string good = Read("user.reg");
  const std::string damaged[] = {
      good.substr(0, good.size() - 5),  // truncated
      good.substr(0, good.find("[HKEY_CURRENT_USER\\Software\\A]")) + ";; end of hive\n" +
          "garbage\n;; end of hive\n",  // a bad line
      "\x01\x02garbage",                // not a hive at all
      "Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\X]\n;; end of hive\n",
  };
  for (const std::string& bytes : damaged) {
    Write("user.reg", bytes);
    HiveSession session(prefix_, HiveSession::Mode::kWrite);
    std::string error;
    EXPECT_EQ(session.HiveForChange(kHkeyCurrentUser, &error), nullptr);
    EXPECT_NE(error.find(prefix_ + "/user.reg"), std::string::npos) << error;
    EXPECT_TRUE(session.Commit(&error));
    EXPECT_EQ(Read("user.reg"), bytes);
  }
}

TEST_F(HiveStoreTest, FourConcurrentWritersAllLand) {
  std::vector<pid_t> children;
  int gate[2];
  ASSERT_EQ(pipe(gate), 0);
  for (int i = 0; i < 4; ++i) {
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      close(gate[1]);
      char byte;
      if (read(gate[0], &byte, 1) < 0) _exit(3);  // start together
      bool ok = true;
      for (int round = 0; round < 20 && ok; ++round) {
        ok = SetValue("Software\\W", "v" + std::to_string(i) + "_" + std::to_string(round),
                      std::string("1\0", 2));
      }
      _exit(ok ? 0 : 1);
    }
    children.push_back(child);
  }
  close(gate[0]);
  close(gate[1]);  // releases every child at once
  for (pid_t child : children) {
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  HiveSession session(prefix_, HiveSession::Mode::kRead);
  std::string error;
  Key* key = session.Hive(kHkeyCurrentUser, &error)->Find("Software\\W");
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(key->values().size(), 80u);
}

TEST_F(HiveStoreTest, FailedWriteLeavesTheOldHiveAndNoTemporaryFile) {
  ASSERT_TRUE(SetValue("Software\\A", "v", std::string("x\0", 2)));
  std::string before = Read("user.reg");
  for (bool ignore_signal : {false, true}) {
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      if (ignore_signal) signal(SIGXFSZ, SIG_IGN);
      struct rlimit limit = {100, 100};
      setrlimit(RLIMIT_FSIZE, &limit);
      bool ok = SetValue("Software\\A", "big", std::string(1000, 'x') + '\0');
      _exit(ok ? 0 : 7);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 7);
    EXPECT_EQ(Read("user.reg"), before);
    EXPECT_EQ(Entries(), (std::vector<std::string>{".registry.lock", "user.reg"}));
  }
}

TEST_F(HiveStoreTest, AccessMaskRefusesRightsOutsideIt) {
  Key key("k");
  EXPECT_TRUE(AccessGranted(key, 0xF003F));
  key.set_access(0x20019);
  EXPECT_TRUE(AccessGranted(key, 0x20019 | 0x200));
  EXPECT_TRUE(AccessGranted(key, 0x20009));
  EXPECT_TRUE(AccessGranted(key, 0x80000000));  // GENERIC_READ is KEY_READ
  EXPECT_FALSE(AccessGranted(key, 0x20002));
  EXPECT_FALSE(AccessGranted(key, 0xF003F));
  key.set_access(0);
  EXPECT_FALSE(AccessGranted(key, 0x20009));
  EXPECT_TRUE(AccessGranted(key, 0x100));
}

}  // namespace
}  // namespace registry
