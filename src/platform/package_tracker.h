// The system's running-package tracker: a COM object listing the server packages that run
// right now, each with its name and the id of its host process. No SDK header declares it, so
// on every system these are this program's own declarations.
#pragma once

#include "platform/win32.h"

extern const CLSID CLSID_PackageTracker;
extern const IID IID_IPackageTracker;
extern const IID IID_RunningPackage;

// Method-table slots that are never called keep their places with placeholders, so that the
// slots used sit where the object puts them.
struct IPackageTracker : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Unused3() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused4() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused5() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused6() = 0;
  virtual HRESULT STDMETHODCALLTYPE GetCount(LONG* count) = 0;                 // slot 7
  virtual HRESULT STDMETHODCALLTYPE GetItem(LONG index, IUnknown** item) = 0;  // slot 8
  virtual HRESULT STDMETHODCALLTYPE Refresh() = 0;                             // slot 9
};

struct RunningPackage : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Unused3() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused4() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused5() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused6() = 0;
  // The caller frees the name with SysFreeString.
  virtual HRESULT STDMETHODCALLTYPE GetName(BSTR* name) = 0;  // slot 7
  virtual HRESULT STDMETHODCALLTYPE Unused8() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused9() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused10() = 0;
  virtual HRESULT STDMETHODCALLTYPE GetProcessId(DWORD* processId) = 0;  // slot 11
};
