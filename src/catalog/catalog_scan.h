#pragma once

#include "platform/comadmin.h"

// Announces the COM+ catalog of this machine and checks the DLL of every component of every
// application in it.
void ScanCatalog();

// The steps of the walk, open to the tests; the driver calls ScanCatalog alone.

// The catalog of this machine and its populated "Applications" collection. Null until
// OpenCatalog fills them; ScanCatalog releases them and sets them back to null when it is done.
extern ICOMAdminCatalog* CatalogRoot;
extern ICatalogCollection* ApplicationsCollection;

// Creates the catalog in process and populates its applications. S_OK, or the result of the
// first call that failed; whatever was obtained before that call stays in its slot.
HRESULT OpenCatalog();

// Lists every application of collection. Returns the result of the last Count or Item call.
HRESULT ScanApplications(ICatalogCollection* collection);

// Lists the components of the application at index in ApplicationsCollection under the given
// name, which it takes over and clears. Returns the failure of GetCollection("Components"),
// or else the result of ScanComponents.
HRESULT ScanApplication(VARIANT name, LONG index);
