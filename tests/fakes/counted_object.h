// Reference counting for the fakes' COM objects, with a tally of the objects alive, so that a
// test can tell that every object it handed out came back.
#pragma once

#include <initializer_list>

#include "platform/win32.h"

template <typename Interface>
class CountedObject : public Interface {
 public:
  explicit CountedObject(long& live) : live_(live) { ++live_; }
  CountedObject(const CountedObject&) = delete;
  CountedObject& operator=(const CountedObject&) = delete;
  virtual ~CountedObject() { --live_; }

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
  long& live_;
  ULONG references_ = 1;
};
