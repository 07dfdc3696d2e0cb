#include "src/restore.h"

#include "platform/path.h"
#include "platform/platform.h"
#include "src/backup.h"
#include "src/backup_check.h"
#include "src/lock_screen.h"
#include "src/log.h"

void RestoreLockScreenBackup(const std::string& path, const std::string& log_file) {
  const std::string file = BackupFile(path);
  if (!platform::FileExists(file)) {
    WriteLog(log_file, "No data registry file: " + file);
    return;
  }
  platform::Platform& os = platform::Current();
  const platform::FileHandle held =
      os.OpenFile(file, platform::kGenericRead, platform::kShareRead, platform::kOpenExisting);
  if (held == platform::kInvalidFile || !IsLockScreenBackup(held)) {
    WriteLog(log_file, "Not a lock-screen backup file: " + file);
  } else {
    // The elevated reg.exe has its own working directory: give it the full
    // path. An import that cannot be seen to end well has failed.
    const std::string full_path = os.FullPath(file);
    if (!CanQuote(full_path) || !RunElevatedAndWait("IMPORT " + Quoted(full_path)))
      WriteLog(log_file, "Import registry file error: " + file);
  }
  if (held != platform::kInvalidFile) os.CloseFile(held);
}
