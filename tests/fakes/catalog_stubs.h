// Bases for fake catalog objects: every method of the catalog interfaces answers E_NOTIMPL, so
// a fake overrides only the methods the catalog scan calls. The Windows declarations carry
// more methods than ours, so they need more answers.
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

struct CatalogStub : DispatchStub<ICOMAdminCatalog> {
#if defined(_WIN32)
  QUENTIX_NOT_IMPLEMENTED(Connect, BSTR, IDispatch**)
  QUENTIX_NOT_IMPLEMENTED(get_MajorVersion, LONG*)
  QUENTIX_NOT_IMPLEMENTED(get_MinorVersion, LONG*)
  QUENTIX_NOT_IMPLEMENTED(GetCollectionByQuery, BSTR, SAFEARRAY**, IDispatch**)
  QUENTIX_NOT_IMPLEMENTED(ImportComponent, BSTR, BSTR)
  QUENTIX_NOT_IMPLEMENTED(InstallComponent, BSTR, BSTR, BSTR, BSTR)
  QUENTIX_NOT_IMPLEMENTED(ShutdownApplication, BSTR)
  QUENTIX_NOT_IMPLEMENTED(ExportApplication, BSTR, BSTR, LONG)
  QUENTIX_NOT_IMPLEMENTED(InstallApplication, BSTR, BSTR, LONG, BSTR, BSTR, BSTR)
  QUENTIX_NOT_IMPLEMENTED(StopRouter)
  QUENTIX_NOT_IMPLEMENTED(RefreshRouter)
  QUENTIX_NOT_IMPLEMENTED(StartRouter)
  QUENTIX_NOT_IMPLEMENTED(Reserved1)
  QUENTIX_NOT_IMPLEMENTED(Reserved2)
  QUENTIX_NOT_IMPLEMENTED(InstallMultipleComponents, BSTR, SAFEARRAY**, SAFEARRAY**)
  QUENTIX_NOT_IMPLEMENTED(GetMultipleComponentsInfo, BSTR, SAFEARRAY**, SAFEARRAY**, SAFEARRAY**,
                          SAFEARRAY**, SAFEARRAY**)
  QUENTIX_NOT_IMPLEMENTED(RefreshComponents)
  QUENTIX_NOT_IMPLEMENTED(BackupREGDB, BSTR)
  QUENTIX_NOT_IMPLEMENTED(RestoreREGDB, BSTR)
  QUENTIX_NOT_IMPLEMENTED(QueryApplicationFile, BSTR, BSTR*, BSTR*, VARIANT_BOOL*, VARIANT_BOOL*,
                          SAFEARRAY**)
  QUENTIX_NOT_IMPLEMENTED(StartApplication, BSTR)
  QUENTIX_NOT_IMPLEMENTED(ServiceCheck, LONG, LONG*)
  QUENTIX_NOT_IMPLEMENTED(InstallMultipleEventClasses, BSTR, SAFEARRAY**, SAFEARRAY**)
  QUENTIX_NOT_IMPLEMENTED(InstallEventClass, BSTR, BSTR, BSTR, BSTR)
  QUENTIX_NOT_IMPLEMENTED(GetEventClassesForIID, BSTR, SAFEARRAY**, SAFEARRAY**, SAFEARRAY**)
#endif
};

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
