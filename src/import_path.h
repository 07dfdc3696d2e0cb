// The path the elevated reg.exe is given for a file that this process holds
// open. That process opens the file anew by the text alone, after Windows has
// normalized it, so the text is proven to open the held file before it goes.
#ifndef TARNWELL_SRC_IMPORT_PATH_H_
#define TARNWELL_SRC_IMPORT_PATH_H_

#include <string>

#include "platform/platform.h"

// The held file's final path without its literal prefix where that opens the
// same file, else with it; empty when neither does, or when the file has no
// identity to compare.
std::string ImportPath(platform::FileHandle held);

#endif  // TARNWELL_SRC_IMPORT_PATH_H_
