#include "fakes/fake_package_tracker.h"

#include <algorithm>
#include <utility>

#include "fakes/counted_object.h"

namespace {

TrackerSetup& CurrentSetup() {
  static TrackerSetup setup;
  return setup;
}

class FakeItem final : public CountedObject<RunningPackage> {
 public:
  explicit FakeItem(FakePackage package) : package_(std::move(package)) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    return OfferSelf(riid, {package_.offersRunningPackage ? &IID_RunningPackage : &IID_IUnknown},
                     object);
  }
  HRESULT STDMETHODCALLTYPE Unused3() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Unused4() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Unused5() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Unused6() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetName(BSTR* name) override {
    if (package_.nameless) return E_FAIL;
    const std::vector<OLECHAR> wide(package_.name.begin(), package_.name.end());
    *name = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Unused8() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Unused9() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Unused10() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetProcessId(DWORD* processId) override {
    *processId = package_.processId;
    return S_OK;
  }

 private:
  FakePackage package_;
};

class FakeTracker final : public CountedObject<IPackageTracker> {
 public:
  explicit FakeTracker(TrackerSetup setup) : setup_(std::move(setup)) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    return OfferSelf(riid, {&IID_IPackageTracker}, object);
  }
  HRESULT STDMETHODCALLTYPE Unused3() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Unused4() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Unused5() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Unused6() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetCount(LONG* count) override {
    if (setup_.countDelivered)
      *count = setup_.count.value_or(static_cast<LONG>(setup_.packages.size()));
    return S_OK;
  }
  // An index past the list delivers no item, as a list that changed since it was counted.
  HRESULT STDMETHODCALLTYPE GetItem(LONG index, IUnknown** item) override {
    if (index < 0 || static_cast<std::size_t>(index) >= setup_.packages.size()) return E_INVALIDARG;
    *item = new FakeItem(setup_.packages[static_cast<std::size_t>(index)]);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Refresh() override { return S_OK; }

 private:
  TrackerSetup setup_;
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
    FakePackage package;
    package.offersRunningPackage = !line.starts_with('-');
    line.remove_prefix(package.offersRunningPackage ? 0 : 1);
    const std::size_t blank = line.find(' ');
    if (blank == std::string_view::npos) continue;
    for (char digit : line.substr(0, blank))
      package.processId = package.processId * 10 + static_cast<DWORD>(digit - '0');
    for (char c : line.substr(blank + 1)) package.name.push_back(static_cast<unsigned char>(c));
    setup.packages.push_back(std::move(package));
  }
  return setup;
}

IClassFactory* NewFakeTrackerFactory() {
  return new FakeClassFactory([](REFIID riid, void** object) {
    return HandOutNew(new FakeTracker(CurrentSetup()), riid, object);
  });
}
