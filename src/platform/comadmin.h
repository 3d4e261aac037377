// The COM+ administration catalog: its class, and the three interfaces the catalog scan uses
// (the catalog, its collections and the objects in them). On Windows these are the SDK's own
// declarations; elsewhere ours, with the same names, signatures and method-table positions.
#pragma once

#include "platform/win32.h"

#if defined(_WIN32)
#include <comadmin.h>
#else
#include "platform/linux/comadmin_subset.h"
#endif
