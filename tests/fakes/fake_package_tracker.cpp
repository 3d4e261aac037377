#include "fakes/fake_package_tracker.h"

#include <algorithm>
#include <utility>

#include "fakes/counted_object.h"

namespace {

TrackerSetup& CurrentSetup() {
  static TrackerSetup setup;
  return setup;
}

long liveObjects = 0;

// The fault set up for this call (of this item), if any.
const TrackerFault* FaultOf(const std::vector<TrackerFault>& faults, TrackerCall call,
                            LONG index = -1) {
  for (const TrackerFault& fault : faults)
    if (fault.call == call && (fault.index < 0 || fault.index == index)) return &fault;
  return nullptr;
}

// Runs deliver unless a fault says otherwise, and gives the call's result.
template <typename Deliver>
HRESULT Answer(const TrackerFault* fault, Deliver deliver) {
  if (fault == nullptr) return deliver();
  switch (fault->outcome) {
    case TrackerOutcome::Fail:
      return E_FAIL;
    case TrackerOutcome::DeliverNothing:
      return S_OK;
    case TrackerOutcome::FailAfterDelivery:
      deliver();
      return E_FAIL;
  }
  return E_UNEXPECTED;
}

// The count of live objects, shared by the three kinds of object.
template <typename Interface>
class RefCounted : public CountedObject<Interface> {
 public:
  RefCounted() : CountedObject<Interface>(liveObjects) {}

 protected:
  // Hands out this object for IUnknown and, when offered, for the one interface it implements.
  HRESULT Offer(REFIID riid, const IID& own, bool offered, void** object) {
    return this->OfferSelf(riid, {offered ? &own : &IID_IUnknown}, object);
  }
};

class FakeItem final : public RefCounted<RunningPackage> {
 public:
  FakeItem(FakePackage package, LONG index, std::vector<TrackerFault> faults)
      : package_(std::move(package)), index_(index), faults_(std::move(faults)) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    const TrackerFault* fault = FaultOf(faults_, TrackerCall::QueryRunningPackage, index_);
    if (fault != nullptr && IsEqualIID(riid, IID_RunningPackage)) {
      if (object != nullptr) *object = nullptr;
      return fault->outcome == TrackerOutcome::DeliverNothing ? S_OK : E_NOINTERFACE;
    }
    return Offer(riid, IID_RunningPackage, package_.offersRunningPackage, object);
  }
  HRESULT STDMETHODCALLTYPE Unused3() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Unused4() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Unused5() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Unused6() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetName(BSTR* name) override {
    if (name == nullptr) return E_POINTER;
    return Answer(FaultOf(faults_, TrackerCall::Name, index_), [&] {
      std::vector<OLECHAR> wide(package_.name.begin(), package_.name.end());
      *name = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
      return *name != nullptr ? S_OK : E_OUTOFMEMORY;
    });
  }
  HRESULT STDMETHODCALLTYPE Unused8() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Unused9() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Unused10() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetProcessId(DWORD* processId) override {
    if (processId == nullptr) return E_POINTER;
    return Answer(FaultOf(faults_, TrackerCall::ProcessId, index_), [&] {
      *processId = package_.processId;
      return S_OK;
    });
  }

 private:
  FakePackage package_;
  LONG index_;
  std::vector<TrackerFault> faults_;
};

class FakeTracker final : public RefCounted<IPackageTracker> {
 public:
  explicit FakeTracker(TrackerSetup setup) : setup_(std::move(setup)) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    return Offer(riid, IID_IPackageTracker, true, object);
  }
  HRESULT STDMETHODCALLTYPE Unused3() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Unused4() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Unused5() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Unused6() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetCount(LONG* count) override {
    if (count == nullptr) return E_POINTER;
    return Answer(FaultOf(setup_.faults, TrackerCall::Count), [&] {
      *count = setup_.count.value_or(static_cast<LONG>(setup_.packages.size()));
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE GetItem(LONG index, IUnknown** item) override {
    if (item == nullptr) return E_POINTER;
    return Answer(FaultOf(setup_.faults, TrackerCall::Item, index), [&] {
      if (index < 0 || static_cast<std::size_t>(index) >= setup_.packages.size())
        return E_INVALIDARG;
      *item = new FakeItem(setup_.packages[static_cast<std::size_t>(index)], index, setup_.faults);
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE Refresh() override {
    return Answer(FaultOf(setup_.faults, TrackerCall::Refresh), [] { return S_OK; });
  }

 private:
  TrackerSetup setup_;
};

class FakeTrackerFactory final : public RefCounted<IClassFactory> {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    return Offer(riid, IID_IClassFactory, true, object);
  }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    const TrackerSetup& setup = CurrentSetup();
    return Answer(FaultOf(setup.faults, TrackerCall::Create), [&] {
      FakeTracker* tracker = new FakeTracker(setup);
      const HRESULT hr = tracker->QueryInterface(riid, object);
      tracker->Release();
      return hr;
    });
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

}  // namespace

void SetFakeTrackerSetup(TrackerSetup setup) {
  CurrentSetup() = std::move(setup);
}

TrackerSetup TrackerSetupFromText(std::string_view text) {
  TrackerSetup setup;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    std::string_view line = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    FakePackage package;
    if (!line.empty() && line.front() == '-') {
      package.offersRunningPackage = false;
      line.remove_prefix(1);
    }
    const std::size_t blank = line.find(' ');
    if (blank == std::string_view::npos) continue;
    for (char digit : line.substr(0, blank)) {
      if (digit < '0' || digit > '9') break;
      package.processId = package.processId * 10 + static_cast<DWORD>(digit - '0');
    }
    for (char c : line.substr(blank + 1)) package.name.push_back(static_cast<unsigned char>(c));
    setup.packages.push_back(std::move(package));
  }
  return setup;
}

long LiveTrackerObjects() {
  return liveObjects;
}

IClassFactory* NewFakeTrackerFactory() {
  return new FakeTrackerFactory;
}

HRESULT RegisterFakeTracker(DWORD* cookie) {
  IClassFactory* factory = NewFakeTrackerFactory();
  const HRESULT hr = CoRegisterClassObject(CLSID_PackageTracker, factory, CLSCTX_INPROC_SERVER,
                                           REGCLS_MULTIPLEUSE, cookie);
  factory->Release();
  return hr;
}

HRESULT RevokeFakeTracker(DWORD cookie) {
  return CoRevokeClassObject(cookie);
}
