#include "catalog/catalog_scan.h"

void ScanCatalog() {}
