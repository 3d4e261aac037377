// The catalogs the black-box suites serve under a name: the Linux harness
// (tests/tools/quentix_with_fakes) and the Windows test bed's COM server both take them from here.
#include <map>
#include <string>

#include "fakes/fake_catalog.h"

namespace {

FakeComponent Component(std::u16string_view name, std::u16string_view dll) {
  return {Text(name), Text(dll)};
}

const std::map<std::string, FakeCatalogData, std::less<>>& Scenarios() {
  static const std::map<std::string, FakeCatalogData, std::less<>> scenarios = [] {
    std::map<std::string, FakeCatalogData, std::less<>> made;
    // Two applications of one name, each with its own components; one whose name differs
    // from theirs only in case; one with no components.
    made["shops"] = {{
        {Text(u"Web Shop"), {Component(u"Shop.Cart", u"fine.dll")}},
        {Text(u"Web Shop"),
         {Component(u"Shop.Legacy", u"recompile.dll"), Component(u"Shop.Report", u"version5.dll")}},
        {Text(u"Idle")},
        {Text(u"WEB SHOP"), {Component(u"Shop.Plain", u"plain.dll")}},
    }};
    // Nothing to recompile.
    made["clean"] = {{
        {Text(u"Web Shop"),
         {Component(u"Shop.Cart", u"fine.dll"), Component(u"Shop.Plain", u"plain.dll")}},
    }};
    // Values a check cannot be made of; the walk names each and goes on.
    made["odd-values"] = {{
        {Text(u"Batch"),
         {{Text(u"Batch.Odd"), NullValue()},
          Component(u"Batch.Empty", u""),
          Component(u"Batch.Gone", u"gone.dll"),
          {NullValue(), Text(u"fine.dll")},
          Component(u"Batch.Cart", u"fine.dll")}},
        {NullValue(), {Component(u"Lost.One", u"fine.dll")}},
        {Text(u"Tail"), {Component(u"Tail.End", u"recompile.dll")}},
    }};
    made["unopenable"] = {{{Text(u"Hidden")}},
                          {{"class", "CreateInstance", 0, false, E_ACCESSDENIED}}};
    // Enough report to fill any pipe many times over.
    FakeApplication bulk{Text(u"Bulk")};
    for (int i = 0; i < 3000; ++i) bulk.components.push_back(Component(u"Bulk.Part", u"fine.dll"));
    made["many"] = {{bulk}};
    return made;
  }();
  return scenarios;
}

}  // namespace

std::optional<FakeCatalogData> CatalogScenario(std::string_view name, std::string_view folder) {
  const auto found = Scenarios().find(name);
  if (found == Scenarios().end()) return std::nullopt;
  FakeCatalogData data = found->second;
#if defined(_WIN32)
  const WideString prefix = WideString(folder.begin(), folder.end()) + Wide(u"\\");
#else
  const WideString prefix = WideString(folder.begin(), folder.end()) + Wide(u"/");
#endif
  for (FakeApplication& application : data.applications)
    for (FakeComponent& component : application.components)
      if (!component.dll.text.empty()) component.dll.text.insert(0, prefix);
  return data;
}
