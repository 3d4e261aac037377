// Bases for fake catalog objects: every method of the catalog interfaces answers E_NOTIMPL, so
// a fake overrides only the methods the catalog scan calls. The Windows declarations of the
// collections and objects carry more methods than ours, so they need more answers.
#pragma once

#include "platform/comadmin.h"

// A method that answers E_NOTIMPL whatever it is given.
#define QUENTIX_NOT_IMPLEMENTED(name, ...)               \
  HRESULT STDMETHODCALLTYPE name(__VA_ARGS__) override { \
    return E_NOTIMPL;                                    \
  }

template <class Interface>
struct DispatchStub : Interface {
  QUENTIX_NOT_IMPLEMENTED(GetTypeInfoCount, UINT*)
  QUENTIX_NOT_IMPLEMENTED(GetTypeInfo, UINT, LCID, ITypeInfo**)
  QUENTIX_NOT_IMPLEMENTED(GetIDsOfNames, REFIID, LPOLESTR*, UINT, LCID, DISPID*)
  QUENTIX_NOT_IMPLEMENTED(Invoke, DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                          UINT*)
};

// The catalog up to the one slot the scan calls, GetCollection at 7, where our declaration ends;
// on Windows, whose goes on, the fake offers those slots alone, as any COM object may.
#if defined(_WIN32)
struct CatalogSlots : IDispatch {
  virtual HRESULT STDMETHODCALLTYPE GetCollection(BSTR name, IDispatch** collection) = 0;
};
#else
using CatalogSlots = ICOMAdminCatalog;
#endif
using CatalogStub = DispatchStub<CatalogSlots>;

struct CollectionStub : DispatchStub<ICatalogCollection> {
  QUENTIX_NOT_IMPLEMENTED(get__NewEnum, IUnknown**)
  QUENTIX_NOT_IMPLEMENTED(Remove, LONG)
  QUENTIX_NOT_IMPLEMENTED(Add, IDispatch**)
  QUENTIX_NOT_IMPLEMENTED(SaveChanges, LONG*)
#if defined(_WIN32)
  QUENTIX_NOT_IMPLEMENTED(get_Name, VARIANT*)
  QUENTIX_NOT_IMPLEMENTED(get_AddEnabled, VARIANT_BOOL*)
  QUENTIX_NOT_IMPLEMENTED(get_RemoveEnabled, VARIANT_BOOL*)
  QUENTIX_NOT_IMPLEMENTED(GetUtilInterface, IDispatch**)
  QUENTIX_NOT_IMPLEMENTED(get_DataStoreMajorVersion, LONG*)
  QUENTIX_NOT_IMPLEMENTED(get_DataStoreMinorVersion, LONG*)
  QUENTIX_NOT_IMPLEMENTED(PopulateByKey, SAFEARRAY*)
  QUENTIX_NOT_IMPLEMENTED(PopulateByQuery, BSTR, LONG)
#endif
};

struct ObjectStub : DispatchStub<ICatalogObject> {
  QUENTIX_NOT_IMPLEMENTED(put_Value, BSTR, VARIANT)
#if defined(_WIN32)
  QUENTIX_NOT_IMPLEMENTED(IsPropertyReadOnly, BSTR, VARIANT_BOOL*)
  QUENTIX_NOT_IMPLEMENTED(get_Valid, VARIANT_BOOL*)
  QUENTIX_NOT_IMPLEMENTED(IsPropertyWriteOnly, BSTR, VARIANT_BOOL*)
#endif
};
