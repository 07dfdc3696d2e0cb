// The C++ runtime's default terminate handler names the exception that ended
// the program, and so links in the runtime's demangler and formatting code,
// a fifth of the executable. Defined here, it leaves them out. Every error the
// program raises is caught in the driver, so only a fault in the program ends
// up here, and the process still ends.
#include <cstdlib>
#include <exception>

namespace __gnu_cxx {

void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx
