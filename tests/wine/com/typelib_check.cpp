// Reads the type library back from the DLL's resource (or, with /registered,
// through the registry) and compares it with the member table the dispatcher
// runs on; checks the DLL's version resource against the project's version.
#include <windows.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <string>

#include "brivet_h.h"
#include "brivet_version.h"
#include "conformance.h"
#include "interface/member_table.h"

using Microsoft::WRL::ComPtr;
using brivet::dispatch::MemberKind;

namespace {

std::string Narrow(BSTR b) {
  std::string out;
  for (UINT i = 0; b && i < SysStringLen(b); ++i) out += static_cast<char>(b[i]);
  return out;
}

INVOKEKIND KindOf(MemberKind kind) {
  switch (kind) {
    case MemberKind::PropertyGet: return INVOKE_PROPERTYGET;
    case MemberKind::PropertyPut: return INVOKE_PROPERTYPUT;
    default: return INVOKE_FUNC;
  }
}

// index: the member's place in the table; func: its place among the functions
// its own interface declares.
void CheckMember(ITypeInfo* info, int func, int index, const brivet::dispatch::Member& m) {
  FUNCDESC* desc = nullptr;
  HRESULT hr = info->GetFuncDesc(UINT(func), &desc);
  EXPECT_HR(S_OK, hr, "GetFuncDesc");
  if (FAILED(hr)) return;
  EXPECT_TRUE_MSG(desc->memid == m.dispid, "%s: dispid expected 0x%08lx got 0x%08lx", m.name,
                  (unsigned long)m.dispid, (unsigned long)desc->memid);
  EXPECT_TRUE_MSG(desc->invkind == KindOf(m.kind), "%s: invoke kind expected %d got %d", m.name,
                  KindOf(m.kind), desc->invkind);
  EXPECT_TRUE_MSG(desc->funckind == FUNC_DISPATCH || desc->funckind == FUNC_PUREVIRTUAL,
                  "%s: function kind %d", m.name, desc->funckind);
  const int slot = desc->oVft / int(sizeof(void*));
  EXPECT_TRUE_MSG(slot == brivet::dispatch::kFirstMemberSlot + index,
                  "%s: vtable slot expected %d got %d", m.name,
                  brivet::dispatch::kFirstMemberSlot + index, slot);
  // A result is the retval parameter, which the dispatch view does not count.
  const int params = m.param_count + (m.has_result ? 1 : 0);
  EXPECT_TRUE_MSG(desc->cParams == params, "%s: parameters expected %d got %d", m.name, params,
                  desc->cParams);
  EXPECT_TRUE_MSG(desc->cParamsOpt >= 0, "%s: no variable argument list", m.name);

  BSTR names[8] = {};
  UINT count = 0;
  info->GetNames(desc->memid, names, 8, &count);
  EXPECT_TRUE_MSG(Narrow(names[0]) == m.name, "member name expected %s got %s", m.name,
                  Narrow(names[0]).c_str());
  for (int p = 0; p < desc->cParams; ++p) {
    const ELEMDESC& e = desc->lprgelemdescParam[p];
    const USHORT flags = e.paramdesc.wParamFlags;
    if (p < m.param_count) {
      const bool is_window = index < 2;
      if (m.params[p].by_value) {
        EXPECT_TRUE_MSG(e.tdesc.vt == VT_VARIANT, "%s param %d: expected VARIANT", m.name, p);
        EXPECT_TRUE_MSG((flags & (PARAMFLAG_FIN | PARAMFLAG_FOUT)) == PARAMFLAG_FIN,
                        "%s param %d: expected in, flags 0x%x", m.name, p, flags);
      } else if (!is_window) {
        EXPECT_TRUE_MSG(e.tdesc.vt == VT_PTR && e.tdesc.lptdesc->vt == VT_VARIANT,
                        "%s param %d: expected VARIANT*", m.name, p);
        EXPECT_TRUE_MSG((flags & (PARAMFLAG_FIN | PARAMFLAG_FOUT)) == (PARAMFLAG_FIN | PARAMFLAG_FOUT),
                        "%s param %d: expected in/out, flags 0x%x", m.name, p, flags);
      }
      const bool optional = (flags & PARAMFLAG_FOPT) != 0;
      EXPECT_TRUE_MSG(optional == m.params[p].optional, "%s param %d: optional flag", m.name, p);
      EXPECT_TRUE_MSG((flags & PARAMFLAG_FHASDEFAULT) == 0, "%s param %d: has a default", m.name, p);
      // The name of a property put's value is not kept by the type library.
      if (p + 1 < int(count))
        EXPECT_TRUE_MSG(Narrow(names[p + 1]) == m.params[p].name, "%s param %d: name expected %s got %s",
                        m.name, p, m.params[p].name, Narrow(names[p + 1]).c_str());
    } else {
      EXPECT_TRUE_MSG((flags & PARAMFLAG_FRETVAL) != 0, "%s: last parameter is the result", m.name);
    }
  }
  for (UINT i = 0; i < count; ++i) SysFreeString(names[i]);
  info->ReleaseFuncDesc(desc);
}

// The identifier of the interface that `info` implements at `index`.
GUID GuidOf(ITypeInfo* info, UINT index) {
  HREFTYPE ref = 0;
  ComPtr<ITypeInfo> implemented;
  if (FAILED(info->GetRefTypeOfImplType(index, &ref)) || FAILED(info->GetRefTypeInfo(ref, &implemented)))
    return GUID_NULL;
  TYPEATTR* attr = nullptr;
  implemented->GetTypeAttr(&attr);
  const GUID guid = attr->guid;
  implemented->ReleaseTypeAttr(attr);
  return guid;
}

// A dual interface whose own functions are the table's members [first, end),
// in virtual-table order after those of the interface it extends.
void CheckInterface(ITypeLib* library, REFIID iid, const char* name, int first, int end, REFIID base) {
  ComPtr<ITypeInfo> dual;
  const HRESULT hr = library->GetTypeInfoOfGuid(iid, &dual);
  EXPECT_HR(S_OK, hr, name);
  if (FAILED(hr)) return;
  TYPEATTR* attr = nullptr;
  dual->GetTypeAttr(&attr);
  const WORD wanted = TYPEFLAG_FHIDDEN | TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE | TYPEFLAG_FDISPATCHABLE;
  EXPECT_TRUE_MSG((attr->wTypeFlags & wanted) == wanted, "%s flags 0x%x", name, attr->wTypeFlags);
  const TYPEKIND kind = attr->typekind;
  dual->ReleaseTypeAttr(attr);
  // The virtual-table view of the dual interface lists the members.
  ComPtr<ITypeInfo> vtable = dual;
  if (kind == TKIND_DISPATCH) {
    HREFTYPE ref = 0;
    if (SUCCEEDED(dual->GetRefTypeOfImplType(-1, &ref))) dual->GetRefTypeInfo(ref, &vtable);
  }
  EXPECT_TRUE_MSG(GuidOf(vtable.Get(), 0) == base, "%s extends the expected interface", name);
  vtable->GetTypeAttr(&attr);
  EXPECT_TRUE_MSG(attr->wTypeFlags & TYPEFLAG_FOLEAUTOMATION, "%s is automation-compatible (0x%x)", name,
                  attr->wTypeFlags);
  EXPECT_TRUE_MSG(attr->cFuncs == end - first, "%s: members expected %d got %d", name, end - first,
                  attr->cFuncs);
  const int entries = brivet::dispatch::kFirstMemberSlot + end;
  EXPECT_TRUE_MSG(attr->cbSizeVft == entries * sizeof(void*), "%s: virtual table of %d entries, got %d", name,
                  entries, int(attr->cbSizeVft / sizeof(void*)));
  const int funcs = attr->cFuncs;
  vtable->ReleaseTypeAttr(attr);
  const auto members = brivet::dispatch::Members();
  for (int i = 0; i < funcs && first + i < end; ++i)
    CheckMember(vtable.Get(), i, first + i, members[size_t(first + i)]);
}

std::wstring VersionString(const void* block, const wchar_t* name) {
  void* value = nullptr;
  UINT length = 0;
  const std::wstring query = std::wstring(L"\\StringFileInfo\\040904b0\\") + name;
  if (!VerQueryValueW(block, query.c_str(), &value, &length) || !value) return {};
  return static_cast<const wchar_t*>(value);
}

void CheckVersionResource(const wchar_t* path) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path, &ignored);
  EXPECT_TRUE_MSG(size != 0, "the DLL has a version resource");
  if (size == 0) return;
  std::string block(size, '\0');
  EXPECT_TRUE_MSG(GetFileVersionInfoW(path, 0, size, block.data()), "GetFileVersionInfoW");
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length);
  EXPECT_TRUE_MSG(fixed && fixed->dwSignature == 0xFEEF04BD, "fixed file information");
  if (fixed) {
    EXPECT_TRUE_MSG(fixed->dwFileVersionMS == MAKELONG(BRIVET_VERSION_MINOR, BRIVET_VERSION_MAJOR) &&
                        fixed->dwFileVersionLS == MAKELONG(0, BRIVET_VERSION_PATCH),
                    "file version %lu.%lu.%lu", (unsigned long)HIWORD(fixed->dwFileVersionMS),
                    (unsigned long)LOWORD(fixed->dwFileVersionMS), (unsigned long)HIWORD(fixed->dwFileVersionLS));
    EXPECT_TRUE_MSG(fixed->dwProductVersionMS == fixed->dwFileVersionMS, "product version");
    EXPECT_TRUE_MSG(fixed->dwFileType == VFT_DLL, "file type %lu", (unsigned long)fixed->dwFileType);
  }
  const std::wstring version(BRIVET_VERSION_TEXT, BRIVET_VERSION_TEXT + sizeof(BRIVET_VERSION_TEXT) - 1);
  EXPECT_TRUE_MSG(VersionString(block.data(), L"ProductName") == L"Brivet", "product name");
  EXPECT_TRUE_MSG(VersionString(block.data(), L"ProductVersion") == version, "product version text %ls",
                  VersionString(block.data(), L"ProductVersion").c_str());
  EXPECT_TRUE_MSG(VersionString(block.data(), L"FileVersion") == version, "file version text");
  EXPECT_TRUE_MSG(!VersionString(block.data(), L"FileDescription").empty(), "file description");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::printf("usage: typelib_check <brivet.dll> | /registered\n");
    return 2;
  }
  CoInitialize(nullptr);
  {
    ComPtr<ITypeLib> library;
    std::wstring path = argv[1];
    HRESULT hr = S_OK;
    if (path == L"/registered") {
      BSTR registered = nullptr;
      hr = QueryPathOfRegTypeLib(LIBID_Brivet, BRIVET_VERSION_MAJOR, BRIVET_VERSION_MINOR, 0, &registered);
      EXPECT_HR(S_OK, hr, "QueryPathOfRegTypeLib");
      path = registered ? registered : L"";
      SysFreeString(registered);
      std::printf("registered at %ls\n", path.c_str());
      hr = LoadRegTypeLib(LIBID_Brivet, BRIVET_VERSION_MAJOR, BRIVET_VERSION_MINOR, 0, &library);
      EXPECT_HR(S_OK, hr, "LoadRegTypeLib");
    } else {
      hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, &library);
      EXPECT_HR(S_OK, hr, "LoadTypeLibEx from the DLL");
    }
    if (FAILED(hr)) return conformance::Finish("typelib");
    CheckVersionResource(path.c_str());

    TLIBATTR* lib = nullptr;
    library->GetLibAttr(&lib);
    EXPECT_TRUE_MSG(lib->guid == LIBID_Brivet, "library GUID");
    EXPECT_TRUE_MSG(lib->wMajorVerNum == BRIVET_VERSION_MAJOR && lib->wMinorVerNum == BRIVET_VERSION_MINOR,
                    "library version %u.%u", lib->wMajorVerNum, lib->wMinorVerNum);
    EXPECT_TRUE_MSG(lib->lcid == 1033, "library locale expected 1033 got %lu", (unsigned long)lib->lcid);
    library->ReleaseTLibAttr(lib);
    BSTR name = nullptr;
    library->GetDocumentation(-1, &name, nullptr, nullptr, nullptr);
    EXPECT_TRUE_MSG(Narrow(name) == "Brivet", "library name %s", Narrow(name).c_str());
    SysFreeString(name);
    EXPECT_TRUE_MSG(library->GetTypeInfoCount() == 3, "three types, got %u", library->GetTypeInfoCount());

    ComPtr<ITypeInfo> coclass;
    hr = library->GetTypeInfoOfGuid(CLSID_Window, &coclass);
    EXPECT_HR(S_OK, hr, "class Window");
    if (SUCCEEDED(hr)) {
      TYPEATTR* attr = nullptr;
      coclass->GetTypeAttr(&attr);
      EXPECT_TRUE_MSG(attr->typekind == TKIND_COCLASS, "Window is a class");
      EXPECT_TRUE_MSG(attr->wTypeFlags & TYPEFLAG_FCANCREATE, "Window is creatable");
      EXPECT_TRUE_MSG(attr->cImplTypes == 1, "one interface");
      coclass->ReleaseTypeAttr(attr);
      INT flags = 0;
      coclass->GetImplTypeFlags(0, &flags);
      EXPECT_TRUE_MSG(flags & IMPLTYPEFLAG_FDEFAULT, "the class has a default interface");
      EXPECT_TRUE_MSG(GuidOf(coclass.Get(), 0) == IID__Window2, "_Window2 is the default interface");
      BSTR class_name = nullptr;
      coclass->GetDocumentation(MEMBERID_NIL, &class_name, nullptr, nullptr, nullptr);
      EXPECT_TRUE_MSG(Narrow(class_name) == "Window", "class name %s", Narrow(class_name).c_str());
      SysFreeString(class_name);
    }

    CheckInterface(library.Get(), IID__Window, "_Window", 0, brivet::dispatch::kWindowMemberCount, IID_IDispatch);
    CheckInterface(library.Get(), IID__Window2, "_Window2", brivet::dispatch::kWindowMemberCount,
                   brivet::dispatch::kMemberCount, IID__Window);
  }
  CoUninitialize();
  return conformance::Finish("typelib");
}
