// Windows command lines: quoting arguments into one line and splitting a line
// back into arguments by the rules of CommandLineToArgvW.
#ifndef TARNWELL_PLATFORM_POSIX_COMMAND_LINE_H_
#define TARNWELL_PLATFORM_POSIX_COMMAND_LINE_H_

#include <string>
#include <vector>

namespace platform {

// `argument` quoted so that CommandLineToArgv gives it back unchanged.
std::string QuoteArgument(const std::string& argument);

// The arguments quoted and joined by single spaces.
std::string JoinCommandLine(const std::vector<std::string>& arguments);

// The arguments of a command line, by the rules of CommandLineToArgvW for the
// arguments after the program name.
std::vector<std::string> CommandLineToArgv(const std::string& line);

}  // namespace platform

#endif  // TARNWELL_PLATFORM_POSIX_COMMAND_LINE_H_
