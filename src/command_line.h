// The program's own split of its command line into words, which the C
// runtime's would not match: bytes 1 to 32 separate words, a double quote
// opens a stretch in which they do not, and a backslash is plain text.
#ifndef TARNWELL_SRC_COMMAND_LINE_H_
#define TARNWELL_SRC_COMMAND_LINE_H_

#include <string>
#include <vector>

// True for the bytes that separate the words of a command line and the items
// of a mask list: codes 1 to 32.
bool IsWordSeparator(char c);

// The arguments of a command line: the words after the program's name, up to
// the end or the first word that comes out empty.
std::vector<std::string> SplitCommandLine(const std::string& command_line);

#endif  // TARNWELL_SRC_COMMAND_LINE_H_
