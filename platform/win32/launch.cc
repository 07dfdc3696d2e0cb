// Launches through the shell, waited for or not.
#include "platform/win32/win32_platform.h"

#include "platform/win32/wide_text.h"

namespace platform {

uintptr_t Win32Platform::ShellExecute(const std::string& verb, const std::string& file,
                                      const std::string& parameters, const std::string& directory,
                                      int show_command) {
  HINSTANCE result = ShellExecuteW(nullptr, Wide(verb), Wide(file), Wide(parameters),
                                   Wide(directory).OrNull(), show_command);
  return reinterpret_cast<uintptr_t>(result);
}

WaitedLaunch Win32Platform::ShellExecuteAndWait(const std::string& verb, const std::string& file,
                                                const std::string& parameters,
                                                const std::string& directory, int show_command) {
  // As ShellExecute launches, with no error box, keeping the process.
  const Wide wide_verb(verb), wide_file(file), wide_parameters(parameters),
      wide_directory(directory);
  SHELLEXECUTEINFOW launch = {};
  launch.cbSize = sizeof launch;
  launch.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  launch.lpVerb = wide_verb;
  launch.lpFile = wide_file;
  launch.lpParameters = wide_parameters;
  launch.lpDirectory = wide_directory.OrNull();
  launch.nShow = show_command;
  ShellExecuteExW(&launch);
  WaitedLaunch waited;
  waited.shell_result = reinterpret_cast<uintptr_t>(launch.hInstApp);
  if (waited.shell_result <= kShellLastFailure || !launch.hProcess) return waited;
  DWORD exit_code = 0;
  waited.ended = WaitForSingleObject(launch.hProcess, INFINITE) == WAIT_OBJECT_0 &&
                 GetExitCodeProcess(launch.hProcess, &exit_code);
  waited.exit_code = exit_code;
  CloseHandle(launch.hProcess);
  return waited;
}

}  // namespace platform
