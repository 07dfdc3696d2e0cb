// Whole byte ranges of files opened through the platform: a read or a write
// either moves every byte asked for or fails.
#ifndef TARNWELL_SRC_FILE_IO_H_
#define TARNWELL_SRC_FILE_IO_H_

#include <cstdint>
#include <string>

#include "platform/platform.h"

// The bytes of `file` from `offset` up to `size`, the file's size.
bool ReadTail(platform::FileHandle file, int64_t offset, int64_t size, std::string* tail);

// Writes all of `data` at the file's position.
bool WriteAll(platform::FileHandle file, const std::string& data);

#endif  // TARNWELL_SRC_FILE_IO_H_
