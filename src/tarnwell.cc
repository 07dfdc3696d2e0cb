#include "src/tarnwell.h"

#include <new>
#include <vector>

#include "platform/path.h"
#include "platform/platform.h"
#include "src/backup.h"
#include "src/command_line.h"
#include "src/errors.h"
#include "src/images.h"
#include "src/lock_screen.h"
#include "src/log.h"
#include "src/restore.h"
#include "src/settings.h"

std::string LogFileName;
std::string ImageDirectory;
std::string ImageFile;

namespace {

// The log is named after this program name, whatever the executable is called.
const char kProgramFileName[] = "tarnwell.exe";
const char kLogExtension[] = ".log";
const char ImageMasks[] = "*.jpg *.jpeg *.png *.gif *.bmp";
const char kInstallKeyword[] = "/install";
const char kUninstallKeyword[] = "/uninstall";

std::string LogFileNameIn(const std::string& directory) {
  const std::string name = kProgramFileName;
  return platform::IncludeTrailingDelimiter(directory) + name.substr(0, name.rfind('.')) +
         kLogExtension;
}

void RunImageJob(const TSettings& settings) {
  std::vector<std::string> candidates;
  ImageDirectory = settings.Random && platform::DirectoryExists(settings.ImageDir)
                       ? settings.ImageDir
                       : DefaultImageDir;
  ImageFile.clear();
  if (FindImageFiles(ImageDirectory, ImageMasks, candidates)) {
    Randomize();
    // Windows resolves the policy's image without our current directory, so
    // the policy must name the file by its full path.
    ImageFile = platform::Current().FullPath(
        candidates[RandomIndex(static_cast<uint32_t>(candidates.size()))]);
  }
  if (!ImageFile.empty() && platform::FileExists(ImageFile))
    ApplyLockScreen(ImageFile, LogFileName);
}

void RunJob() {
  LogTimeStampFormat = ReadTimeStampFormat();
  TSettings settings;
  settings.Load();
  LogFileName = LogFileNameIn(settings.Path);
  const std::vector<std::string> arguments = SplitCommandLine(platform::Current().CommandLine());
  if (arguments.empty()) {
    RunImageJob(settings);
  } else if (arguments[0] == kInstallKeyword) {
    // The first backup made is the one kept.
    if (!platform::FileExists(BackupFile(settings.Path)))
      SaveLockScreenBackup(settings.Path, LogFileName);
  } else if (arguments[0] == kUninstallKeyword) {
    RestoreLockScreenBackup(settings.Path, LogFileName);
  }
}

}  // namespace

int RunTarnwell() {
  try {
    RunJob();
    return 0;
  } catch (const Exception& error) {
    return EndWithReport(error);
  } catch (const std::bad_alloc&) {
    return EndWithReport(Exception("EOutOfMemory", "Out of memory", CallerAddress()));
  } catch (const std::exception& error) {
    return EndWithReport(Exception("Exception", error.what(), CallerAddress()));
  } catch (...) {
    return EndWithReport(Exception("Exception", "Unknown exception", CallerAddress()));
  }
}
