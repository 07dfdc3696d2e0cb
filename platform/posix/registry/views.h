// The 32-bit and 64-bit views of the registry, as 64-bit Windows and Wine
// present them to a 64-bit process asking with KEY_WOW64_32KEY/_64KEY.
//
// Under HKEY_LOCAL_MACHINE\SOFTWARE the 32-bit view is the subtree
// SOFTWARE\WOW6432Node, except for the keys both views share. Wine 8 makes
// those shared keys symbolic links from WOW6432Node to the 64-bit keys (found
// by adding a value with /reg:32 and reading it back with /reg:64 and under
// WOW6432Node, and by listing the links in a fresh prefix's system.reg);
// among them SOFTWARE\Policies, so the key
//   HKLM\SOFTWARE\Policies\Microsoft\Windows\Personalization
// is one key in both views, while HKLM\SOFTWARE\Quorvane\Lumivale read in
// the 32-bit view is SOFTWARE\WOW6432Node\Quorvane\Lumivale.
// The links also apply when a path names WOW6432Node itself. Classes has its
// own redirection to SOFTWARE\Classes\Wow6432Node with three shared subkeys.
// HKEY_CURRENT_USER is not redirected: HKCU\Software is the same in both.
#ifndef TARNWELL_PLATFORM_POSIX_REGISTRY_VIEWS_H_
#define TARNWELL_PLATFORM_POSIX_REGISTRY_VIEWS_H_

#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace registry {

// The path in the root's hive of `subkey` as seen in the 32-bit view
// (`view32`) or the 64-bit view; backslash-separated, no empty parts.
std::string ResolveView(platform::RootKey root, const std::string& subkey, bool view32);

// True when an access mask asks for the 32-bit view. A native process is a
// 64-bit process, so without a flag it sees the 64-bit view.
inline bool WantsView32(uint32_t access) { return (access & platform::kKeyWow64_32Key) != 0; }

}  // namespace registry

#endif  // TARNWELL_PLATFORM_POSIX_REGISTRY_VIEWS_H_
