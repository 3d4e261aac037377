// How the walk receives the catalog's objects.
#pragma once

#include "com/com_ptr.h"
#include "platform/comadmin.h"

// The catalog hands out its collections and objects as the IDispatch of their dual interface,
// so that pointer is the interface itself. A call that reports success but hands back no
// object is taken as failed: there is nothing to walk.
inline HRESULT AsCollection(HRESULT hr, IDispatch* object, ComPtr<ICatalogCollection>& collection) {
  collection.Reset(static_cast<ICatalogCollection*>(object));
  return SUCCEEDED(hr) && object == nullptr ? E_POINTER : hr;
}

// Item(index) of collection as a catalog object, on the same terms.
inline HRESULT ItemAt(ICatalogCollection* collection, LONG index, ComPtr<ICatalogObject>& object) {
  IDispatch* item = nullptr;
  const HRESULT hr = collection->get_Item(index, &item);
  object.Reset(static_cast<ICatalogObject*>(item));
  return SUCCEEDED(hr) && item == nullptr ? E_POINTER : hr;
}
