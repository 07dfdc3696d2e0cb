// A reg.exe that races the import it is asked for, as someone who can write
// the product directory would. "reg IMPORT file" first tries to put a file of
// its own in place of `file`, in the way TARNWELL_RACE names: "rewrite" writes
// over it, "rename" renames another file over it, "recreate" deletes it and
// makes it anew. It then has the real reg (TARNWELL_REAL_REG, found as the
// shell finds reg.exe) import `file`, and ends with that import's status.
// "fail" imports nothing and ends with status 1. It reports what happened in
// the file TARNWELL_RACE_REPORT: "<way> refused <status code>" or "<way>
// done", then "import <status>".
#include <cstdlib>
#include <string>

#include "platform/platform.h"

namespace {

using platform::FileHandle;
using platform::kInvalidFile;

platform::Platform& os = platform::RealPlatform();

// A registry file of the racer's, setting a key no backup holds.
const std::string kPlanted =
    "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Planted]\r\n"
    "\"x\"=\"y\"\r\n";

bool WritePlanted(const std::string& file, uint32_t disposition) {
  const FileHandle handle =
      os.OpenFile(file, platform::kGenericWrite, platform::kShareNone, disposition);
  if (handle == kInvalidFile) return false;
  const bool written =
      os.WriteFile(handle, kPlanted.data(), static_cast<uint32_t>(kPlanted.size()), nullptr);
  os.CloseFile(handle);
  return written;
}

// 0 when the racer's file took the place of `file`, else the refusal's
// status code.
uint32_t Race(const std::string& way, const std::string& file) {
  const std::string own = file + ".planted";
  bool done;
  if (way == "rewrite")
    done = WritePlanted(file, platform::kCreateAlways);
  else if (way == "recreate")
    done = os.DeleteFile(file) && WritePlanted(file, platform::kCreateNew);
  else
    done = WritePlanted(own, platform::kCreateAlways) && os.ReplaceFile(own, file);
  const uint32_t refusal = done ? 0 : os.LastError();
  os.DeleteFile(own);  // left by a refused rename
  return refusal;
}

}  // namespace

int main(int argc, char** argv) {
  const char* way = std::getenv("TARNWELL_RACE");
  if (argc != 3 || !way) return 2;
  const std::string file = argv[2];
  std::string report = way;
  int status = 1;
  if (report != "fail") {
    const uint32_t refusal = Race(way, file);
    report += refusal ? " refused " + std::to_string(refusal) : " done";
    const platform::WaitedLaunch import =
        os.ShellExecuteAndWait("open", std::getenv("TARNWELL_REAL_REG"), "IMPORT \"" + file + "\"",
                               "", platform::kShowHidden);
    status = import.ended ? static_cast<int>(import.exit_code) : 1;
    report += "\r\nimport " + std::to_string(status);
  }
  const FileHandle out = os.OpenFile(std::getenv("TARNWELL_RACE_REPORT"), platform::kGenericWrite,
                                     platform::kShareNone, platform::kCreateAlways);
  os.WriteFile(out, report.data(), static_cast<uint32_t>(report.size()), nullptr);
  os.CloseFile(out);
  return status;
}
