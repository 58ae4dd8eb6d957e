#pragma once

#include <string>

struct stat;

// Opens the file at `path` for reading when, and only when, it is a regular file, without ever
// waiting: a FIFO, a device, a socket or a directory under the name is refused at once, and a
// FIFO without a writer does not hold up the open. The check is made on the open file, so a
// name swapped for something else between a look and the open cannot slip through.
//
// Returns a close-on-exec descriptor in blocking mode, with the file's status in *info when
// given; or -1 with a one-line reason in *why (when given): "not a regular file" or the
// system's text for the failure to open or to read the open file's status.
[[nodiscard]] int OpenRegularFile(const std::string& path, struct stat* info = nullptr,
                                  std::string* why = nullptr);
