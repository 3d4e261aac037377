#pragma once

#include <string>
#include <string_view>

#include "platform/comadmin.h"

// Lists every component of a populated Components collection of the named application with
// its ProgID and checks the file its "DLL" property names; closes the application's block with
// an empty line. A component that cannot be read is reported as not checked, and the walk
// goes on. Returns the result of the last Count, Item or CheckComponent; a Count that delivered
// no count is E_POINTER.
HRESULT ScanComponents(ICatalogCollection* collection, std::string_view application);

// Checks the DLL of the component at index, named subject in a failure: the failure of Item,
// or else the result of reading its "DLL" value (the file is checked only when that read
// succeeds; when it fails, the component is reported as not checked).
HRESULT CheckComponent(LONG index, ICatalogCollection* collection, const std::string& subject);
