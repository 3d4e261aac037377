// An in-process COM server that serves the fake COM+ catalog and the fake package tracker to
// real programs under Wine, where neither class exists. The test bed registers it for both
// classes; each registration names, in its value "TestData", the file the class reads its
// data from when an object of it is asked for. While that file is missing the class is not
// available, as on a machine without it.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "fakes/counted_object.h"
#include "fakes/fake_catalog.h"
#include "fakes/fake_package_tracker.h"

namespace {

// The data file named in the class's registration, or "" when there is none.
std::string RegisteredDataFile(REFCLSID clsid) {
  wchar_t guid[39] = {};
  if (StringFromGUID2(clsid, guid, 39) == 0) return "";
  const std::wstring key = std::wstring(L"CLSID\\") + guid + L"\\InprocServer32";
  wchar_t path[MAX_PATH] = {};
  DWORD size = sizeof path;
  if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), L"TestData", RRF_RT_REG_SZ, nullptr, path,
                   &size) != ERROR_SUCCESS)
    return "";
  char narrow[MAX_PATH * 3] = {};
  if (WideCharToMultiByte(CP_ACP, 0, path, -1, narrow, sizeof narrow, nullptr, nullptr) == 0)
    return "";
  return narrow;
}

bool ReadWholeFile(const std::string& path, std::string* text) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  text->assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  return true;
}

}  // namespace

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  const std::string dataFile = RegisteredDataFile(clsid);
  std::string text;
  if (dataFile.empty() || !ReadWholeFile(dataFile, &text)) return CLASS_E_CLASSNOTAVAILABLE;

  if (IsEqualCLSID(clsid, CLSID_COMAdminCatalog)) {
    // The catalog's data file names a scenario on its first line and the folder of the
    // samples on its second.
    const std::size_t end = text.find('\n');
    std::string folder = end == std::string::npos ? "" : text.substr(end + 1);
    while (!folder.empty() && (folder.back() == '\n' || folder.back() == '\r')) folder.pop_back();
    std::optional<FakeCatalogData> data = CatalogScenario(text.substr(0, end), folder);
    if (!data) {
      // Shows in the failing test's output, next to the report it spoiled.
      std::fprintf(stderr, "fake_com_server: %s: no such catalog\n", dataFile.c_str());
      return CLASS_E_CLASSNOTAVAILABLE;
    }
    return HandOutNew(NewFakeCatalogFactory(std::move(*data)), riid, object);
  }
  if (IsEqualCLSID(clsid, CLSID_PackageTracker)) {
    SetFakeTrackerSetup(TrackerSetupFromText(text));
    return HandOutNew(NewFakeTrackerFactory(), riid, object);
  }
  return CLASS_E_CLASSNOTAVAILABLE;
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
  return LiveFakeObjects == 0 ? S_OK : S_FALSE;
}
