#pragma once

#include <cstddef>
#include <string>
#include <sys/types.h>

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

// Reads the open file `fd`, from where it stands, into `data` until `size` bytes (at most
// SSIZE_MAX) are in or the file ends, going on after reads that bring fewer bytes and after
// interrupted ones. Returns the number of bytes read, fewer than `size` only when the file ended
// first; or -1 when a read failed, with errno saying why (the bytes read before the failure are not
// to be used).
[[nodiscard]] ssize_t ReadFully(int fd, void* data, size_t size);
