// The prefix directory of the emulated Windows.
#ifndef TARNWELL_PLATFORM_POSIX_PREFIX_H_
#define TARNWELL_PLATFORM_POSIX_PREFIX_H_

#include <string>

namespace platform {

// TARNWELL_PREFIX when set, else $XDG_DATA_HOME/tarnwell, else
// ~/.local/share/tarnwell. Created on first use, with drive_c, the stock
// lock-screen images in drive_c/Windows/Web/Screen and the system folder
// below. No trailing slash.
const std::string& PrefixDirectory();

// The host path of the system folder, C:\Windows\System32. A new prefix's
// holds reg.exe, a link to the `reg` beside the executable that made it.
std::string SystemFolder();

}  // namespace platform

#endif  // TARNWELL_PLATFORM_POSIX_PREFIX_H_
