#include "catalog/catalog_scan.h"

#include "driver/report.h"
#include "driver/system_info.h"

void ScanCatalog() {
  Report << endl;
  Report << "Opening the COM+ catalog on " << LocalSystem.MachineName << "..." << endl;
  Report << endl;
}
