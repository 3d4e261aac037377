#include "catalog/component_scan.h"

#include "catalog/catalog_objects.h"
#include "com/com_text.h"
#include "inspect/dll_check.h"
#include "report/report.h"

HRESULT ScanComponents(ICatalogCollection* collection) {
  // One VARIANT serves every component: a Name that cannot be read leaves it as it was.
  VARIANT name;
  InitEmptyTextVariant(&name);
  LONG count = 0;
  HRESULT result = collection->get_Count(&count);  // not tested: the count stays 0 unless set
  for (LONG index = 0; index < count; ++index) {
    ComPtr<ICatalogObject> component;
    result = ItemAt(collection, index, component);
    if (FAILED(result)) continue;
    component->get_Name(&name);  // not tested
    Report << "   ProgID: " << TextOfVariant(name).Narrow() << endl;
    result = CheckComponent(index, collection);
  }
  Report << endl;
  ClearVariant(&name);
  return result;
}

HRESULT CheckComponent(LONG index, ICatalogCollection* collection) {
  ComPtr<ICatalogObject> component;
  const HRESULT found = ItemAt(collection, index, component);
  if (FAILED(found)) return found;
  const ComText property(BstrFromNarrow("DLL"));
  VARIANT value;
  InitEmptyTextVariant(&value);
  const HRESULT result = component->get_Value(property.Wide(), &value);
  // An empty path is checked all the same: the check reports that it cannot open it.
  if (SUCCEEDED(result)) CheckDllFile(TextOfVariant(value).Narrow(), SINGLE_DLL_TAG);
  component.Reset();
  ClearVariant(&value);
  return result;
}
