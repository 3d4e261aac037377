// What a module snapshot keeps of each module beyond its record, for opening its file.
#pragma once

#include "platform/linux/mapped_files.h"

struct SnapshotModule {
  MappingOwner owner;
  const ModuleFile* file = nullptr;  // null: no such module in the snapshot
};

// The module of snapshot that a walk filled entry from (found by its base address and process).
SnapshotModule FindSnapshotModule(HANDLE snapshot, const MODULEENTRY32& entry);
