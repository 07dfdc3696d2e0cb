// The log trim alone: TrimLogFile on one host file with the log's limit.
#include <cstdio>

#include "platform/posix/drive.h"
#include "src/log.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: trim_log FILE\n");
    return 2;
  }
  TrimLogFile(platform::WindowsPath(argv[1]), LogSizeLimit);
  return 0;
}
