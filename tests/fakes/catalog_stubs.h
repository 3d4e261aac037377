// Bases for fake catalog objects: every method of the catalog interfaces answers E_NOTIMPL, so
// a fake overrides only the methods the catalog scan calls. The Windows declarations carry
// more methods than ours, so they need more answers.
#pragma once

#include "platform/comadmin.h"

template <class Interface>
struct DispatchStub : Interface {
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    return E_NOTIMPL;
  }
};

struct CatalogStub : DispatchStub<ICOMAdminCatalog> {
#if defined(_WIN32)
  HRESULT STDMETHODCALLTYPE Connect(BSTR, IDispatch**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_MajorVersion(LONG*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_MinorVersion(LONG*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetCollectionByQuery(BSTR, SAFEARRAY**, IDispatch**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE ImportComponent(BSTR, BSTR) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE InstallComponent(BSTR, BSTR, BSTR, BSTR) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE ShutdownApplication(BSTR) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE ExportApplication(BSTR, BSTR, LONG) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE InstallApplication(BSTR, BSTR, LONG, BSTR, BSTR, BSTR) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE StopRouter() override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE RefreshRouter() override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE StartRouter() override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Reserved1() override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Reserved2() override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE InstallMultipleComponents(BSTR, SAFEARRAY**, SAFEARRAY**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetMultipleComponentsInfo(BSTR, SAFEARRAY**, SAFEARRAY**, SAFEARRAY**,
                                                      SAFEARRAY**, SAFEARRAY**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE RefreshComponents() override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE BackupREGDB(BSTR) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE RestoreREGDB(BSTR) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE QueryApplicationFile(BSTR, BSTR*, BSTR*, VARIANT_BOOL*, VARIANT_BOOL*,
                                                 SAFEARRAY**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE StartApplication(BSTR) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE ServiceCheck(LONG, LONG*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE InstallMultipleEventClasses(BSTR, SAFEARRAY**, SAFEARRAY**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE InstallEventClass(BSTR, BSTR, BSTR, BSTR) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetEventClassesForIID(BSTR, SAFEARRAY**, SAFEARRAY**,
                                                  SAFEARRAY**) override {
    return E_NOTIMPL;
  }
#endif
};

struct CollectionStub : DispatchStub<ICatalogCollection> {
  HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Remove(LONG) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Add(IDispatch**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SaveChanges(LONG*) override { return E_NOTIMPL; }
#if defined(_WIN32)
  HRESULT STDMETHODCALLTYPE get_Name(VARIANT*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_AddEnabled(VARIANT_BOOL*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_RemoveEnabled(VARIANT_BOOL*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetUtilInterface(IDispatch**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_DataStoreMajorVersion(LONG*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_DataStoreMinorVersion(LONG*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE PopulateByKey(SAFEARRAY*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE PopulateByQuery(BSTR, LONG) override {
    return E_NOTIMPL;
  }
#endif
};

struct ObjectStub : DispatchStub<ICatalogObject> {
  HRESULT STDMETHODCALLTYPE put_Value(BSTR, VARIANT) override { return E_NOTIMPL; }
#if defined(_WIN32)
  HRESULT STDMETHODCALLTYPE IsPropertyReadOnly(BSTR, VARIANT_BOOL*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_Valid(VARIANT_BOOL*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE IsPropertyWriteOnly(BSTR, VARIANT_BOOL*) override {
    return E_NOTIMPL;
  }
#endif
};
