#include "catalog/catalog_scan.h"

#include "catalog/catalog_objects.h"
#include "catalog/component_scan.h"
#include "com/com_text.h"
#include "driver/report.h"
#include "driver/system_info.h"

ICOMAdminCatalog* CatalogRoot = nullptr;
ICatalogCollection* ApplicationsCollection = nullptr;

namespace {

void ReleaseCatalog() {
  if (ApplicationsCollection != nullptr) ApplicationsCollection->Release();
  ApplicationsCollection = nullptr;
  if (CatalogRoot != nullptr) CatalogRoot->Release();
  CatalogRoot = nullptr;
}

// Reads into key the Key of the application at index, provided the entry there still bears
// name (compared as the system compares text, telling upper from lower case). The entry is
// taken by its index, not searched for by name: a search would hand every application of a
// shared name the Key, and so the components, of the first of them. When the entry cannot be
// read or no longer bears the name, key keeps what it holds, as for an application not found.
void ReadApplicationKey(const VARIANT& name, LONG index, VARIANT* key) {
  ICatalogObject* application = nullptr;
  if (FAILED(ItemAt(ApplicationsCollection, index, &application))) return;
  VARIANT entryName;
  VariantInit(&entryName);
  if (SUCCEEDED(application->get_Name(&entryName)) &&
      lstrcmpA(TextOfVariant(name).Narrow(), TextOfVariant(entryName).Narrow()) == 0)
    application->get_Key(key);  // not tested: a failed read leaves key as it is
  application->Release();
  ClearVariant(&entryName);
}

}  // namespace

void ScanCatalog() {
  Report << endl;
  Report << "Opening the COM+ catalog on " << LocalSystem.MachineName << "..." << endl;
  Report << endl;
  // A catalog that cannot be opened is passed over in silence; the host scan follows.
  if (SUCCEEDED(OpenCatalog())) ScanApplications(ApplicationsCollection);
  ReleaseCatalog();
}

HRESULT OpenCatalog() {
  IUnknown* unknown = nullptr;
  HRESULT hr = CoCreateInstance(CLSID_COMAdminCatalog, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                reinterpret_cast<void**>(&unknown));
  if (SUCCEEDED(hr) && unknown == nullptr) hr = E_POINTER;
  if (FAILED(hr)) return hr;

  hr = unknown->QueryInterface(IID_ICOMAdminCatalog, reinterpret_cast<void**>(&CatalogRoot));
  unknown->Release();
  if (SUCCEEDED(hr) && CatalogRoot == nullptr) hr = E_POINTER;
  if (FAILED(hr)) return hr;

  const ComText applications(BstrFromNarrow("Applications"));
  IDispatch* collection = nullptr;
  hr = CatalogRoot->GetCollection(applications.Wide(), &collection);
  hr = AsCollection(hr, collection, &ApplicationsCollection);
  if (FAILED(hr)) return hr;

  hr = ApplicationsCollection->Populate();
  if (FAILED(hr)) return hr;
  return S_OK;
}

HRESULT ScanApplications(ICatalogCollection* collection) {
  VARIANT name;
  InitEmptyTextVariant(&name);
  LONG count = 0;
  HRESULT result = collection->get_Count(&count);
  if (FAILED(result)) count = 0;  // whatever the call left there
  for (LONG index = 0; index < count; ++index) {
    ICatalogObject* application = nullptr;
    result = ItemAt(collection, index, &application);
    if (FAILED(result)) continue;
    // Not tested: a failed read passes on what the VARIANT holds.
    application->get_Name(&name);
    VARIANT copy;
    VariantInit(&copy);
    CopyVariant(&copy, &name);
    ScanApplication(copy, index);
    application->Release();
  }
  ClearVariant(&name);
  return result;
}

HRESULT ScanApplication(VARIANT name, LONG index) {
  VARIANT key;
  InitEmptyTextVariant(&key);
  ReadApplicationKey(name, index, &key);

  const ComText components(BstrFromNarrow("Components"));
  IDispatch* found = nullptr;
  ICatalogCollection* collection = nullptr;
  HRESULT result = ApplicationsCollection->GetCollection(components.Wide(), key, &found);
  result = AsCollection(result, found, &collection);
  if (SUCCEEDED(result)) {
    // Neither result is tested: an unreadable count is 0.
    collection->Populate();
    LONG count = 0;
    collection->get_Count(&count);
    Report << "Scanning " << TextOfVariant(name).Narrow() << " (" << count
           << (count == 1 ? " component)" : " components)") << endl;
    result = ScanComponents(collection);
    collection->Release();
  }
  ClearVariant(&key);
  ClearVariant(&name);
  return result;
}
