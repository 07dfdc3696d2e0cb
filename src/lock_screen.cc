#include "src/lock_screen.h"

#include "platform/path.h"
#include "platform/platform.h"
#include "src/log.h"

namespace {

const char kElevatedVerb[] = "runas";

// The system's reg.exe by its full path: a bare name would be searched for
// in the program's folder and the current directory first, where anyone who
// can write there would be started elevated. Empty when there is no system
// folder, and then nothing is launched.
std::string RegistryTool() {
  const std::string system = platform::Current().SystemDirectory();
  return system.empty() ? system : platform::IncludeTrailingDelimiter(system) + "reg.exe";
}

}  // namespace

// A double quote ends the quoted text on reg.exe's command line: there is no
// way to pass one inside.
bool CanQuote(const std::string& text) { return text.find('"') == std::string::npos; }

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

bool RunElevated(const std::string& parameters) {
  const std::string tool = RegistryTool();
  return !tool.empty() &&
         platform::Current().ShellExecute(kElevatedVerb, tool, parameters, "",
                                          platform::kShowHidden) > platform::kShellLastFailure;
}

bool RunElevatedAndWait(const std::string& parameters) {
  const std::string tool = RegistryTool();
  if (tool.empty()) return false;
  const platform::WaitedLaunch launch = platform::Current().ShellExecuteAndWait(
      kElevatedVerb, tool, parameters, "", platform::kShowHidden);
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
