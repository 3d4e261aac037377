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
        {Text(u"Web Shop"), {Component(u"Shop.Cart", u"{DIR}{/}fine.dll")}},
        {Text(u"Web Shop"),
         {Component(u"Shop.Legacy", u"{DIR}{/}recompile.dll"),
          Component(u"Shop.Report", u"{DIR}{/}version5.dll")}},
        {Text(u"Idle")},
        {Text(u"WEB SHOP"), {Component(u"Shop.Plain", u"{DIR}{/}plain.dll")}},
    }};
    // Values a check cannot be made of; the walk names each and goes on.
    made["odd-values"] = {{
        {Text(u"Batch"),
         {{Text(u"Batch.Odd"), NullValue()},
          Component(u"Batch.Empty", u""),
          Component(u"Batch.Gone", u"{DIR}{/}gone.dll"),
          {NullValue(), Text(u"{DIR}{/}fine.dll")},
          Component(u"Batch.Cart", u"{DIR}{/}fine.dll")}},
        {NullValue(), {Component(u"Lost.One", u"{DIR}{/}fine.dll")}},
        {Text(u"Tail"), {Component(u"Tail.End", u"{DIR}{/}recompile.dll")}},
    }};
    made["unopenable"] = {{{Text(u"Hidden")}},
                          {{"class", "CreateInstance", 0, false, E_ACCESSDENIED}}};
    // Enough report to fill any pipe many times over.
    FakeApplication bulk{Text(u"Bulk")};
    for (int i = 0; i < 3000; ++i)
      bulk.components.push_back(Component(u"Bulk.Part", u"{DIR}{/}fine.dll"));
    made["many"] = {{bulk}};
    return made;
  }();
  return scenarios;
}

// The text with every "{DIR}" and "{/}" put in.
WideString WithFolder(WideString text, std::string_view folder) {
#if defined(_WIN32)
  const WideString separator = Wide(u"\\");
#else
  const WideString separator = Wide(u"/");
#endif
  const WideString wideFolder(folder.begin(), folder.end());
  for (const auto& [mark, value] :
       {std::pair{Wide(u"{DIR}"), wideFolder}, std::pair{Wide(u"{/}"), separator}})
    for (std::size_t at; (at = text.find(mark)) != WideString::npos;)
      text.replace(at, mark.size(), value);
  return text;
}

}  // namespace

std::optional<FakeCatalogData> CatalogScenario(std::string_view name, std::string_view folder) {
  const auto found = Scenarios().find(name);
  if (found == Scenarios().end()) return std::nullopt;
  FakeCatalogData data = found->second;
  for (FakeApplication& application : data.applications)
    for (FakeComponent& component : application.components)
      component.dll.text = WithFolder(component.dll.text, folder);
  return data;
}
