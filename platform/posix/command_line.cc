#include "platform/posix/command_line.h"

namespace platform {

std::string QuoteArgument(const std::string& argument) { return argument; }
std::string JoinCommandLine(const std::vector<std::string>&) { return std::string(); }
std::vector<std::string> SplitCommandLine(const std::string&) { return {}; }

}  // namespace platform
