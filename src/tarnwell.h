// The driver: start-up, the dispatch on the first argument and the end of a
// run, reported when an error that no routine guards ends it.
#ifndef TARNWELL_SRC_TARNWELL_H_
#define TARNWELL_SRC_TARNWELL_H_

#include <string>

// Program-wide strings, set only by the driver.
extern std::string LogFileName;     // the log, passed to every routine that logs
extern std::string ImageDirectory;  // the directory scanned on this run
extern std::string ImageFile;       // the image drawn on this run, or empty

// Runs the job the command line asks for; the process exit status.
int RunTarnwell();

#endif  // TARNWELL_SRC_TARNWELL_H_
