// The COM+ administration interfaces as far as the catalog scan calls them, laid out like the
// Windows declarations: each derives from IDispatch, and each method the scan calls sits at
// the same method-table position as on Windows. Positions the scan never calls before the
// last one it does call are held by placeholders with the Windows signatures; later methods
// are left out, since no caller reaches past them.
#pragma once

#if defined(_WIN32)
#error "comadmin_subset.h is for systems without COM+; include platform/comadmin.h"
#endif

#include "platform/linux/win32_subset.h"

extern "C" {
extern const CLSID CLSID_COMAdminCatalog;
extern const IID IID_ICOMAdminCatalog;
extern const IID IID_ICatalogCollection;
extern const IID IID_ICatalogObject;
}

// Slot 7: GetCollection.
struct ICOMAdminCatalog : IDispatch {
  virtual HRESULT STDMETHODCALLTYPE GetCollection(BSTR bstrCollName,
                                                  IDispatch** ppCatalogCollection) = 0;
};

// Slots 8 get_Item, 9 get_Count, 12 Populate, 14 GetCollection.
struct ICatalogCollection : IDispatch {
  virtual HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown** ppEnumVariant) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Item(LONG lIndex, IDispatch** ppCatalogObject) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Count(LONG* plObjectCount) = 0;
  virtual HRESULT STDMETHODCALLTYPE Remove(LONG lIndex) = 0;
  virtual HRESULT STDMETHODCALLTYPE Add(IDispatch** ppCatalogObject) = 0;
  virtual HRESULT STDMETHODCALLTYPE Populate() = 0;
  virtual HRESULT STDMETHODCALLTYPE SaveChanges(LONG* pcChanges) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetCollection(BSTR bstrCollName, VARIANT varObjectKey,
                                                  IDispatch** ppCatalogCollection) = 0;
};

// Slots 7 get_Value, 9 get_Key, 10 get_Name.
struct ICatalogObject : IDispatch {
  virtual HRESULT STDMETHODCALLTYPE get_Value(BSTR bstrPropName, VARIANT* pvarRetVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_Value(BSTR bstrPropName, VARIANT val) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Key(VARIANT* pvarRetVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Name(VARIANT* pvarRetVal) = 0;
};
