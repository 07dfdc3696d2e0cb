// Open files: reads, writes, their size, final path and identity; deleting and renaming files.
#include <cstring>

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
  return GrowingText([&](wchar_t* buffer, DWORD size) {
    return GetFinalPathNameByHandleW(ToHandle(file), buffer, size,
                                     FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  });
}

bool Win32Platform::GetFileIdentity(FileHandle file, FileIdentity* identity) {
  *identity = FileIdentity();
  FILE_ID_INFO wide;
  if (GetFileInformationByHandleEx(ToHandle(file), FileIdInfo, &wide, sizeof wide)) {
    static_assert(sizeof wide.FileId.Identifier == 2 * sizeof(uint64_t), "128 bits");
    identity->wide = true;
    identity->volume = wide.VolumeSerialNumber;
    std::memcpy(&identity->id_low, wide.FileId.Identifier, sizeof identity->id_low);
    std::memcpy(&identity->id_high, wide.FileId.Identifier + 8, sizeof identity->id_high);
    return true;
  }
  // Systems before Windows 8 have only the 64-bit index.
  BY_HANDLE_FILE_INFORMATION basic;
  if (!GetFileInformationByHandle(ToHandle(file), &basic)) return false;
  identity->volume = basic.dwVolumeSerialNumber;
  identity->id_low = static_cast<uint64_t>(basic.nFileIndexHigh) << 32 | basic.nFileIndexLow;
  return true;
}

void Win32Platform::CloseFile(FileHandle file) { CloseHandle(ToHandle(file)); }

bool Win32Platform::DeleteFile(const std::string& path) { return DeleteFileW(Wide(path)); }

bool Win32Platform::ReplaceFile(const std::string& from, const std::string& to) {
  return MoveFileExW(Wide(from), Wide(to), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

}  // namespace platform
