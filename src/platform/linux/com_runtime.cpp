// The COM runtime of this system: one apartment per process, and no class. This system has no
// COM server to offer one, so CoCreateInstance finds none, as Windows finds none for a class
// that is not installed.
#include "platform/linux/win32_subset.h"

namespace {
int initialisations = 0;
}  // namespace

HRESULT WINAPI CoInitialize(LPVOID) {
  return initialisations++ == 0 ? S_OK : S_FALSE;
}

void WINAPI CoUninitialize() {
  if (initialisations > 0) --initialisations;
}

HRESULT WINAPI CoCreateInstance(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID* object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  return initialisations == 0 ? CO_E_NOTINITIALIZED : REGDB_E_CLASSNOTREG;
}
