// Handles on this system are pointers to kernel-object records of our own; CloseHandle
// destroys the record. Each kind of object (file, snapshot, token) derives from one base.
#pragma once

#include "platform/linux/win32_subset.h"

struct KernelObject {
  virtual ~KernelObject() = default;
};

// The handle's object as the wanted kind, or null when the handle is not one of that kind.
template <typename Object>
Object* ObjectFromHandle(HANDLE handle) {
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return nullptr;
  return dynamic_cast<Object*>(static_cast<KernelObject*>(handle));
}

inline HANDLE HandleFromObject(KernelObject* object) {
  return static_cast<HANDLE>(object);
}
