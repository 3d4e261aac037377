#include "fakes/fake_catalog.h"

#include <map>
#include <memory>
#include <optional>
#include <utility>

#include "fakes/catalog_stubs.h"
#include "fakes/counted_object.h"

namespace {

bool TextIs(BSTR text, std::u16string_view expected) {
  return text != nullptr && WideString(text) == Wide(expected);
}

// The data of one catalog and the tally of calls made on it, shared by all its objects.
class CatalogState {
 public:
  explicit CatalogState(FakeCatalogData data) : data_(std::move(data)) {}

  const FakeCatalogData& Data() const { return data_; }

  // Counts the call; the result to return at once when a fault is set up for it.
  std::optional<HRESULT> Fault(const std::string& target, const std::string& call) {
    const int n = ++tallies_[target + ' ' + call];
    for (const FakeFault& fault : data_.faults)
      if (fault.target == target && fault.call == call &&
          (fault.occurrence == 0 || fault.occurrence == n))
        return fault.deliverNothing ? S_OK : fault.failure;
    return std::nullopt;
  }

 private:
  FakeCatalogData data_;
  std::map<std::string, int> tallies_;
};

using SharedState = std::shared_ptr<CatalogState>;

// Puts value into *out as a real catalog does: written over, not freed first.
HRESULT Deliver(const FakeValue& value, VARIANT* out) {
  VariantInit(out);
  V_VT(out) = value.type;
  if (value.type == VT_I4) V_I4(out) = value.number;
  if (value.type == VT_BSTR)
    V_BSTR(out) = value.nullText
                      ? nullptr
                      : SysAllocStringLen(value.text.data(), static_cast<UINT>(value.text.size()));
  return S_OK;
}

// The key of the application at index: its own, or one made from its place.
std::u16string KeyOf(const FakeApplication& application, std::size_t index) {
  if (!application.key.empty()) return application.key;
  const std::string made = "{APP-" + std::to_string(index) + "}";
  return std::u16string(made.begin(), made.end());
}

// Reference counting, identity and the fault hook that every fake object shares.
template <class Stub>
class FakeObject : public CountedObject<Stub> {
 public:
  FakeObject(SharedState state, std::string target, const IID& iid)
      : state_(std::move(state)), target_(target), iid_(iid) {}

  // Only the query for the catalog interface itself can be made to misbehave: the COM runtime
  // asks for others on its own, as many times as it likes.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    *object = nullptr;
    if (IsEqualIID(riid, iid_))
      if (const std::optional<HRESULT> fault = Fault("QueryInterface")) return *fault;
    return this->OfferSelf(riid, {&IID_IDispatch, &iid_}, object);
  }

 protected:
  std::optional<HRESULT> Fault(const std::string& call) { return state_->Fault(target_, call); }
  const FakeCatalogData& Data() const { return state_->Data(); }
  const SharedState& State() const { return state_; }

 private:
  SharedState state_;
  std::string target_;
  const IID& iid_;
};

// A catalog object: an application (component < 0) or one of its components.
class FakeEntry final : public FakeObject<ObjectStub> {
 public:
  FakeEntry(SharedState state, std::size_t application, long component)
      : FakeObject(std::move(state),
                   component < 0 ? "application:" + std::to_string(application)
                                 : "component:" + std::to_string(application) + '.' +
                                       std::to_string(component),
                   IID_ICatalogObject),
        application_(application),
        component_(component) {}

  HRESULT STDMETHODCALLTYPE get_Value(BSTR property, VARIANT* value) override {
    if (const std::optional<HRESULT> fault = Fault("Value")) return *fault;
    if (component_ < 0 || !TextIs(property, u"DLL")) return E_INVALIDARG;
    return Deliver(Component().dll, value);
  }
  HRESULT STDMETHODCALLTYPE get_Key(VARIANT* key) override {
    if (const std::optional<HRESULT> fault = Fault("Key")) return *fault;
    return Deliver(Text(component_ < 0 ? KeyOf(Application(), application_) : u"{COMPONENT}"), key);
  }
  HRESULT STDMETHODCALLTYPE get_Name(VARIANT* name) override {
    if (const std::optional<HRESULT> fault = Fault("Name")) return *fault;
    return Deliver(component_ < 0 ? Application().name : Component().name, name);
  }

