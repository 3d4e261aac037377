// The Win32 error codes this layer gives for the system's own errors.
#pragma once

#include "platform/linux/win32_subset.h"

// The code Windows gives for the nearest failure; ERROR_INVALID_PARAMETER for an error it has
// no better match for.
DWORD Win32ErrorFromErrno(int error);
