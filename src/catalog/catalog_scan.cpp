#include "catalog/catalog_scan.h"

#include "catalog/catalog_objects.h"
#include "catalog/component_scan.h"
#include "com/com_text.h"
#include "report/report.h"
#include "report/system_info.h"

namespace {

// Reads into key the Key of the application at index, provided the entry there still bears
// name (compared as the system compares text, telling upper from lower case). The entry is
// taken by its index, not searched for by name: a search would hand every application of a
// shared name the Key, and so the components, of the first of them. When the entry cannot be
// read or no longer bears the name, key keeps what it holds, as for an application not found.
void ReadApplicationKey(const VARIANT& name, LONG index, ICatalogCollection* applications,
                        VARIANT* key) {
  ComPtr<ICatalogObject> application;
  if (FAILED(ItemAt(applications, index, application))) return;
  VARIANT entryName;
  VariantInit(&entryName);
  if (SUCCEEDED(application->get_Name(&entryName)) &&
      lstrcmpA(TextOfVariant(name).Narrow(), TextOfVariant(entryName).Narrow()) == 0)
    application->get_Key(key);  // not tested: a failed read leaves key as it is
  application.Reset();
  ClearVariant(&entryName);
}

}  // namespace

void ScanCatalog() {
  Report << endl;
  Report << "Opening the COM+ catalog on " << LocalSystem.MachineName << "..." << endl;
  Report << endl;
  // A catalog that cannot be opened is passed over in silence; the host scan follows.
  Catalog catalog;
  if (SUCCEEDED(OpenCatalog(catalog))) ScanApplications(catalog.applications.Get());
}

HRESULT OpenCatalog(Catalog& catalog) {
  ComPtr<IUnknown> unknown;
  HRESULT hr = CoCreateInstance(CLSID_COMAdminCatalog, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                unknown.PutVoid());
  if (SUCCEEDED(hr) && !unknown) hr = E_POINTER;
  if (FAILED(hr)) return hr;

  hr = unknown->QueryInterface(IID_ICOMAdminCatalog, catalog.root.PutVoid());
  unknown.Reset();
  if (SUCCEEDED(hr) && !catalog.root) hr = E_POINTER;
  if (FAILED(hr)) return hr;

  const ComText applications(BstrFromNarrow("Applications"));
  IDispatch* collection = nullptr;
  hr = catalog.root->GetCollection(applications.Wide(), &collection);
  hr = AsCollection(hr, collection, catalog.applications);
  if (FAILED(hr)) return hr;

  hr = catalog.applications->Populate();
  if (FAILED(hr)) return hr;
  return S_OK;
}

HRESULT ScanApplications(ICatalogCollection* applications) {
  VARIANT name;
  InitEmptyTextVariant(&name);
  LONG count = 0;
  HRESULT result = applications->get_Count(&count);
  if (FAILED(result)) count = 0;  // whatever the call left there
  for (LONG index = 0; index < count; ++index) {
    ComPtr<ICatalogObject> application;
    result = ItemAt(applications, index, application);
    if (FAILED(result)) continue;
    // Not tested: a failed read passes on what the VARIANT holds.
    application->get_Name(&name);
    VARIANT copy;
    VariantInit(&copy);
    CopyVariant(&copy, &name);
    ScanApplication(copy, index, applications);
  }
  ClearVariant(&name);
  return result;
}

HRESULT ScanApplication(VARIANT name, LONG index, ICatalogCollection* applications) {
  VARIANT key;
  InitEmptyTextVariant(&key);
  ReadApplicationKey(name, index, applications, &key);

  const ComText components(BstrFromNarrow("Components"));
  IDispatch* found = nullptr;
  ComPtr<ICatalogCollection> collection;
  HRESULT result = applications->GetCollection(components.Wide(), key, &found);
  result = AsCollection(result, found, collection);
  if (SUCCEEDED(result)) {
    // Neither result is tested: an unreadable count is 0.
    collection->Populate();
    LONG count = 0;
    collection->get_Count(&count);
    Report << "Scanning " << TextOfVariant(name).Narrow() << " (" << count
           << (count == 1 ? " component)" : " components)") << endl;
    result = ScanComponents(collection.Get());
    collection.Reset();
  }
  ClearVariant(&key);
  ClearVariant(&name);
  return result;
}
