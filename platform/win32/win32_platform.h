// The real Windows behind the platform interface: each operation is one call
// (or a short fixed sequence of calls) of the wide-character Windows API, its
// texts converted from and to UTF-8 at the call. The ANSI API would turn every
// character outside the system's code page into another.
#ifndef TARNWELL_PLATFORM_WIN32_WIN32_PLATFORM_H_
#define TARNWELL_PLATFORM_WIN32_WIN32_PLATFORM_H_

#include <windows.h>
// shellapi.h needs windows.h first.
#include <shellapi.h>

// The headers map these names to their A/W variants; the interface uses them
// as method names.
#undef DeleteFile
#undef GetFileSize
#undef ReadFile
#undef ShellExecute
#undef WriteFile

#include "platform/platform.h"

namespace platform {

// One file for each job, behind this one class.
class Win32Platform : public Platform {
 public:
  // registry.cc
  uint32_t OpenKey(RootKey root, const std::string& subkey, uint32_t access,
                   RegistryKey* key) override;
  uint32_t QueryValue(RegistryKey key, const std::string& name, uint32_t* type, void* data,
                      uint32_t* size) override;
  void CloseKey(RegistryKey key) override;

  // launch.cc
  uintptr_t ShellExecute(const std::string& verb, const std::string& file,
                         const std::string& parameters, const std::string& directory,
                         int show_command) override;
  WaitedLaunch ShellExecuteAndWait(const std::string& verb, const std::string& file,
                                   const std::string& parameters, const std::string& directory,
                                   int show_command) override;

  // directory_search.cc
  std::vector<std::vector<FoundFile>> FindFiles(const std::string& prefix,
                                                const std::vector<std::string>& masks) override;

  // files.cc
  FileHandle OpenFile(const std::string& path, uint32_t access, uint32_t share,
                      uint32_t disposition) override;
  bool ReadFile(FileHandle file, void* buffer, uint32_t size, uint32_t* read) override;
  bool WriteFile(FileHandle file, const void* data, uint32_t size, uint32_t* written) override;
  bool SeekFile(FileHandle file, int64_t offset, SeekOrigin origin) override;
  bool GetFileSize(FileHandle file, int64_t* size) override;
  bool FlushFile(FileHandle file) override;
  std::string FinalPath(FileHandle file) override;
  bool GetFileIdentity(FileHandle file, FileIdentity* identity) override;
  void CloseFile(FileHandle file) override;
  bool DeleteFile(const std::string& path) override;
  bool ReplaceFile(const std::string& from, const std::string& to) override;

  // status.cc
  uint32_t LastError() override;
  std::string ErrorText(uint32_t code) override;

  // dos_attributes.cc
  bool GetAttributes(const std::string& path, uint32_t* attributes) override;

  // process.cc
  std::string FullPath(const std::string& path) override;
  std::string CurrentDirectory() override;
  std::string SystemDirectory() override;
  LocalTime Now() override;
  bool LocaleText(LocaleField field, std::string* text) override;
  bool PerformanceCounter(uint64_t* count) override;
  uint32_t TickCount() override;
  bool QueryWow64(bool* wow64) override;
  std::string CommandLine() override;
  std::string ModuleFileName() override;
  uintptr_t CodeOffset(const void* address) override;
  void WriteStandardError(const std::string& text) override;

  // clear_read_only.cc
  bool ClearReadOnly(const std::string& path) override;

  // code_page.cc
  std::string ToUtf16le(const std::string& text) override;
  bool ToAnsi(const std::string& text, std::string* ansi) override;
};

}  // namespace platform

#endif  // TARNWELL_PLATFORM_WIN32_WIN32_PLATFORM_H_
