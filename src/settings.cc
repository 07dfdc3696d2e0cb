#include "src/settings.h"

#include "platform/platform.h"
#include "src/registry_reader.h"

const char DefaultImageDir[] = "C:\\Windows\\Web\\Screen";

namespace {

const char kSettingsKey[] = "\\SOFTWARE\\Quorvane\\Lumivale";

// The settings live in the 32-bit registry view, the one a 32-bit process
// sees without asking; a 64-bit build must ask for it.
constexpr uint32_t kSettingsView = sizeof(void*) == 4 ? 0 : platform::kKeyWow64_32Key;

// Read access only: full access is refused to every process without
// administrative rights, which would silently ignore all settings.
constexpr uint32_t kSettingsAccess = platform::kKeyRead | kSettingsView;

}  // namespace

TSettings::TSettings() : Path(platform::Current().CurrentDirectory()) {}

void TSettings::Load() {
  TRegistryX registry;
  registry.SetAccess(kSettingsAccess);
  registry.SelectRoot(platform::kHkeyLocalMachine);
  if (!registry.OpenExistingKey(kSettingsKey)) return;
  Path = registry.ReadTextOr("Path", platform::Current().CurrentDirectory());
  if (!IsValidPath(Path)) Path = platform::Current().CurrentDirectory();
  FormLeft = registry.ReadNumberOr("FormLeft", -1);
  FormTop = registry.ReadNumberOr("FormTop", -1);
  Random = registry.ReadFlagOr("Random", false);
  ImageDir = registry.ReadTextOr("ImageDir", DefaultImageDir);
  registry.CloseCurrentKey();
}

bool IsValidPath(const std::string& path) { return path.find_first_of("*?|") == std::string::npos; }
