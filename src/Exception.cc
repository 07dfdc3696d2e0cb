#include "src/Exception.h"

// Not inlined, so that the return address is the raising routine's own code.
#define RAISE_FROM_CALLER(Class)                                                              \
  __attribute__((noinline)) void Class::Raise(const std::string& message) {                   \
    throw Class(#Class, message, __builtin_extract_return_addr(__builtin_return_address(0))); \
  }

RAISE_FROM_CALLER(ERegistryException)
RAISE_FROM_CALLER(EFCreateError)
RAISE_FROM_CALLER(EWriteError)

__attribute__((noinline)) const void* CallerAddress() {
  return __builtin_extract_return_addr(__builtin_return_address(0));
}
