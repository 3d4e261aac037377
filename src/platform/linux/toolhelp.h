// What the toolhelp calls share with the opening of module files.
#pragma once

#include "platform/linux/module_list.h"

// The module list that snapshot holds (empty when it was taken of the processes).
ModuleList& ModuleListOf(HANDLE snapshot);
