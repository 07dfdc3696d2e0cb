#include "src/lock_screen.h"

#include "platform/path.h"
#include "platform/platform.h"
#include "src/log.h"

namespace {

const char kElevatedVerb[] = "runas";

// The system folder; empty when the system gives none, and then nothing is
// launched. reg.exe is named by its full path there: a bare name would be
// searched for in the program's folder and the current directory first,
// where anyone who can write there would be started elevated. It is the
// working directory too: the caller's may lie on a drive mapped only in the
// caller's logon session, which the elevated one lacks.
std::string SystemFolder() { return platform::Current().SystemDirectory(); }

std::string RegistryTool(const std::string& system_folder) {
  return platform::IncludeTrailingDelimiter(system_folder) + "reg.exe";
}

}  // namespace

// A double quote ends the quoted text on reg.exe's command line: there is no
// way to pass one inside.
bool CanQuote(const std::string& text) { return text.find('"') == std::string::npos; }

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

bool RunElevated(const std::string& parameters) {
  const std::string system_folder = SystemFolder();
  return !system_folder.empty() &&
         platform::Current().ShellExecute(kElevatedVerb, RegistryTool(system_folder), parameters,
                                          system_folder,
                                          platform::kShowHidden) > platform::kShellLastFailure;
}

bool RunElevatedAndWait(const std::string& parameters) {
  const std::string system_folder = SystemFolder();
  if (system_folder.empty()) return false;
  const platform::WaitedLaunch launch = platform::Current().ShellExecuteAndWait(
      kElevatedVerb, RegistryTool(system_folder), parameters, system_folder, platform::kShowHidden);
  return launch.shell_result > platform::kShellLastFailure && launch.ended && launch.exit_code == 0;
}

void ApplyLockScreen(const std::string& image_file, const std::string& log_file) {
  struct PolicyWrite {
    const char* root;
    const char* key;
    const char* value;
    std::string type_and_data;
    bool launchable;
  };
  const PolicyWrite writes[] = {
      {"HKLM", kPolicyKey, kLockScreenImage, "REG_SZ /D " + Quoted(image_file),
       CanQuote(image_file)},
      {"HKLM", kPolicyKey, kNoChangingLockScreen, "REG_DWORD /D 1", true},
      {"HKLM", kPolicyKey, kNoLockScreen, "REG_DWORD /D 0", true},
      {"HKCU", kCreativeKey, kLockImageFlags, "REG_DWORD /D 0", true},
  };
  for (const PolicyWrite& write : writes) {
    const std::string key = std::string(write.root) + "\\" + write.key;
    const std::string parameters =
        "ADD " + Quoted(key) + " /V " + write.value + " /T " + write.type_and_data + " /F";
    if (!write.launchable || !RunElevated(parameters))
      WriteLog(log_file, "Write registry value error: " + key + write.value);
  }
}
