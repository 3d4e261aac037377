#include "catalog/component_scan.h"

#include "catalog/catalog_objects.h"
#include "com/com_error.h"
#include "com/com_text.h"
#include "com/delivered.h"
#include "inspect/dll_check.h"
#include "report/not_checked.h"
#include "report/report.h"
#include "report/report_texts.h"

namespace {

// A component is named by its ProgID where it has one that can be read, else by its place.
std::string ComponentSubject(const std::string& progId, LONG index, std::string_view application) {
  const std::string component = progId.empty() ? "number " + std::to_string(index + 1) : progId;
  return "component " + component + " of application " + std::string(application);
}

}  // namespace

HRESULT ScanComponents(ICatalogCollection* collection, std::string_view application) {
  // One VARIANT serves every component.
  Variant name;
  LONG count = NO_COUNT;
  HRESULT result = collection->get_Count(&count);
  result = CountDelivered(result, count);
  if (FAILED(result))
    ReportNotChecked("the components of application " + std::string(application),
                     ComFailure(result));
  for (LONG index = 0; index < count; ++index) {
    std::string progId;
    try {
      ComPtr<ICatalogObject> component;
      result = ItemAt(collection, index, component);
      if (FAILED(result)) {
        ReportNotChecked(ComponentSubject(progId, index, application), ComFailure(result));
        continue;
      }
      component->get_Name(name.Put());  // result unchecked: a failed read leaves it empty
      progId = TextOfVariant(name.Get()).Narrow();
      Report << PROGID_LEAD << progId << endl;
      result = CheckComponent(index, collection, ComponentSubject(progId, index, application));
    } catch (const _com_error& failure) {
      ReportNotChecked(ComponentSubject(progId, index, application), ComFailure(failure.Error()));
    }
  }
  Report << endl;
  return result;
}

HRESULT CheckComponent(LONG index, ICatalogCollection* collection, const std::string& subject) {
  ComPtr<ICatalogObject> component;
  const HRESULT found = ItemAt(collection, index, component);
  if (FAILED(found)) {
    ReportNotChecked(subject, ComFailure(found));
    return found;
  }
  const ComText property(BstrFromNarrow("DLL"));
  Variant value;
  const HRESULT result = component->get_Value(property.Wide(), value.Put());
  // An empty path is checked all the same: the check reports that it cannot open it.
  if (SUCCEEDED(result))
    CheckDllFile(TextOfVariant(value.Get()).Narrow(), SINGLE_DLL_TAG);
  else
    ReportNotChecked(subject, ComFailure(result));
  component.Reset();
  return result;
}
