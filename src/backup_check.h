// What a backup may hold. Its import runs elevated, so it gets only a file
// that SaveLockScreenBackup could have written: the header, the two policy
// keys, and each of the four values with data of its own type or as a
// deletion, each at most once.
#ifndef TARNWELL_SRC_BACKUP_CHECK_H_
#define TARNWELL_SRC_BACKUP_CHECK_H_

#include "platform/platform.h"

// Reads the whole of the open `file`, no larger than a backup can be, and
// tells whether it holds nothing else.
bool IsLockScreenBackup(platform::FileHandle file);

#endif  // TARNWELL_SRC_BACKUP_CHECK_H_
