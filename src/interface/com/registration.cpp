// Self-registration: the type library, the class, its programmatic
// identifier and the interfaces, machine-wide or for the current user.
#include <string>
#include <vector>

#include "com_handles.h"
#include "brivet_h.h"
#include "brivet_version.h"
#include "module.h"

namespace brivet::com {

namespace {

constexpr const wchar_t* kProgId = L"Brivet.Window";
constexpr const wchar_t* kClassName = L"Window";
constexpr const wchar_t* kLibraryVersion = BRIVET_LIBRARY_VERSION_TEXT;
// The automation marshaler serves every dual interface described by a type library.
constexpr const wchar_t* kAutomationProxy = L"{00020424-0000-0000-C000-000000000046}";
#ifdef _WIN64
constexpr const wchar_t* kSysKind = L"win64";
#else
constexpr const wchar_t* kSysKind = L"win32";
#endif

struct Interface {
  const IID& iid;
  const wchar_t* name;
};
const Interface kInterfaces[] = {{IID__Window, L"_Window"}, {IID__Window2, L"_Window2"}};

std::wstring GuidText(REFGUID guid) {
  wchar_t text[40];
  StringFromGUID2(guid, text, 40);
  return text;
}

std::wstring ModulePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(ModuleHandle(), path.data(), DWORD(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

HRESULT SetValue(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& value) {
  HKEY created = nullptr;
  LSTATUS rc = RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &created, nullptr);
  if (rc != ERROR_SUCCESS) return HRESULT_FROM_WIN32(rc);
  const UniqueRegistryKey handle(created);
  rc = RegSetValueExW(handle.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                      DWORD((value.size() + 1) * sizeof(wchar_t)));
  return HRESULT_FROM_WIN32(rc);
}

HRESULT DeleteTree(HKEY root, const std::wstring& key) {
  const LSTATUS rc = RegDeleteTreeW(root, key.c_str());
  if (rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND) {
    RegDeleteKeyW(root, key.c_str());
    return S_OK;
  }
  return HRESULT_FROM_WIN32(rc);
}

// view: 0 for this module's own registry view, or KEY_WOW64_32KEY /
// KEY_WOW64_64KEY (ignored where there is only one view).
bool KeyExists(HKEY root, const std::wstring& key, REGSAM view = 0) {
  HKEY opened = nullptr;
  if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ | view, &opened) != ERROR_SUCCESS) return false;
  const UniqueRegistryKey handle(opened);
  return true;
}

bool HasSubkeys(HKEY root, const std::wstring& key) {
  HKEY opened = nullptr;
  if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
  const UniqueRegistryKey handle(opened);
  DWORD subkeys = 0;
  RegQueryInfoKeyW(handle.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr,
                   nullptr, nullptr, nullptr);
  return subkeys != 0;
}

// The keys below Software\Classes of the machine or of the current user, in
// the registry view of this module's bitness. The machine's keys are written
// there rather than through HKEY_CLASSES_ROOT, which would write into the
// user's keys where a per-user registration already made them.
HRESULT Register(HKEY root, const std::wstring& base) {
  const std::wstring path = ModulePath();
  if (path.empty()) return HRESULT_FROM_WIN32(GetLastError());
  const std::wstring clsid = GuidText(CLSID_Window);
  const std::wstring libid = GuidText(LIBID_Brivet);
  // With its trailing backslash, as the installer package spells a folder.
  const std::wstring folder = path.substr(0, path.find_last_of(L"\\/") + 1);

  struct Entry {
    std::wstring key;
    const wchar_t* name;
    std::wstring value;
  };
  std::vector<Entry> entries = {
      {L"TypeLib\\" + libid + L"\\" + kLibraryVersion, nullptr, L"Brivet"},
      {L"TypeLib\\" + libid + L"\\" + kLibraryVersion + L"\\0\\" + kSysKind, nullptr, path},
      {L"TypeLib\\" + libid + L"\\" + kLibraryVersion + L"\\FLAGS", nullptr, L"0"},
      {L"TypeLib\\" + libid + L"\\" + kLibraryVersion + L"\\HELPDIR", nullptr, folder},
      {L"CLSID\\" + clsid, nullptr, kClassName},
      {L"CLSID\\" + clsid + L"\\InprocServer32", nullptr, path},
      {L"CLSID\\" + clsid + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
      {L"CLSID\\" + clsid + L"\\ProgID", nullptr, kProgId},
      {L"CLSID\\" + clsid + L"\\VersionIndependentProgID", nullptr, kProgId},
      {L"CLSID\\" + clsid + L"\\TypeLib", nullptr, libid},
      {L"CLSID\\" + clsid + L"\\Version", nullptr, kLibraryVersion},
      {std::wstring(kProgId), nullptr, kClassName},
      {std::wstring(kProgId) + L"\\CLSID", nullptr, clsid},
  };
  // Both interfaces go through the automation marshaler, described by the
  // type library.
  for (const auto& [iid, name] : kInterfaces) {
    const std::wstring key = L"Interface\\" + GuidText(iid);
    entries.push_back({key, nullptr, name});
    entries.push_back({key + L"\\ProxyStubClsid", nullptr, kAutomationProxy});
    entries.push_back({key + L"\\ProxyStubClsid32", nullptr, kAutomationProxy});
    entries.push_back({key + L"\\TypeLib", nullptr, libid});
    entries.push_back({key + L"\\TypeLib", L"Version", kLibraryVersion});
  }
  for (const auto& entry : entries) {
    const HRESULT hr = SetValue(root, base + entry.key, entry.name, entry.value);
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

// A 32-bit and a 64-bit registration live side by side. On 64-bit Windows
// (and for the machine in Wine) the CLSID and Interface keys are per view, so each
// bitness removes its own; the TypeLib key and the programmatic identifier
// are one key seen by both views, so only this bitness's part of them goes,
// and the rest only once no registration of either bitness needs it.
HRESULT Unregister(HKEY root, const std::wstring& base) {
  const std::wstring clsid = L"CLSID\\" + GuidText(CLSID_Window);
  const std::wstring library = base + L"TypeLib\\" + GuidText(LIBID_Brivet);
  const std::wstring version = library + L"\\" + kLibraryVersion;
  HRESULT result = S_OK;
  const auto remove = [&](const std::wstring& key) {
    const HRESULT hr = DeleteTree(root, key);
    if (FAILED(hr)) result = hr;
  };
  remove(base + clsid);
  for (const auto& [iid, name] : kInterfaces) remove(base + L"Interface\\" + GuidText(iid));
  remove(version + L"\\0\\" + kSysKind);
  if (!HasSubkeys(root, version + L"\\0")) {
    remove(version);
    // Other versions of the library may still be registered under it.
    if (!HasSubkeys(root, library)) RegDeleteKeyW(root, library.c_str());
  }
  if (!KeyExists(root, base + clsid, KEY_WOW64_32KEY) && !KeyExists(root, base + clsid, KEY_WOW64_64KEY))
    remove(base + kProgId);
  return result;
}

constexpr const wchar_t* kClasses = L"Software\\Classes\\";

}  // namespace

}  // namespace brivet::com

using namespace brivet::com;

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() { return Register(HKEY_LOCAL_MACHINE, kClasses); }

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() { return Unregister(HKEY_LOCAL_MACHINE, kClasses); }

// regsvr32 /i:user [/n] registers for the current user only, without
// administrator rights; /u /i:user removes that registration.
extern "C" HRESULT STDAPICALLTYPE DllInstall(BOOL install, LPCWSTR command_line) {
  const bool per_user = command_line && _wcsicmp(command_line, L"user") == 0;
  if (per_user) {
    return install ? Register(HKEY_CURRENT_USER, kClasses) : Unregister(HKEY_CURRENT_USER, kClasses);
  }
  if (command_line && *command_line) return E_INVALIDARG;
  return install ? DllRegisterServer() : DllUnregisterServer();
}
