// The COM runtime of this system: one apartment per process and a table of class objects
// registered with CoRegisterClassObject. No class is registered by the system itself, so
// CoCreateInstance finds only what the program (or a test) registered.
#include <vector>

#include "platform/linux/win32_subset.h"

namespace {

struct Registration {
  CLSID clsid;
  IUnknown* factory;
  DWORD context;
  DWORD cookie;
};

struct Runtime {
  int initialisations = 0;
  DWORD nextCookie = 1;
  std::vector<Registration> classes;
};

Runtime& TheRuntime() {
  static Runtime runtime;
  return runtime;
}

}  // namespace

HRESULT WINAPI CoInitialize(LPVOID) {
  return TheRuntime().initialisations++ == 0 ? S_OK : S_FALSE;
}

void WINAPI CoUninitialize() {
  Runtime& runtime = TheRuntime();
  if (runtime.initialisations > 0) --runtime.initialisations;
}

HRESULT WINAPI CoRegisterClassObject(REFCLSID clsid, LPUNKNOWN factory, DWORD context, DWORD,
                                     LPDWORD cookie) {
  if (factory == nullptr || cookie == nullptr) return E_INVALIDARG;
  Runtime& runtime = TheRuntime();
  if (runtime.initialisations == 0) return CO_E_NOTINITIALIZED;
  factory->AddRef();
  *cookie = runtime.nextCookie++;
  runtime.classes.push_back(Registration{clsid, factory, context, *cookie});
  return S_OK;
}

HRESULT WINAPI CoRevokeClassObject(DWORD cookie) {
  std::vector<Registration>& classes = TheRuntime().classes;
  for (auto it = classes.begin(); it != classes.end(); ++it) {
    if (it->cookie != cookie) continue;
    IUnknown* factory = it->factory;
    classes.erase(it);
    factory->Release();
    return S_OK;
  }
  return CO_E_OBJNOTREG;
}

HRESULT WINAPI CoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID riid,
                                LPVOID* object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  Runtime& runtime = TheRuntime();
  if (runtime.initialisations == 0) return CO_E_NOTINITIALIZED;
  for (const Registration& registration : runtime.classes) {
    if (registration.clsid != clsid || (registration.context & context) == 0) continue;
    IClassFactory* factory = nullptr;
    HRESULT hr =
        registration.factory->QueryInterface(IID_IClassFactory, reinterpret_cast<void**>(&factory));
    if (FAILED(hr)) return hr;
    hr = factory->CreateInstance(outer, riid, object);
    factory->Release();
    return hr;
  }
  return REGDB_E_CLASSNOTREG;
}
