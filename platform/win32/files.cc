// Open files: reads, writes, their size and final path; deleting and renaming files.
#include "platform/win32/win32_platform.h"

#include "platform/win32/wide_text.h"

namespace platform {
namespace {

HANDLE ToHandle(FileHandle file) { return reinterpret_cast<HANDLE>(file); }

}  // namespace

FileHandle Win32Platform::OpenFile(const std::string& path, uint32_t access, uint32_t share,
                                   uint32_t disposition) {
  HANDLE file =
      CreateFileW(Wide(path), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  return file == INVALID_HANDLE_VALUE ? kInvalidFile : reinterpret_cast<FileHandle>(file);
}

bool Win32Platform::ReadFile(FileHandle file, void* buffer, uint32_t size, uint32_t* read) {
  DWORD done = 0;
  BOOL ok = ::ReadFile(ToHandle(file), buffer, size, &done, nullptr);
  if (read) *read = done;
  return ok;
}

bool Win32Platform::WriteFile(FileHandle file, const void* data, uint32_t size, uint32_t* written) {
  DWORD done = 0;
  BOOL ok = ::WriteFile(ToHandle(file), data, size, &done, nullptr);
  if (written) *written = done;
  return ok;
}

bool Win32Platform::SeekFile(FileHandle file, int64_t offset, SeekOrigin origin) {
  LARGE_INTEGER distance;
  distance.QuadPart = offset;
  return SetFilePointerEx(ToHandle(file), distance, nullptr, static_cast<DWORD>(origin));
}

bool Win32Platform::GetFileSize(FileHandle file, int64_t* size) {
  LARGE_INTEGER value;
  if (!GetFileSizeEx(ToHandle(file), &value)) return false;
  *size = value.QuadPart;
  return true;
}

bool Win32Platform::FlushFile(FileHandle file) { return FlushFileBuffers(ToHandle(file)); }

std::string Win32Platform::FinalPath(FileHandle file) {
  std::string path = GrowingText([&](wchar_t* buffer, DWORD size) {
    return GetFinalPathNameByHandleW(ToHandle(file), buffer, size,
                                     FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  });
  // The system gives "\\?\C:\..." or "\\?\UNC\server\...": the prefix goes
  // where the path is short enough to need none.
  const std::string long_prefix = "\\\\?\\", long_unc_prefix = long_prefix + "UNC\\";
  std::string shorter = path;
  if (path.compare(0, long_unc_prefix.size(), long_unc_prefix) == 0)
    shorter = "\\\\" + path.substr(long_unc_prefix.size());
  else if (path.compare(0, long_prefix.size(), long_prefix) == 0)
    shorter = path.substr(long_prefix.size());
  return Wide(shorter).length() < MAX_PATH ? shorter : path;
}

void Win32Platform::CloseFile(FileHandle file) { CloseHandle(ToHandle(file)); }

bool Win32Platform::DeleteFile(const std::string& path) { return DeleteFileW(Wide(path)); }

bool Win32Platform::ReplaceFile(const std::string& from, const std::string& to) {
  return MoveFileExW(Wide(from), Wide(to), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

}  // namespace platform
