#pragma once

#include "platform/comadmin.h"

// Lists every component of a populated Components collection with its ProgID and checks the
// file its "DLL" property names; closes the application's block with an empty line. Returns
// the result of the last Count, Item or CheckComponent.
HRESULT ScanComponents(ICatalogCollection* collection);

// Checks the DLL of the component at index: the failure of Item, or else the result of reading
// its "DLL" value (the file is checked only when that read succeeds).
HRESULT CheckComponent(LONG index, ICatalogCollection* collection);
