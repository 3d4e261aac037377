#pragma once

// Announces the COM+ catalog of this machine and checks the DLL of every component of every
// application in it.
void ScanCatalog();
