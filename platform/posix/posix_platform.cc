#include "platform/posix/posix_platform.h"

namespace platform {

Platform& RealPlatform() {
  static PosixPlatform platform;
  return platform;
}

uintptr_t PosixPlatform::ShellExecute(const std::string&, const std::string&, const std::string&,
                                      const std::string&, int) {
  return kErrorFileNotFound;
}
std::vector<std::vector<FoundFile>> PosixPlatform::FindFiles(
    const std::string&, const std::vector<std::string>& masks) {
  return std::vector<std::vector<FoundFile>>(masks.size());
}
FileHandle PosixPlatform::OpenFile(const std::string&, uint32_t, uint32_t, uint32_t) {
  return kInvalidFile;
}
bool PosixPlatform::ReadFile(FileHandle, void*, uint32_t, uint32_t*) { return false; }
bool PosixPlatform::WriteFile(FileHandle, const void*, uint32_t, uint32_t*) { return false; }
bool PosixPlatform::SeekFile(FileHandle, int64_t, SeekOrigin) { return false; }
bool PosixPlatform::GetFileSize(FileHandle, int64_t*) { return false; }
bool PosixPlatform::TruncateFile(FileHandle) { return false; }
void PosixPlatform::CloseFile(FileHandle) {}
bool PosixPlatform::DeleteFile(const std::string&) { return false; }
bool PosixPlatform::ReplaceFile(const std::string&, const std::string&) { return false; }
uint32_t PosixPlatform::LastError() { return kErrorFileNotFound; }
std::string PosixPlatform::ErrorText(uint32_t) { return std::string(); }
bool PosixPlatform::GetAttributes(const std::string&, uint32_t*) { return false; }
std::string PosixPlatform::FullPath(const std::string& path) { return path; }
std::string PosixPlatform::CurrentDirectory() { return "Z:\\"; }
bool PosixPlatform::IsLeadByte(unsigned char) { return false; }
LocalTime PosixPlatform::Now() { return LocalTime(); }
bool PosixPlatform::LocaleText(LocaleField, std::string*) { return false; }
bool PosixPlatform::PerformanceCounter(uint64_t*) { return false; }
uint32_t PosixPlatform::TickCount() { return 0; }
bool PosixPlatform::QueryWow64(bool*) { return false; }
std::string PosixPlatform::CommandLine() { return std::string(); }
std::string PosixPlatform::ModuleFileName() { return std::string(); }
uintptr_t PosixPlatform::CodeOffset(const void*) { return 0; }
void PosixPlatform::WriteStandardError(const std::string&) {}

}  // namespace platform
