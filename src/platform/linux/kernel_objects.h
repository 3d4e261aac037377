// Handles on this system are pointers to kernel-object records of our own; CloseHandle
// destroys the record. Each kind of object (file, snapshot, token) derives from one base.
#pragma once

#include "platform/linux/win32_subset.h"

struct KernelObject {
  virtual ~KernelObject() = default;
};

// The handle's object, of the kind that the call it was passed to works on: the program passes
// each call handles of that kind alone, and open.
template <typename Object>
Object* ObjectFromHandle(HANDLE handle) {
  return static_cast<Object*>(static_cast<KernelObject*>(handle));
}

inline HANDLE HandleFromObject(KernelObject* object) {
  return static_cast<HANDLE>(object);
}
