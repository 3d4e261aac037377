// The one header through which the rest of the program reaches the operating system.
// On Windows it is the real SDK; elsewhere it is our own implementation of exactly the
// subset that the scans use, spelled as Windows spells it.
#pragma once

#if defined(_WIN32)
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <tlhelp32.h>
#include <ole2.h>
#include <oleauto.h>
#else
#include "platform/linux/win32_subset.h"
#endif
