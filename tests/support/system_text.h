// What the system says that a report repeats: the machine name and the text of an error.
#pragma once

#include <string>

#include "platform/win32.h"

std::string MachineName();

// What the system says of an error code, without its line end; "" when it says nothing.
std::string SystemMessage(DWORD code);

// "error N: TEXT" (N in hexadecimal for an HRESULT), as a report names a failure.
std::string ErrorText(DWORD code, bool isHresult);
