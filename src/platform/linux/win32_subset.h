// Win32, COM and OLE Automation as far as this program uses them, for systems that have
// none of them. Names, types, constants and method-table layouts follow the Windows SDK so
// that the code above this layer is the same on every system. Text units are 16 bits wide,
// as on Windows (char16_t, never the 32-bit wchar_t of this system).
#pragma once

#if defined(_WIN32)
#error "win32_subset.h is for systems without Win32; include platform/win32.h"
#endif

#include <cstdarg>
#include <cstddef>
#include <cstdint>

// ---- Basic types ------------------------------------------------------------------------

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using ULONG = std::uint32_t;
using SHORT = std::int16_t;
using USHORT = std::uint16_t;
using INT = int;
using UINT = unsigned int;
using LONGLONG = std::int64_t;
using ULONGLONG = std::uint64_t;
using LONG_PTR = std::intptr_t;
using ULONG_PTR = std::uintptr_t;
using SIZE_T = std::size_t;
using BOOL = int;
using CHAR = char;
using WCHAR = char16_t;
using OLECHAR = WCHAR;
using FLOAT = float;
using DOUBLE = double;
using LPVOID = void*;
using LPCVOID = const void*;
using LPSTR = char*;
using LPCSTR = const char*;
using LPWSTR = WCHAR*;
using LPCWSTR = const WCHAR*;
using LPOLESTR = OLECHAR*;
using LPCOLESTR = const OLECHAR*;
using LPBOOL = BOOL*;
using LPDWORD = DWORD*;
using PDWORD = DWORD*;
using PLONG = LONG*;
using HANDLE = void*;
using PHANDLE = HANDLE*;
using HMODULE = void*;
using HRESULT = LONG;
using SCODE = LONG;
using LCID = DWORD;
using DISPID = LONG;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

#define WINAPI
#define STDMETHODCALLTYPE
#define STDAPI extern "C" HRESULT
#define MAX_PATH 260

#define INVALID_HANDLE_VALUE (reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1)))

// ---- Results and last-error codes ------------------------------------------------------

#define SUCCEEDED(hr) (static_cast<HRESULT>(hr) >= 0)
#define FAILED(hr) (static_cast<HRESULT>(hr) < 0)
#define MAKE_HRESULT_CONSTANT(value) static_cast<HRESULT>(static_cast<std::uint32_t>(value))

#define S_OK MAKE_HRESULT_CONSTANT(0x00000000u)
#define S_FALSE MAKE_HRESULT_CONSTANT(0x00000001u)
#define E_NOTIMPL MAKE_HRESULT_CONSTANT(0x80004001u)
#define E_NOINTERFACE MAKE_HRESULT_CONSTANT(0x80004002u)
#define E_POINTER MAKE_HRESULT_CONSTANT(0x80004003u)
#define E_FAIL MAKE_HRESULT_CONSTANT(0x80004005u)
#define E_UNEXPECTED MAKE_HRESULT_CONSTANT(0x8000FFFFu)
#define E_ACCESSDENIED MAKE_HRESULT_CONSTANT(0x80070005u)
#define E_OUTOFMEMORY MAKE_HRESULT_CONSTANT(0x8007000Eu)
#define E_INVALIDARG MAKE_HRESULT_CONSTANT(0x80070057u)
#define CLASS_E_NOAGGREGATION MAKE_HRESULT_CONSTANT(0x80040110u)
#define CLASS_E_CLASSNOTAVAILABLE MAKE_HRESULT_CONSTANT(0x80040111u)
#define REGDB_E_CLASSNOTREG MAKE_HRESULT_CONSTANT(0x80040154u)
#define CO_E_NOTINITIALIZED MAKE_HRESULT_CONSTANT(0x800401F0u)
#define DISP_E_TYPEMISMATCH MAKE_HRESULT_CONSTANT(0x80020005u)
#define DISP_E_BADVARTYPE MAKE_HRESULT_CONSTANT(0x80020008u)
#define DISP_E_OVERFLOW MAKE_HRESULT_CONSTANT(0x8002000Au)
#define RPC_E_CHANGED_MODE MAKE_HRESULT_CONSTANT(0x80010106u)

