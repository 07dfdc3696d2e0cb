#include "src/file_io.h"

bool ReadTail(platform::FileHandle file, int64_t offset, int64_t size, std::string* tail) {
  platform::Platform& os = platform::Current();
  tail->assign(static_cast<size_t>(size - offset), '\0');
  if (!os.SeekFile(file, offset, platform::SeekOrigin::kBegin)) return false;
  size_t done = 0;
  while (done < tail->size()) {
    uint32_t read = 0;
    if (!os.ReadFile(file, &(*tail)[done], static_cast<uint32_t>(tail->size() - done), &read) ||
        read == 0)
      return false;
    done += read;
  }
  return true;
}

bool WriteAll(platform::FileHandle file, const std::string& data) {
  uint32_t written = 0;
  return platform::Current().WriteFile(file, data.data(), static_cast<uint32_t>(data.size()),
                                       &written) &&
         written == data.size();
}
