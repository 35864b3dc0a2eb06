#include "editing/SummaryProperties.h"

#include "editing/PackageProperties.h"
#include "framework/TextConv.h"
#include "support/ErrorLog.h"
#include "support/Folders.h"

#include <objbase.h>

#include <cwchar>

namespace {

// The SummaryInformation format id, {F29F85E0-4FF9-1068-AB91-08002B27B3D9}.
constexpr FMTID kSummaryInformation = {0xF29F85E0, 0x4FF9, 0x1068, {0xAB, 0x91, 0x08, 0x00, 0x2B, 0x27, 0xB3, 0xD9}};

template <class Interface>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { Reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    Interface* operator->() const { return m_ptr; }
    Interface* Get() const { return m_ptr; }
    Interface** Put() {
        Reset();
        return &m_ptr;
    }
    void Reset() {
        if (m_ptr) {
            m_ptr->Release();
            m_ptr = nullptr;
        }
    }

private:
    Interface* m_ptr = nullptr;
};

// The storage and its property sets for one file. The object the open returns is asked for
// the set interface: it need not be that interface itself.
struct OpenedStorage {
    ComPtr<IStorage> storage;
    ComPtr<IPropertySetStorage> sets;
};

bool OpenStorage(const std::wstring& path, DWORD mode, OpenedStorage& opened) {
    ComPtr<IUnknown> object;
    if (FAILED(::StgOpenStorageEx(path.c_str(), mode, STGFMT_ANY, 0, nullptr, nullptr, IID_IPropertySetStorage,
                                  reinterpret_cast<void**>(object.Put()))) ||
        !object.Get()) {
        return false;
    }
    if (FAILED(object->QueryInterface(IID_IPropertySetStorage, reinterpret_cast<void**>(opened.sets.Put())))) {
        return false;
    }
    // The storage, where there is one, is committed after writing; a file-system set has none.
    object->QueryInterface(IID_IStorage, reinterpret_cast<void**>(opened.storage.Put()));
    return true;
}

// Wine reads an 8-bit string of even length from a Unicode (code page 1200) set as its first
// half, and rewriting any property of such a set stores every other string that way: one
// written value would cut the rest. Windows reads and writes these sets correctly.
bool PlatformCutsUnicodeSets() {
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

bool IsUnicodeSet(IPropertyStorage& set) {
    PROPSPEC selector{};
    selector.ulKind = PRSPEC_PROPID;
    selector.propid = PID_CODEPAGE;
    PROPVARIANT value;
    ::PropVariantInit(&value);
    const bool unicode = set.ReadMultiple(1, &selector, &value) == S_OK && value.vt == VT_I2 &&
                         static_cast<USHORT>(value.iVal) == CP_WINUNICODE;
    ::PropVariantClear(&value);
    return unicode;
}

// A password-protected Office Open XML document is a compound file that holds the encrypted
// package as a stream; a property set added beside it is not ours to add.
bool IsEncryptedOfficePackage(const OpenedStorage& opened) {
    if (!opened.storage.Get()) {
        return false;
    }
    ComPtr<IStream> stream;
    return SUCCEEDED(
        opened.storage->OpenStream(L"EncryptedPackage", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, stream.Put()));
}

std::wstring Format(const wchar_t* format, auto value) {
    wchar_t buffer[64] = {};
    std::swprintf(buffer, 64, format, value);
    return buffer;
}

}  // namespace

std::wstring PropVariantToString(const PROPVARIANT& value) {
    switch (value.vt) {
        case VT_I2:
            return Format(L"%i", static_cast<int>(value.iVal));
        case VT_I4:
            return Format(L"%li", static_cast<long>(value.lVal));
        case VT_INT:
            return Format(L"%li", static_cast<long>(value.intVal));
        case VT_R4:
            return Format(L"%f", static_cast<double>(value.fltVal));
        case VT_R8:
            return Format(L"%f", value.dblVal);
        case VT_BSTR:
            return value.bstrVal ? std::wstring(value.bstrVal) : std::wstring();
        case VT_LPWSTR:
            return value.pwszVal ? std::wstring(value.pwszVal) : std::wstring();
        case VT_ERROR:
            return Format(L"0x%08X", static_cast<unsigned long>(value.scode));
        case VT_BOOL:
            return value.boolVal ? L"True" : L"False";
        case VT_I1:
            return Format(L"%i", static_cast<int>(static_cast<signed char>(value.cVal)));
        case VT_UI1:
            return Format(L"%u", static_cast<unsigned>(value.bVal));
        case VT_UI2:
            return Format(L"%u", static_cast<unsigned>(value.uiVal));
        case VT_UI4:
            return Format(L"%lu", static_cast<unsigned long>(value.ulVal));
        case VT_UINT:
            return Format(L"%lu", static_cast<unsigned long>(value.uintVal));
        case VT_I8:
            return std::to_wstring(static_cast<long long>(value.hVal.QuadPart));
        case VT_UI8:
            return std::to_wstring(static_cast<unsigned long long>(value.uhVal.QuadPart));
        case VT_LPSTR:
            return value.pszVal ? ToWide(value.pszVal, CP_THREAD_ACP) : std::wstring();
        case VT_FILETIME: {
            wchar_t buffer[32] = {};
            std::swprintf(buffer, 32, L"%08lx:%08lx", static_cast<unsigned long>(value.filetime.dwHighDateTime),
                          static_cast<unsigned long>(value.filetime.dwLowDateTime));
            return buffer;
        }
        case VT_CLSID: {
            if (!value.puuid) {
                return {};
            }
            wchar_t buffer[255] = {};
            return ::StringFromGUID2(*value.puuid, buffer, 255) > 0 ? std::wstring(buffer) : std::wstring();
        }
        default:
            return {};
    }
}

void ReadSummaryProperties(const std::wstring& path, const PropertyNames& names, PropertyValues& target) {
    // Office Open XML and OpenDocument files keep the same properties in XML parts of a zip package.
    if (ReadPackageProperties(path, names, target) != PackageOutcome::NotAPackage) {
        return;
    }
    target.clear();
    OpenedStorage opened;
    if (OpenStorage(path, STGM_READ | STGM_SHARE_EXCLUSIVE, opened)) {
        ComPtr<IPropertyStorage> set;
        if (SUCCEEDED(opened.sets->Open(kSummaryInformation, STGM_READ | STGM_SHARE_EXCLUSIVE, set.Put()))) {
            for (const auto& [id, name] : names) {
                PROPSPEC selector{};
                selector.ulKind = PRSPEC_PROPID;
                selector.propid = static_cast<PROPID>(id);
                PROPVARIANT value;
                ::PropVariantInit(&value);
                target[name] =
                    set->ReadMultiple(1, &selector, &value) == S_OK ? PropVariantToString(value) : std::wstring();
                ::PropVariantClear(&value);
            }
        }
    }
    if (target.empty()) {
        for (const auto& [id, name] : names) {
            target[name] = std::wstring();
        }
    }
}

bool WriteSummaryProperties(const std::wstring& path, const PropertyNames& names, const PropertyValues& primary,
                            const PropertyValues& fallback) {
    if (const PackageOutcome package = WritePackageProperties(path, names, primary, fallback);
        package != PackageOutcome::NotAPackage) {
        return package == PackageOutcome::Done;
    }
    OpenedStorage opened;
    if (!OpenStorage(path, STGM_READWRITE | STGM_SHARE_EXCLUSIVE, opened)) {
        return false;
    }
    if (IsEncryptedOfficePackage(opened)) {
        LogError(L"WriteSummaryProperties: %s was not written: it is a password-protected document.", path.c_str());
        return false;
    }
    // An existing set is opened, so the properties besides ours stay; a set is created only
    // for a file that has none.
    ComPtr<IPropertyStorage> set;
    HRESULT hr = opened.sets->Open(kSummaryInformation, STGM_READWRITE | STGM_SHARE_EXCLUSIVE, set.Put());
    if (hr == STG_E_FILENOTFOUND) {
        hr = opened.sets->Create(kSummaryInformation, nullptr, PROPSETFLAG_ANSI,
                                 STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, set.Put());
    } else if (SUCCEEDED(hr) && set.Get() && PlatformCutsUnicodeSets() && IsUnicodeSet(*set.Get())) {
        // Released unwritten and uncommitted, the file keeps every byte.
        LogError(
            L"WriteSummaryProperties: %s was not written: its summary properties are stored as Unicode "
            L"(code page 1200), which Wine would cut short if any of them were rewritten.",
            path.c_str());
        return false;
    }
    if (FAILED(hr) || !set.Get()) {
        return false;
    }
    bool result = true;
    for (const auto& [id, name] : names) {
        const PropertyValues::const_iterator chosen = primary.find(name);
        const PropertyValues::const_iterator previous = fallback.find(name);
        if (chosen == primary.end() && previous == fallback.end()) {
            continue;
        }
        std::string text = ToAnsi(chosen != primary.end() ? chosen->second : previous->second);
        PROPSPEC selector{};
        selector.ulKind = PRSPEC_PROPID;
        selector.propid = static_cast<PROPID>(id);
        PROPVARIANT value;
        ::PropVariantInit(&value);
        value.vt = VT_LPSTR;
        value.pszVal = text.data();
        if (FAILED(set->WriteMultiple(1, &selector, &value, PID_FIRST_USABLE))) {
            result = false;
        }
    }
    if (FAILED(set->Commit(STGC_DEFAULT))) {
        result = false;
    }
    set.Reset();
    if (opened.storage.Get() && FAILED(opened.storage->Commit(STGC_DEFAULT))) {
        result = false;
    }
    return result;
}
