// Where the process looks for a DLL loaded after its start: in the system
// folder only. Windows would look in the program's own folder first, then in
// the current directory, so that a DLL planted there would run inside the
// program, elevated when it is. The program's static imports are known DLLs,
// which the system maps from its own folder.
#include <windows.h>

#include "platform/win32/kernel_function.h"

namespace platform {
namespace {

// Before every other constructor, the C runtime's included: the stack
// protector's seed comes from the crypto provider, whose DLLs load then.
__attribute__((constructor(101))) void SearchOnlyTheSystemFolder() {
  using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
  const auto set_default_dll_directories =
      KernelFunction<SetDefaultDllDirectoriesFunction>("SetDefaultDllDirectories");
  // Windows 7 without KB2533623 lacks the function: the current directory
  // at least leaves the search.
  if (!set_default_dll_directories || !set_default_dll_directories(LOAD_LIBRARY_SEARCH_SYSTEM32))
    SetDllDirectoryW(L"");
}

}  // namespace
}  // namespace platform