#define FACILITY_WIN32 7
#define HRESULT_FROM_WIN32(x)                                                 \
  (static_cast<HRESULT>(x) <= 0                                               \
       ? static_cast<HRESULT>(x)                                              \
       : static_cast<HRESULT>((static_cast<std::uint32_t>(x) & 0x0000FFFFu) | \
                              (FACILITY_WIN32 << 16) | 0x80000000u))

#define ERROR_SUCCESS 0L
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_PATH_NOT_FOUND 3L
#define ERROR_TOO_MANY_OPEN_FILES 4L
#define ERROR_ACCESS_DENIED 5L
#define ERROR_INVALID_HANDLE 6L
#define ERROR_NOT_ENOUGH_MEMORY 8L
#define ERROR_OUTOFMEMORY 14L
#define ERROR_NO_MORE_FILES 18L
#define ERROR_BAD_LENGTH 24L
#define ERROR_WRITE_FAULT 29L
#define ERROR_READ_FAULT 30L
#define ERROR_GEN_FAILURE 31L
#define ERROR_NOT_SUPPORTED 50L
#define ERROR_INVALID_PARAMETER 87L
#define ERROR_BROKEN_PIPE 109L
#define ERROR_BUFFER_OVERFLOW 111L
#define ERROR_DISK_FULL 112L
#define ERROR_INSUFFICIENT_BUFFER 122L
#define ERROR_INVALID_NAME 123L
#define ERROR_NEGATIVE_SEEK 131L
#define ERROR_BAD_ARGUMENTS 160L
#define ERROR_FILENAME_EXCED_RANGE 206L
#define ERROR_FILE_TOO_LARGE 223L
#define ERROR_PARTIAL_COPY 299L
#define ERROR_MR_MID_NOT_FOUND 317L
#define ERROR_NOT_ALL_ASSIGNED 1300L
#define ERROR_NO_SUCH_PRIVILEGE 1313L
#define ERROR_PRIVILEGE_NOT_HELD 1314L
#define ERROR_FILE_INVALID 1006L
#define RPC_S_SERVER_UNAVAILABLE 1722L
#define ERROR_CANT_RESOLVE_FILENAME 1921L

#define FORMAT_MESSAGE_IGNORE_INSERTS 0x00000200u
#define FORMAT_MESSAGE_FROM_SYSTEM 0x00001000u

extern "C" {
DWORD WINAPI GetLastError();
void WINAPI SetLastError(DWORD code);
BOOL WINAPI CloseHandle(HANDLE object);
DWORD WINAPI FormatMessageA(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId,
                            LPSTR buffer, DWORD size, va_list* arguments);
}

// ---- Host identity -----------------------------------------------------------------------

#define MAX_COMPUTERNAME_LENGTH 15

extern "C" BOOL WINAPI GetComputerNameA(LPSTR buffer, LPDWORD size);

// ---- Files -------------------------------------------------------------------------------

#define GENERIC_READ 0x80000000u
#define FILE_SHARE_READ 0x00000001u
#define FILE_SHARE_WRITE 0x00000002u
#define FILE_SHARE_DELETE 0x00000004u
#define OPEN_EXISTING 3u
#define FILE_ATTRIBUTE_NORMAL 0x00000080u

struct SECURITY_ATTRIBUTES;
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;
struct OVERLAPPED;
using LPOVERLAPPED = OVERLAPPED*;

#define FILE_TYPE_UNKNOWN 0x0000u
#define FILE_TYPE_DISK 0x0001u
#define FILE_TYPE_CHAR 0x0002u
#define FILE_TYPE_PIPE 0x0003u

#define FILE_BEGIN 0u
#define FILE_CURRENT 1u
#define FILE_END 2u
#define INVALID_SET_FILE_POINTER 0xFFFFFFFFu
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010u
#define INVALID_FILE_ATTRIBUTES 0xFFFFFFFFu

struct FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
};

struct WIN32_FIND_DATAA {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD dwReserved0;
  DWORD dwReserved1;
  CHAR cFileName[MAX_PATH];
  CHAR cAlternateFileName[14];
};
using LPWIN32_FIND_DATAA = WIN32_FIND_DATAA*;

extern "C" {
DWORD WINAPI GetFileType(HANDLE file);
HANDLE WINAPI CreateFileA(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                          DWORD disposition, DWORD flags, HANDLE templateFile);
BOOL WINAPI ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read,
                     LPOVERLAPPED overlapped);
