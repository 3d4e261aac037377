// Reference counting for the fakes' COM objects, with one tally of the objects alive, so that a
// test can tell that every object it handed out came back; and their class objects, registered
// in the process so that CoCreateInstance finds them.
#pragma once

#include <initializer_list>
#include <utility>

#include "platform/win32.h"

// What Windows declares; on Linux the link seams define the calls (support/link_seams.cpp).
#if !defined(_WIN32)
#define REGCLS_MULTIPLEUSE 1u
inline constexpr IID IID_IClassFactory = {0x00000001, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
struct IClassFactory : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) = 0;
  virtual HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) = 0;
};
extern "C" HRESULT WINAPI CoRegisterClassObject(REFCLSID clsid, LPUNKNOWN factory, DWORD context,
                                                DWORD flags, LPDWORD cookie);
extern "C" HRESULT WINAPI CoRevokeClassObject(DWORD cookie);
#endif

// Fake objects of any kind alive now: 0 once every reference handed out has come back.
inline long LiveFakeObjects = 0;

template <typename Interface>
class CountedObject : public Interface {
 public:
  CountedObject() { ++LiveFakeObjects; }
  CountedObject(const CountedObject&) = delete;
  CountedObject& operator=(const CountedObject&) = delete;
  virtual ~CountedObject() { --LiveFakeObjects; }

  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  // Hands out this object for IUnknown and for the interfaces of others.
  HRESULT OfferSelf(REFIID riid, std::initializer_list<const IID*> others, void** object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    bool offered = IsEqualIID(riid, IID_IUnknown);
    for (const IID* other : others) offered = offered || IsEqualIID(riid, *other);
    if (!offered) return E_NOINTERFACE;
    *object = static_cast<Interface*>(this);
    AddRef();
    return S_OK;
  }

 private:
  ULONG references_ = 1;
};

// Hands out a new object for riid, giving up the reference its maker held.
template <typename Object>
HRESULT HandOutNew(Object* object, REFIID riid, void** out) {
  const HRESULT hr = object->QueryInterface(riid, out);
  object->Release();
  return hr;
}

// A class object whose CreateInstance hands out what make(riid, object) makes.
template <typename Make>
class FakeClassFactory final : public CountedObject<IClassFactory> {
 public:
  explicit FakeClassFactory(Make make) : make_(std::move(make)) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    return OfferSelf(riid, {&IID_IClassFactory}, object);
  }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
    *object = nullptr;
    return outer != nullptr ? CLASS_E_NOAGGREGATION : make_(riid, object);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

 private:
  Make make_;
};

// Registers factory as the class object of clsid, taking over the caller's reference;
// CoRevokeClassObject(cookie) withdraws it. COM must be initialised.
inline HRESULT RegisterClassFactory(REFCLSID clsid, IClassFactory* factory, DWORD* cookie) {
  const HRESULT hr =
      CoRegisterClassObject(clsid, factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, cookie);
  factory->Release();
  return hr;
}
