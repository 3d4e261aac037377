#include "hosts/host_scan.h"

void ScanRunningHosts() {}
