#include "src/restore.h"

#include "platform/path.h"
#include "platform/platform.h"
#include "src/backup.h"
#include "src/backup_check.h"
#include "src/import_path.h"
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
    // The elevated reg.exe opens the file anew, in its own drive mappings:
    // give it a path that opens the held file, which no link changed
    // meanwhile can turn elsewhere. An import that cannot be seen to end
    // well has failed.
    const std::string import_path = ImportPath(held);
    if (import_path.empty() || !CanQuote(import_path) ||
        !RunElevatedAndWait("IMPORT " + Quoted(import_path)))
      WriteLog(log_file, "Import registry file error: " + file);
  }
  if (held != platform::kInvalidFile) os.CloseFile(held);
}
