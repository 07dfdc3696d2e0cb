#include "fuzz/sandbox.h"

#include <dirent.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/posix/prefix.h"
#include "platform/posix/registry/hive_store.h"
#include "platform/posix/registry/reg_file_writer.h"

namespace fuzz {

namespace {

std::string sandbox_root;

int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) { return remove(path); }

void RemoveSandbox() {
  if (!sandbox_root.empty()) nftw(sandbox_root.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
}

// Removes the plain files directly in `directory`, except `keep`.
void RemoveFiles(const std::string& directory, const char* keep) {
  DIR* dir = opendir(directory.c_str());
  if (dir == nullptr) return;
  while (struct dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name == "." || name == ".." || (keep != nullptr && name == keep)) continue;
    struct stat info;
    const std::string path = directory + "/" + name;
    if (lstat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode)) unlink(path.c_str());
  }
  closedir(dir);
}

std::string ReadFileOrEmpty(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// A few keys and values of each type, under both roots.
std::string SeedHive(platform::RootKey root) {
  registry::Key hive(registry::RootName(root));
  if (root == platform::kHkeyLocalMachine) {
    registry::Key* policy = hive.Create("SOFTWARE\\Policies\\Microsoft\\Windows\\Personalization");
    policy->SetValue("LockScreenImage", platform::kRegSz, std::string("C:\\a b.jpg\0", 11));
    policy->SetValue("NoChangingLockScreen", platform::kRegDword, std::string("\1\0\0\0", 4));
    registry::Key* product = hive.Create("SOFTWARE\\Quorvane\\Lumivale");
    product->SetValue("Path", platform::kRegSz, std::string("C:\\Product\0", 11));
    product->SetValue("Blob", platform::kRegBinary, std::string("\0\1\2\xff", 4));
    product->SetValue("Many", platform::kRegMultiSz, std::string("a\0b\0\0", 5));
    hive.Create("SOFTWARE\\Wow6432Node\\Quorvane\\Lumivale")
        ->SetValue("Random", platform::kRegDword, std::string("\1\0\0\0", 4));
    registry::Key* locked = hive.Create("SOFTWARE\\Locked");
    locked->set_access(platform::kKeyRead);
  } else {
    hive.Create("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Lock Screen\\Creative")
        ->SetValue("LockImageFlags", platform::kRegDword, std::string(4, '\0'));
    hive.Create("Environment")
        ->SetValue("TEMP", platform::kRegExpandSz, std::string("%USERPROFILE%\\Temp\0", 20));
  }
  return registry::FormatHive(hive, registry::RootName(root));
}

}  // namespace

void WriteFileOrDie(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())) || !out.flush()) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    std::abort();
  }
}

Sandbox& Sandbox::Get() {
  static Sandbox* sandbox = new Sandbox;
  return *sandbox;
}

Sandbox::Sandbox() {
  // A memory file system keeps the hives' fsync cheap.
  const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
  std::string root = std::string(base) + "/tarnwell-fuzz.XXXXXX";
  if (mkdtemp(&root[0]) == nullptr) {
    std::perror("mkdtemp");
    std::abort();
  }
  root_ = sandbox_root = root;
  std::atexit(RemoveSandbox);
  prefix_ = root_ + "/prefix";
  work_ = root_ + "/work";
  mkdir(prefix_.c_str(), 0755);
  mkdir(work_.c_str(), 0755);
  setenv("TARNWELL_PREFIX", prefix_.c_str(), 1);
  platform::PrefixDirectory();  // made once, with drive_c
  machine_hive_ = SeedHive(platform::kHkeyLocalMachine);
  user_hive_ = SeedHive(platform::kHkeyCurrentUser);
  Reset();
}

std::string Sandbox::WindowsFile(const std::string& name) const {
  std::string path = "Z:";
  for (char c : HostFile(name)) path += c == '/' ? '\\' : c;
  return path;
}

void Sandbox::Reset() {
  RemoveFiles(prefix_, registry::kLockFileName);
  RemoveFiles(work_, nullptr);
  WriteFileOrDie(prefix_ + "/" + registry::HiveFileName(platform::kHkeyLocalMachine),
                 machine_hive_);
  WriteFileOrDie(prefix_ + "/" + registry::HiveFileName(platform::kHkeyCurrentUser), user_hive_);
}

void Sandbox::CheckHivesReadable() const {
  for (platform::RootKey root : {platform::kHkeyLocalMachine, platform::kHkeyCurrentUser}) {
    const std::string path = prefix_ + "/" + registry::HiveFileName(root);
    registry::Key hive(registry::RootName(root));
    std::string error;
    if (!registry::ParseHive(ReadFileOrEmpty(path), root, &hive, &error)) {
      std::fprintf(stderr, "%s no longer parses: %s\n", path.c_str(), error.c_str());
      std::abort();
    }
  }
}

}  // namespace fuzz