DWORD WINAPI SetFilePointer(HANDLE file, LONG distance, PLONG distanceHigh, DWORD moveMethod);
DWORD WINAPI GetFileAttributesA(LPCSTR name);
// Of the patterns Windows takes, only "FOLDER/*": every name in the folder.
HANDLE WINAPI FindFirstFileA(LPCSTR pattern, LPWIN32_FIND_DATAA found);
BOOL WINAPI FindNextFileA(HANDLE search, LPWIN32_FIND_DATAA found);
BOOL WINAPI FindClose(HANDLE search);
}

// ---- Process and module lists (Toolhelp32) ------------------------------------------------

#define TH32CS_SNAPHEAPLIST 0x00000001u
#define TH32CS_SNAPPROCESS 0x00000002u
#define TH32CS_SNAPTHREAD 0x00000004u
#define TH32CS_SNAPMODULE 0x00000008u
#define TH32CS_SNAPMODULE32 0x00000010u
#define TH32CS_SNAPALL \
  (TH32CS_SNAPHEAPLIST | TH32CS_SNAPPROCESS | TH32CS_SNAPTHREAD | TH32CS_SNAPMODULE)
#define MAX_MODULE_NAME32 255

struct PROCESSENTRY32 {
  DWORD dwSize;
  DWORD cntUsage;
  DWORD th32ProcessID;
  ULONG_PTR th32DefaultHeapID;
  DWORD th32ModuleID;
  DWORD cntThreads;
  DWORD th32ParentProcessID;
  LONG pcPriClassBase;
  DWORD dwFlags;
  CHAR szExeFile[MAX_PATH];
};
using LPPROCESSENTRY32 = PROCESSENTRY32*;

struct MODULEENTRY32 {
  DWORD dwSize;
  DWORD th32ModuleID;
  DWORD th32ProcessID;
  DWORD GlblcntUsage;
  DWORD ProccntUsage;
  BYTE* modBaseAddr;
  DWORD modBaseSize;
  HMODULE hModule;
  char szModule[MAX_MODULE_NAME32 + 1];
  char szExePath[MAX_PATH];
};
using LPMODULEENTRY32 = MODULEENTRY32*;

extern "C" {
HANDLE WINAPI CreateToolhelp32Snapshot(DWORD flags, DWORD processId);
BOOL WINAPI Process32First(HANDLE snapshot, LPPROCESSENTRY32 entry);
BOOL WINAPI Process32Next(HANDLE snapshot, LPPROCESSENTRY32 entry);
BOOL WINAPI Module32First(HANDLE snapshot, LPMODULEENTRY32 entry);
BOOL WINAPI Module32Next(HANDLE snapshot, LPMODULEENTRY32 entry);
}

// ---- Access token and privileges ---------------------------------------------------------

#define TOKEN_ADJUST_PRIVILEGES 0x0020u
#define SE_PRIVILEGE_ENABLED 0x00000002u

struct LUID {
  DWORD LowPart;
  LONG HighPart;
};
using PLUID = LUID*;

struct LUID_AND_ATTRIBUTES {
  LUID Luid;
  DWORD Attributes;
};

struct TOKEN_PRIVILEGES {
  DWORD PrivilegeCount;
  LUID_AND_ATTRIBUTES Privileges[1];
};
using PTOKEN_PRIVILEGES = TOKEN_PRIVILEGES*;

extern "C" {
HANDLE WINAPI GetCurrentProcess();
BOOL WINAPI OpenProcessToken(HANDLE process, DWORD access, PHANDLE token);
BOOL WINAPI LookupPrivilegeValueA(LPCSTR systemName, LPCSTR name, PLUID luid);
BOOL WINAPI AdjustTokenPrivileges(HANDLE token, BOOL disableAll, PTOKEN_PRIVILEGES newState,
                                  DWORD bufferLength, PTOKEN_PRIVILEGES previousState,
                                  PDWORD returnLength);
}

// ---- Code pages and narrow text ----------------------------------------------------------

#define CP_ACP 0u
#define CP_UTF8 65001u

