// The floor of a run without arguments: the same four elevated launches of
// the system folder's reg.exe, with the same parameters, and nothing else. Built with the
// toolchain and flags of the tarnwell it is measured against.
//
//     floor IMAGE-PATH
#include <string>

#ifdef _WIN32
#include <windows.h>
// shellapi.h needs windows.h first.
#include <shellapi.h>
#else
#include "platform/platform.h"
#endif

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  const std::string policy =
      "ADD \"HKLM\\SOFTWARE\\Policies\\Microsoft\\Windows\\Personalization\"";
  const std::string parameters[] = {
      policy + " /V LockScreenImage /T REG_SZ /D \"" + argv[1] + "\" /F",
      policy + " /V NoChangingLockScreen /T REG_DWORD /D 1 /F",
      policy + " /V NoLockScreen /T REG_DWORD /D 0 /F",
      "ADD \"HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Lock Screen\\Creative\" /V "
      "LockImageFlags /T REG_DWORD /D 0 /F",
  };
#ifdef _WIN32
  char system[MAX_PATH];
  const std::string reg =
      std::string(system, GetSystemDirectoryA(system, sizeof system)) + "\\reg.exe";
#else
  const std::string reg = platform::RealPlatform().SystemDirectory() + "\\reg.exe";
#endif
  for (const std::string& launch : parameters) {
#ifdef _WIN32
    ShellExecuteA(nullptr, "runas", reg.c_str(), launch.c_str(), nullptr, SW_HIDE);
#else
    // As the native platform launches reg: the same operation.
    platform::RealPlatform().ShellExecute("runas", reg, launch, "", platform::kShowHidden);
#endif
  }
  return 0;
}
