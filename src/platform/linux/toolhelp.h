// What a module snapshot keeps of each module beyond its record, for opening its file.
#pragma once

#include "platform/linux/mapped_files.h"

struct SnapshotModule {
  MappingOwner owner;
  const ModuleFile* file;
};

// The module that the last step of the walk of snapshot filled a record from: the walk opens
// each module's file before it takes the next.
SnapshotModule LastModuleWalked(HANDLE snapshot);
