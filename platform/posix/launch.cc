// Launching a program by its Windows path, such as the `reg` stand-in in the
// system folder: PosixPlatform::ShellExecute and ShellExecuteAndWait.
#include <fcntl.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

#include "platform/posix/command_line.h"
#include "platform/posix/drive.h"
#include "platform/posix/posix_platform.h"
#include "platform/posix/prefix.h"
#include "platform/posix/status.h"
#include "platform/posix/system_call.h"

namespace platform {
namespace {

// The result ShellExecute gives for an accepted launch.
constexpr uintptr_t kLaunchAccepted = 42;
static_assert(kLaunchAccepted > kShellLastFailure, "an accepted launch");

bool IsExecutableFile(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

// Starts `program` in a session of its own, without a console. 0, or the
// error number of the first step that failed; a failed exec is reported too.
int Spawn(const std::string& program, char* const argv[], const std::string& working_directory,
          pid_t* child) {
  posix_spawn_file_actions_t actions;
  int error = posix_spawn_file_actions_init(&actions);
  if (error != 0) return error;
  posix_spawnattr_t attributes;
  error = posix_spawnattr_init(&attributes);
  if (error == 0) {
    if ((error = posix_spawn_file_actions_addchdir_np(&actions, working_directory.c_str())) == 0 &&
        (error = posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0)) == 0 &&
        (error = posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0)) == 0 &&
        (error = posix_spawn_file_actions_adddup2(&actions, 1, 2)) == 0 &&
        (error = posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID)) == 0) {
      error = posix_spawn(child, program.c_str(), &actions, &attributes, argv, environ);
    }
    posix_spawnattr_destroy(&attributes);
  }
  posix_spawn_file_actions_destroy(&actions);
  return error;
}

// The shell's result for a launch refused with a host error: a status code
// within the shell's failures.
uintptr_t RefusedLaunch(int error) {
  const uintptr_t refused = ErrorFromErrno(error);
  return refused > kShellLastFailure || refused == kErrorSuccess ? kErrorAccessDenied : refused;
}

// Starts the program that the Windows path `file` names, with `parameters`
// split as reg.exe splits them; the shell's result, and the process in
// `*child`. A name without a folder is taken from the current directory.
uintptr_t Launch(const std::string& file, const std::string& parameters,
                 const std::string& directory, pid_t* child) {
  const std::string program = HostPath(file);
  if (program.empty() || !IsExecutableFile(program)) return kErrorFileNotFound;
  std::string working_directory;
  if (directory.empty()) {
    char buffer[PATH_MAX];
    working_directory = getcwd(buffer, sizeof buffer) ? buffer : "/";
  } else {
    working_directory = HostPath(directory);
    if (working_directory.empty()) return kErrorPathNotFound;
  }

  std::vector<std::string> arguments = CommandLineToArgv(parameters);
  arguments.insert(arguments.begin(), program);
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(&argument[0]);
  argv.push_back(nullptr);

  // Held shared for as long as the launched process lives, so that a waiter
  // taking it exclusively knows when every launch has ended. The launched
  // process inherits the descriptor; this process closes its own. A launch
  // that cannot hold it is refused, as no waiter would see it.
  std::string lock_path = PrefixDirectory() + "/.launches.lock";
  int lock_fd = open(lock_path.c_str(), O_RDWR | O_CREAT, 0666);
  if (lock_fd < 0) return RefusedLaunch(errno);
  int error = RetryAfterSignal([&] { return flock(lock_fd, LOCK_SH); }) == 0
                  ? Spawn(program, argv.data(), working_directory, child)
                  : errno;
  close(lock_fd);
  return error == 0 ? kLaunchAccepted : RefusedLaunch(error);
}

}  // namespace

uintptr_t PosixPlatform::ShellExecute(const std::string& /*verb*/, const std::string& file,
                                      const std::string& parameters, const std::string& directory,
                                      int /*show_command*/) {
  pid_t child = 0;
  return Launch(file, parameters, directory, &child);
}

WaitedLaunch PosixPlatform::ShellExecuteAndWait(const std::string& /*verb*/,
                                                const std::string& file,
                                                const std::string& parameters,
                                                const std::string& directory,
                                                int /*show_command*/) {
  WaitedLaunch waited;
  pid_t child = 0;
  waited.shell_result = Launch(file, parameters, directory, &child);
  int status = 0;
  if (waited.shell_result <= kShellLastFailure ||
      RetryAfterSignal([&] { return waitpid(child, &status, 0); }) != child)
    return waited;
  waited.ended = true;
  // A process ended by a signal reports it as a shell does.
  waited.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return waited;
}

}  // namespace platform
