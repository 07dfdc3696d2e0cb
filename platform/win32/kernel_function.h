// A kernel32 function looked up by name, for one that some Windows versions lack.
#ifndef TARNWELL_PLATFORM_WIN32_KERNEL_FUNCTION_H_
#define TARNWELL_PLATFORM_WIN32_KERNEL_FUNCTION_H_

#include <windows.h>

namespace platform {

// Null where this Windows has no such function.
template <typename Function>
Function KernelFunction(const char* name) {
  FARPROC found = GetProcAddress(GetModuleHandleA("kernel32.dll"), name);
  // Through a plain function pointer type, which any function pointer may
  // be cast to without a warning.
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found));
}

}  // namespace platform

#endif  // TARNWELL_PLATFORM_WIN32_KERNEL_FUNCTION_H_
