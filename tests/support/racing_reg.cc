// A reg.exe that races the import it is asked for, as someone who can write
// the product directory would. "reg IMPORT file" first tries to put a file of
// its own in place of `file` in the way TARNWELL_RACE names: "rewrite" or
// "rename" (another file over it). Then the real reg (TARNWELL_REAL_REG, found
// as the shell finds reg.exe) imports `file`, and its status is this one's;
// "fail", or a start for anything but one import, imports nothing and ends
// with 1. The file TARNWELL_RACE_REPORT tells the file it was given (empty for
// another start), then "<way> refused <status code>" or "<way> done" and
// "import <status>", or "fail".
#include <cstdlib>
#include <string>

#include "platform/platform.h"

namespace {

platform::Platform& os = platform::RealPlatform();

// A registry file of the racer's, setting a key no backup holds.
const std::string kPlanted =
    "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Planted]\r\n"
    "\"x\"=\"y\"\r\n";

bool Write(const std::string& file, const std::string& text, uint32_t disposition) {
  const platform::FileHandle handle =
      os.OpenFile(file, platform::kGenericWrite, platform::kShareNone, disposition);
  if (handle == platform::kInvalidFile) return false;
  const bool written =
      os.WriteFile(handle, text.data(), static_cast<uint32_t>(text.size()), nullptr);
  os.CloseFile(handle);
  return written;
}

// 0 when the racer's file took the place of `file`, else the refusal's
// status code.
uint32_t Race(const std::string& way, const std::string& file) {
  const std::string own = file + ".planted";
  bool done;
  if (way == "rewrite")
    done = Write(file, kPlanted, platform::kCreateAlways);
  else
    done = Write(own, kPlanted, platform::kCreateAlways) && os.ReplaceFile(own, file);
  const uint32_t refusal = done ? 0 : os.LastError();
  os.DeleteFile(own);  // left by a refused rename
  return refusal;
}

}  // namespace

int main(int argc, char** argv) {
  const char* way = std::getenv("TARNWELL_RACE");
  if (!way) return 2;
  const std::string file = argc == 3 ? argv[2] : "";
  std::string report = file + "\r\n" + (file.empty() ? "fail" : way);
  int status = 1;
  if (!file.empty() && std::string(way) != "fail") {
    const uint32_t refusal = Race(way, file);
    report += refusal ? " refused " + std::to_string(refusal) : " done";
    const platform::WaitedLaunch import =
        os.ShellExecuteAndWait("open", std::getenv("TARNWELL_REAL_REG"), "IMPORT \"" + file + "\"",
                               "", platform::kShowHidden);
    status = import.ended ? static_cast<int>(import.exit_code) : 1;
    report += "\r\nimport " + std::to_string(status);
  }
  Write(std::getenv("TARNWELL_RACE_REPORT"), report, platform::kCreateAlways);
  return status;
}
