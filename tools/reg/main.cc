// reg: the stand-in for reg.exe on the emulated Windows.
#include <cstdio>

#include "platform/posix/prefix.h"
#include "tools/reg/reg.h"

int main(int argc, char** argv) {
  reg::Context context;
  context.prefix = platform::PrefixDirectory();
  int status = reg::Run(reg::Arguments(argv + 1, argv + argc), &context);
  std::fwrite(context.output.data(), 1, context.output.size(), stdout);
  return status;
}