 private:
  const FakeApplication& Application() const { return Data().applications[application_]; }
  const FakeComponent& Component() const {
    return Application().components[static_cast<std::size_t>(component_)];
  }

  std::size_t application_;
  long component_;
};

// The applications collection (application < 0) or the components of one application.
class FakeCollection final : public FakeObject<CollectionStub> {
 public:
  FakeCollection(SharedState state, long application)
      : FakeObject(std::move(state),
                   application < 0 ? "applications" : "components:" + std::to_string(application),
                   IID_ICatalogCollection),
        application_(application) {}

  HRESULT STDMETHODCALLTYPE Populate() override {
    if (const std::optional<HRESULT> fault = Fault("Populate")) return *fault;
    populated_ = true;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_Count(LONG* count) override {
    if (const std::optional<HRESULT> fault = Fault("Count")) return *fault;
    *count = static_cast<LONG>(Size());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_Item(LONG index, IDispatch** item) override {
    *item = nullptr;
    if (const std::optional<HRESULT> fault = Fault("Item(" + std::to_string(index) + ')'))
      return *fault;
    if (index < 0 || static_cast<std::size_t>(index) >= Size()) return E_INVALIDARG;
    *item = application_ < 0
                ? new FakeEntry(State(), static_cast<std::size_t>(index), -1)
                : new FakeEntry(State(), static_cast<std::size_t>(application_), index);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetCollection(BSTR name, VARIANT key, IDispatch** collection) override {
    *collection = nullptr;
    if (const std::optional<HRESULT> fault = Fault("GetCollection")) return *fault;
    if (application_ >= 0 || !TextIs(name, u"Components") || V_VT(&key) != VT_BSTR ||
        V_BSTR(&key) == nullptr)
      return E_INVALIDARG;
    const auto& applications = Data().applications;
    for (std::size_t a = 0; a < applications.size(); ++a)
      if (WideString(V_BSTR(&key)) == Wide(KeyOf(applications[a], a))) {
        *collection = new FakeCollection(State(), static_cast<long>(a));
        return S_OK;
      }
    return E_INVALIDARG;
  }

 private:
  std::size_t Size() const {
    if (!populated_) return 0;
    if (application_ < 0) return Data().applications.size();
    return Data().applications[static_cast<std::size_t>(application_)].components.size();
  }

  long application_;
  bool populated_ = false;
};

class FakeCatalogRoot final : public FakeObject<CatalogStub> {
 public:
  explicit FakeCatalogRoot(SharedState state)
      : FakeObject(std::move(state), "catalog", IID_ICOMAdminCatalog) {}

  HRESULT STDMETHODCALLTYPE GetCollection(BSTR name, IDispatch** collection) override {
    *collection = nullptr;
    if (const std::optional<HRESULT> fault = Fault("GetCollection")) return *fault;
    if (!TextIs(name, u"Applications")) return E_INVALIDARG;
    *collection = new FakeCollection(State(), -1);
    return S_OK;
  }
};

}  // namespace

// Each object it makes is a new catalog over the same data and the same tally of calls.
IClassFactory* NewFakeCatalogFactory(FakeCatalogData data) {
  const auto state = std::make_shared<CatalogState>(std::move(data));
  return new FakeClassFactory([state](REFIID riid, void** object) {
    if (const std::optional<HRESULT> fault = state->Fault("class", "CreateInstance")) return *fault;
    return HandOutNew(new FakeCatalogRoot(state), riid, object);
  });
}
