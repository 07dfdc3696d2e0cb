// Holds a file open until standard input closes, so that the Wine scenarios
// can meet a sharing violation the way a real second process causes one.
//
//   hold_file PATH read   open for reading, others may read too
//   hold_file PATH none   open for reading, nobody else may open it
//
// Prints "ready" once the file is open.
#include <windows.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
  if (argc != 3 || (std::strcmp(argv[2], "read") != 0 && std::strcmp(argv[2], "none") != 0)) {
    std::fprintf(stderr, "usage: hold_file PATH read|none\n");
    return 2;
  }
  DWORD share = std::strcmp(argv[2], "read") == 0 ? FILE_SHARE_READ : 0;
  HANDLE file = CreateFileA(argv[1], GENERIC_READ, share, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    std::fprintf(stderr, "hold_file: cannot open %s: error %lu\n", argv[1], GetLastError());
    return 1;
  }
  std::printf("ready\n");
  std::fflush(stdout);
  char buffer[256];
  while (std::fread(buffer, 1, sizeof buffer, stdin) > 0) {
  }
  CloseHandle(file);
  return 0;
}
