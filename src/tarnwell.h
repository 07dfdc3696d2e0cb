// The program: start-up, the command line, the dispatch on the first
// argument, and the report of an error that no routine guards.
#ifndef TARNWELL_SRC_TARNWELL_H_
#define TARNWELL_SRC_TARNWELL_H_

#include <cstdint>
#include <string>
#include <vector>

#include "src/Exception.h"

// Program-wide strings, set only by the driver.
extern std::string LogFileName;     // the log, passed to every routine that logs
extern std::string ImageDirectory;  // the directory scanned on this run
extern std::string ImageFile;       // the image drawn on this run, or empty

// The arguments of a command line: the words after the program's name, up to
// the end or the first word that comes out empty.
std::vector<std::string> SplitCommandLine(const std::string& command_line);

// The report that ends a run on an unguarded error, cut to 1,023 bytes.
std::string ErrorReport(const Exception& error, const std::string& module_name,
                        uintptr_t code_offset);

// Runs the job the command line asks for; the process exit status.
int RunTarnwell();

#endif  // TARNWELL_SRC_TARNWELL_H_
