// Image discovery alone: FindImageFiles over one host directory with the
// program's masks. Prints the number of images found.
#include <cstdio>
#include <string>
#include <vector>

#include "platform/posix/drive.h"
#include "src/images.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: find_images DIRECTORY\n");
    return 2;
  }
  std::vector<std::string> images;
  FindImageFiles(platform::WindowsPath(argv[1]), "*.jpg *.jpeg *.png *.gif *.bmp", images);
  std::printf("%zu\n", images.size());
  return 0;
}
