#include "src/tarnwell.h"

#include <cstdio>
#include <new>

#include "platform/path.h"
#include "platform/platform.h"
#include "src/MyTypes.h"
#include "src/Settings.h"

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

// The report's text must fit a buffer of this size with its closing zero.
constexpr size_t kReportBufferSize = 1024;

// Reads one word from `*position` on; a double quote opens a stretch in which
// separators belong to the word, and the quotes themselves are dropped.
std::string NextWord(const std::string& line, size_t* position) {
  size_t i = *position;
  while (true) {
    while (i < line.size() && IsWordSeparator(line[i])) ++i;
    if (i + 1 < line.size() && line[i] == '"' && line[i + 1] == '"') {
      i += 2;  // an empty pair of quotes counts as a separator
    } else {
      break;
    }
  }
  std::string word;
  while (i < line.size() && line[i] != '\0' && !IsWordSeparator(line[i])) {
    if (line[i] == '"') {
      for (++i; i < line.size() && line[i] != '\0' && line[i] != '"'; ++i) word += line[i];
      if (i < line.size() && line[i] == '"') ++i;
    } else {
      word += line[i++];
    }
  }
  *position = i;
  return word;
}

std::string LogFileNameIn(const std::string& directory) {
  const std::string name = kProgramFileName;
  return platform::IncludeTrailingDelimiter(directory) + name.substr(0, name.rfind('.')) +
         kLogExtension;
}

// The part of a path after its last backslash or drive colon.
std::string FileNameOf(const std::string& path) {
  size_t start = 0;
  for (size_t i = 0; i < path.size(); i += platform::CharacterLength(path, i)) {
    if (path[i] == '\\' || path[i] == ':') start = i + 1;
  }
  return path.substr(start);
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

// Writes the report of an error that no routine guarded; the exit status.
int EndWithReport(const Exception& error) {
  platform::Platform& os = platform::Current();
  try {
    os.WriteStandardError(
        ErrorReport(error, FileNameOf(os.ModuleFileName()), os.CodeOffset(error.RaiseAddress())) +
        "\r\n");
  } catch (...) {
    // Memory too short even for the report: the exit status still tells.
  }
  return 1;
}

}  // namespace

std::vector<std::string> SplitCommandLine(const std::string& command_line) {
  size_t position = 0;
  NextWord(command_line, &position);  // the program's name
  std::vector<std::string> arguments;
  for (std::string word = NextWord(command_line, &position); !word.empty();
       word = NextWord(command_line, &position))
    arguments.push_back(word);
  return arguments;
}

std::string ErrorReport(const Exception& error, const std::string& module_name,
                        uintptr_t code_offset) {
  char address[32];
  std::snprintf(address, sizeof(address), "%08llX", static_cast<unsigned long long>(code_offset));
  const std::string& message = error.Message();
  const bool needs_full_stop = !message.empty() && message.back() != '.';
  std::string report = std::string("Exception ") + error.ClassName() + " in module " + module_name +
                       " at " + address + ".\r\n" + message + (needs_full_stop ? "." : "") + "\r\n";
  if (report.size() > kReportBufferSize - 1) report.resize(kReportBufferSize - 1);
  return report;
}

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
