// The file handles of this layer, for the parts of it that open files their own way.
#pragma once

#include "platform/linux/win32_subset.h"

// A file handle that owns the open descriptor fd. INVALID_HANDLE_VALUE, with fd closed and the
// last error set, for a directory, which a file handle cannot be on Windows without backup
// semantics.
HANDLE FileHandleFromDescriptor(int fd);

// A file handle that owns fd, open on a file already known to be a regular file: a disk file.
HANDLE DiskFileHandle(int fd);