extern "C" {
UINT WINAPI GetACP();
int WINAPI MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR text, int textBytes, LPWSTR wide,
                               int wideUnits);
int WINAPI WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wide, int wideUnits, LPSTR text,
                               int textBytes, LPCSTR defaultChar, LPBOOL usedDefaultChar);
int WINAPI lstrcmpA(LPCSTR first, LPCSTR second);
}

// ---- COM ---------------------------------------------------------------------------------

struct GUID {
  std::uint32_t Data1;
  std::uint16_t Data2;
  std::uint16_t Data3;
  std::uint8_t Data4[8];
};
using IID = GUID;
using CLSID = GUID;
#define REFGUID const GUID&
#define REFIID const IID&
#define REFCLSID const CLSID&

inline bool operator==(const GUID& a, const GUID& b) {
  if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
  for (int i = 0; i < 8; ++i)
    if (a.Data4[i] != b.Data4[i]) return false;
  return true;
}
inline bool operator!=(const GUID& a, const GUID& b) {
  return !(a == b);
}
inline BOOL IsEqualGUID(REFGUID a, REFGUID b) {
  return a == b ? TRUE : FALSE;
}
#define IsEqualIID(a, b) IsEqualGUID(a, b)
#define IsEqualCLSID(a, b) IsEqualGUID(a, b)

extern const IID IID_IUnknown;
extern const IID IID_IDispatch;

// Each interface is a class of pure virtual functions with no data and no virtual destructor,
// so its method table has exactly the slots of the Windows declaration, in the same order.
struct IUnknown {
  virtual HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) = 0;
  virtual ULONG STDMETHODCALLTYPE AddRef() = 0;
  virtual ULONG STDMETHODCALLTYPE Release() = 0;
};
using LPUNKNOWN = IUnknown*;

struct ITypeInfo;
struct DISPPARAMS;
struct EXCEPINFO;
struct tagVARIANT;

struct IDispatch : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count,
                                                  LCID locale, DISPID* ids) = 0;
  virtual HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID riid, LCID locale, WORD flags,
                                           DISPPARAMS* params, tagVARIANT* result,
                                           EXCEPINFO* exception, UINT* argumentError) = 0;
};

#define CLSCTX_INPROC_SERVER 0x1u
#define CLSCTX_INPROC_HANDLER 0x2u
#define CLSCTX_LOCAL_SERVER 0x4u
#define CLSCTX_REMOTE_SERVER 0x10u
#define CLSCTX_SERVER (CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER)
#define CLSCTX_ALL (CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER)

extern "C" {
HRESULT WINAPI CoInitialize(LPVOID reserved);
void WINAPI CoUninitialize();
HRESULT WINAPI CoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID riid,
                                LPVOID* object);
}

// ---- OLE Automation: BSTR and VARIANT ----------------------------------------------------

using BSTR = OLECHAR*;
using VARTYPE = USHORT;
using VARIANT_BOOL = SHORT;

// The types a COM+ catalog hands this program.
enum VARENUM : VARTYPE {
  VT_EMPTY = 0,
  VT_NULL = 1,
  VT_I4 = 3,
  VT_BSTR = 8,
};

struct tagVARIANT {
  VARTYPE vt;
  union {
    LONG lVal;
    BSTR bstrVal;
  };
};
using VARIANT = tagVARIANT;
using VARIANTARG = tagVARIANT;

#define V_VT(v) ((v)->vt)
#define V_BSTR(v) ((v)->bstrVal)
#define V_I4(v) ((v)->lVal)

// The source of VariantCopy and VariantChangeType is not const, as in the Windows headers, so
// that a call that compiles here compiles there.
extern "C" {
BSTR WINAPI SysAllocString(const OLECHAR* text);
BSTR WINAPI SysAllocStringLen(const OLECHAR* text, UINT units);
void WINAPI SysFreeString(BSTR text);
UINT WINAPI SysStringLen(BSTR text);
void WINAPI VariantInit(VARIANTARG* variant);
HRESULT WINAPI VariantClear(VARIANTARG* variant);
HRESULT WINAPI VariantCopy(VARIANTARG* destination, VARIANTARG* source);
HRESULT WINAPI VariantChangeType(VARIANTARG* destination, VARIANTARG* source, USHORT flags,
                                 VARTYPE type);
}
