// Restoring the lock-screen policy from its backup on "/uninstall".
#ifndef TARNWELL_SRC_RESTORE_H_
#define TARNWELL_SRC_RESTORE_H_

#include <string>

// Imports `path`\reg.dat through an elevated reg.exe, when it holds what a
// backup may hold, and returns once the import has ended. From the check to
// that end the file is held open, sharing only reading, so that nobody can
// change, replace or delete what was checked. Every failure is logged.
void RestoreLockScreenBackup(const std::string& path, const std::string& log_file);

#endif  // TARNWELL_SRC_RESTORE_H_
