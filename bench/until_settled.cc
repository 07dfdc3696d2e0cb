// Runs a command, then waits until every process it launched has ended, so
// that a timing covers a run until its launched reg processes have written
// the registry.
//
//     until_settled native LOCK-FILE COMMAND...   (the native platform holds
//         LOCK-FILE shared in every process it launches)
//     until_settled wine PREFIX COMMAND...        (Wine processes of PREFIX
//         other than the prefix's own services)
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

namespace {

bool WineProcessesRunning(const std::string& prefix) {
  static const std::set<std::string> services = {"services.exe", "winedevice.exe", "plugplay.exe",
                                                 "svchost.exe",  "rpcss.exe",      "explorer.exe",
                                                 "conhost.exe",  "wineboot.exe"};
  const std::string marker = "WINEPREFIX=" + prefix;
  // This waiter and the timer that runs it carry the prefix in their
  // environment too.
  const std::set<std::string> waiters = {std::to_string(getpid()), std::to_string(getppid())};
  DIR* proc = opendir("/proc");
  bool running = false;
  while (dirent* entry = proc ? readdir(proc) : nullptr) {
    if (entry->d_name[0] < '0' || entry->d_name[0] > '9' || waiters.count(entry->d_name)) continue;
    const std::string base = std::string("/proc/") + entry->d_name;
    std::ifstream environ(base + "/environ", std::ios::binary);
    const std::string variables{std::istreambuf_iterator<char>(environ), {}};
    if (variables.find(marker + '\0') == std::string::npos) continue;
    std::ifstream cmdline(base + "/cmdline", std::ios::binary);
    std::string program;
    std::getline(cmdline, program, '\0');
    const size_t slash = program.find_last_of("/\\");
    std::string name = slash == std::string::npos ? program : program.substr(slash + 1);
    for (char& c : name) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    if (!services.count(name) && name.rfind("wineserver", 0) != 0) running = true;
  }
  if (proc) closedir(proc);
  return running;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) return 2;
  const std::string mode = argv[1], place = argv[2];
  const pid_t child = fork();
  if (child == 0) {
    execvp(argv[3], argv + 3);
    _exit(127);
  }
  int status = 0;
  waitpid(child, &status, 0);
  if (mode == "native") {
    const int lock = open(place.c_str(), O_RDONLY);
    if (lock >= 0) flock(lock, LOCK_EX);
  } else {
    while (WineProcessesRunning(place)) usleep(1000);
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}
