#pragma once

// Finds every running IIS and COM+ host process, names what runs in it and checks every
// module it has loaded.
void ScanRunningHosts();
