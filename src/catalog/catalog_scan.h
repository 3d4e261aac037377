#pragma once

#include "com/com_ptr.h"
#include "platform/comadmin.h"

// Announces the COM+ catalog of this machine and checks the DLL of every component of every
// application in it. Whatever cannot be read (the catalog, an application, a component) is
// reported as not checked, and the walk goes on with the rest.
void ScanCatalog();

// The steps of the walk, each with the result it reports; the driver calls ScanCatalog alone.

// The catalog of this machine and its populated "Applications" collection, held for one walk
// and given back when it ends: the collection first, then the catalog.
struct Catalog {
  ComPtr<ICOMAdminCatalog> root;
  ComPtr<ICatalogCollection> applications;
};

// Creates the catalog in process and populates its applications. S_OK, or the result of the
// first call that failed; whatever was obtained before that call stays in catalog. Raises
// _com_error when the collection's name cannot be made.
HRESULT OpenCatalog(Catalog& catalog);

// Lists every application of the collection. Returns the result of the last Count or Item call;
// a Count that delivered no count is E_POINTER.
HRESULT ScanApplications(ICatalogCollection* applications);

// Lists the components of the application at index in applications under the given name, which
// it takes over and clears. Returns the failure of GetCollection("Components"), or else the
// result of ScanComponents.
HRESULT ScanApplication(VARIANT name, LONG index, ICatalogCollection* applications);
