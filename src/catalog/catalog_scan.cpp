#include "catalog/catalog_scan.h"

#include <string>

#include "catalog/catalog_objects.h"
#include "catalog/component_scan.h"
#include "com/com_error.h"
#include "com/com_text.h"
#include "com/delivered.h"
#include "report/not_checked.h"
#include "report/report.h"
#include "report/report_texts.h"
#include "report/system_info.h"

namespace {

// An application is named by its name where it has one that can be read, else by its place.
std::string ApplicationLabel(const std::string& name, LONG index) {
  return name.empty() ? "number " + std::to_string(index + 1) : name;
}

std::string ApplicationSubject(LONG index) {
  return "application " + ApplicationLabel("", index) + " of the COM+ catalog";
}

// Reads into key the Key of the application at index, provided the entry there still bears
// name (compared as the system compares text, telling upper from lower case). The entry is
// taken by its index, not searched for by name: a search would hand every application of a
// shared name the Key, and so the components, of the first of them. When the entry cannot be
// read or no longer bears the name, key keeps what it holds, as for an application not found.
void ReadApplicationKey(const VARIANT& name, LONG index, ICatalogCollection* applications,
                        Variant& key) {
  ComPtr<ICatalogObject> application;
  if (FAILED(ItemAt(applications, index, application))) return;
  Variant entryName;
  if (SUCCEEDED(application->get_Name(entryName.Put())) &&
      lstrcmpA(TextOfVariant(name).Narrow(), TextOfVariant(entryName.Get()).Narrow()) == 0)
    application->get_Key(key.Put());  // result unchecked: a failed read leaves key empty
  application.Reset();
}

}  // namespace

void ScanCatalog() {
  Report << endl;
  Report << CATALOG_MACHINE_LEAD << LocalSystem.MachineName << MACHINE_END << endl;
  Report << endl;
  Catalog catalog;
  HRESULT opened;
  try {
    opened = OpenCatalog(catalog);
  } catch (const _com_error& failure) {  // a collection's name that cannot be made
    opened = failure.Error();
  }
  if (FAILED(opened)) {
    ReportNotChecked(std::string("the COM+ catalog on ") + LocalSystem.MachineName,
                     ComFailure(opened));
    return;  // the host scan follows all the same
  }
  ScanApplications(catalog.applications.Get());
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
  Variant name;
  LONG count = NO_COUNT;
  HRESULT result = applications->get_Count(&count);
  result = CountDelivered(result, count);
  if (FAILED(result)) {
    ReportNotChecked(
        std::string("the applications of the COM+ catalog on ") + LocalSystem.MachineName,
        ComFailure(result));
    count = 0;  // whatever the call left there
  }
  for (LONG index = 0; index < count; ++index) {
    // An application whose text cannot be had is passed over with its line, like one that
    // cannot be read at all.
    try {
      ComPtr<ICatalogObject> application;
      result = ItemAt(applications, index, application);
      if (FAILED(result)) {
        ReportNotChecked(ApplicationSubject(index), ComFailure(result));
        continue;
      }
      application->get_Name(name.Put());  // result unchecked: a failed read leaves it empty
      VARIANT copy;
      VariantInit(&copy);
      CopyVariant(&copy, &name.Get());
      ScanApplication(copy, index, applications);
    } catch (const _com_error& failure) {
      ReportNotChecked(ApplicationSubject(index), ComFailure(failure.Error()));
    }
  }
  return result;
}

HRESULT ScanApplication(VARIANT adopted, LONG index, ICatalogCollection* applications) {
  Variant name(adopted);
  Variant key(Variant::EmptyText{});
  ReadApplicationKey(name.Get(), index, applications, key);
  const std::string text = TextOfVariant(name.Get()).Narrow();
  const std::string application = ApplicationLabel(text, index);

  const ComText components(BstrFromNarrow("Components"));
  IDispatch* found = nullptr;
  ComPtr<ICatalogCollection> collection;
  HRESULT result = applications->GetCollection(components.Wide(), key.Get(), &found);
  result = AsCollection(result, found, collection);
  if (FAILED(result)) {
    ReportNotChecked("the components of application " + application, ComFailure(result));
  } else {
    const HRESULT populated = collection->Populate();
    LONG count = 0;
    collection->get_Count(&count);  // result unchecked: the component walk counts again
    Report << APPLICATION_LEAD << text << COMPONENT_COUNT_LEAD << count
           << (count == 1 ? ONE_COMPONENT_END : COMPONENTS_END) << endl;
    if (FAILED(populated))
      ReportNotChecked("the components of application " + application, ComFailure(populated));
    result = ScanComponents(collection.Get(), application);
    collection.Reset();
  }
  return result;
}
