// Class objects registered in this process, so that CoCreateInstance finds the fakes. Windows
// has them; on a system without COM the link seams bring them (support/link_seams.cpp).
#pragma once

#include "platform/win32.h"

#if !defined(_WIN32)
#define CO_E_OBJNOTREG MAKE_HRESULT_CONSTANT(0x800401FBu)
#define REGCLS_MULTIPLEUSE 1u

extern const IID IID_IClassFactory;

struct IClassFactory : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) = 0;
  virtual HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) = 0;
};

extern "C" {
HRESULT WINAPI CoRegisterClassObject(REFCLSID clsid, LPUNKNOWN factory, DWORD context, DWORD flags,
                                     LPDWORD cookie);
HRESULT WINAPI CoRevokeClassObject(DWORD cookie);
}
#endif
