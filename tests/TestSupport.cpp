#include "TestSupport.h"

#include "framework/TextConv.h"
#include "framework/Wnd.h"
#include "support/Folders.h"

#include <objbase.h>

#include <atomic>

ScopedTempDir::ScopedTempDir() {
    static std::atomic<int> counter{0};
    const std::wstring base = GetTempFolder();
    for (int attempt = 0; attempt < 1000; ++attempt) {
        std::wstring candidate =
            base + L"qmtest-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(counter++);
        if (::CreateDirectoryW(candidate.c_str(), nullptr)) {
            m_path = candidate + L"\\";
            return;
        }
    }
}

ScopedTempDir::~ScopedTempDir() {
    if (!m_path.empty()) {
        RemoveTree(m_path);
    }
}

bool RemoveTree(const std::wstring& folder) {
    std::wstring base = folder;
    if (!base.empty() && base.back() == L'\\') {
        base.pop_back();
    }
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW((base + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") {
                continue;
            }
            const std::wstring child = base + L"\\" + name;
            ::SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(child);
            } else {
                ::DeleteFileW(child.c_str());
            }
        } while (::FindNextFileW(find, &data));
        ::FindClose(find);
    }
    ::RemoveDirectoryW(base.c_str());
    return ::GetFileAttributesW(base.c_str()) == INVALID_FILE_ATTRIBUTES;
}

void PumpMessages() {
    CWnd::PumpPendingMessages();
}

bool WriteTestFile(const std::wstring& path, const std::string& bytes) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    const BOOL ok =
        bytes.empty() || ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
    return ok && written == bytes.size();
}

std::string ReadTestFile(const std::wstring& path) {
    std::string bytes;
    return ReadWholeFile(path, bytes) >= 0 ? bytes : std::string("<unreadable>");
}

std::string Narrow(const std::wstring& text) {
    return ToNarrow(text, CP_UTF8);
}

bool RunningUnderWine() {
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::wstring UnwritableFolder() {
    if (RunningUnderWine()) {
        return PathExists(L"Z:\\usr\\") ? L"Z:\\usr\\" : std::wstring();
    }
    wchar_t system[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryW(system, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(system, length) + L"\\" : std::wstring();
}

namespace {

struct DialogSearch {
    HWND except;
    HWND found;
};

BOOL CALLBACK FindDialog(HWND hwnd, LPARAM data) {
    auto* search = reinterpret_cast<DialogSearch*>(data);
    wchar_t name[16] = {};
    ::GetClassNameW(hwnd, name, 16);
    if (hwnd != search->except && std::wstring(name) == L"#32770" && ::IsWindowVisible(hwnd)) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

// The SummaryInformation format id.
constexpr FMTID kSummaryInformation = {0xF29F85E0, 0x4FF9, 0x1068, {0xAB, 0x91, 0x08, 0x00, 0x2B, 0x27, 0xB3, 0xD9}};

}  // namespace

HWND FindOtherDialog(HWND except) {
    DialogSearch search{except, nullptr};
    ::EnumThreadWindows(::GetCurrentThreadId(), FindDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool MakeCompoundFile(const std::wstring& path, const char* title, long pageCount) {
    IStorage* storage = nullptr;
    if (FAILED(::StgCreateStorageEx(path.c_str(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, STGFMT_STORAGE,
                                    0, nullptr, nullptr, IID_IStorage, reinterpret_cast<void**>(&storage)))) {
        return false;
    }
    bool ok = true;
    if (title) {
        IPropertySetStorage* sets = nullptr;
        IPropertyStorage* set = nullptr;
        ok = SUCCEEDED(storage->QueryInterface(IID_IPropertySetStorage, reinterpret_cast<void**>(&sets))) &&
             SUCCEEDED(sets->Create(kSummaryInformation, nullptr, PROPSETFLAG_ANSI,
                                    STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, &set));
        if (ok) {
            PROPSPEC selectors[2] = {};
            selectors[0].ulKind = selectors[1].ulKind = PRSPEC_PROPID;
            selectors[0].propid = 2;   // title
            selectors[1].propid = 14;  // page count
            PROPVARIANT values[2];
            ::PropVariantInit(&values[0]);
            ::PropVariantInit(&values[1]);
            values[0].vt = VT_LPSTR;
            values[0].pszVal = const_cast<char*>(title);
            values[1].vt = VT_I4;
            values[1].lVal = pageCount;
            ok = SUCCEEDED(set->WriteMultiple(pageCount < 0 ? 1 : 2, selectors, values, PID_FIRST_USABLE)) &&
                 SUCCEEDED(set->Commit(STGC_DEFAULT));
            set->Release();
        }
        if (sets)
            sets->Release();
    }
    storage->Commit(STGC_DEFAULT);
    storage->Release();
    return ok;
}

SYSTEMTIME MakeSystemTime(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second, WORD milliseconds) {
    SYSTEMTIME fields{};
    fields.wYear = year;
    fields.wMonth = month;
    fields.wDay = day;
    fields.wHour = hour;
    fields.wMinute = minute;
    fields.wSecond = second;
    fields.wMilliseconds = milliseconds;
    return fields;
}

unsigned long long TicksOfSystemTime(const SYSTEMTIME& fields) {
    FILETIME time{};
    return ::SystemTimeToFileTime(&fields, &time) ? Ticks(time) : 0;
}

unsigned long long Ticks(const FILETIME& time) {
    return (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

unsigned long long TicksOfSeconds(long long secondsSince1970) {
    return (static_cast<unsigned long long>(secondsSince1970) + 11644473600ULL) * 10000000ULL;
}

bool ReadOnlyIsEnforced() {
    static const bool enforced = [] {
        ScopedTempDir folder;
        const std::wstring probe = folder.path() + L"probe.txt";
        if (!WriteTestFile(probe, "x") || !::SetFileAttributesW(probe.c_str(), FILE_ATTRIBUTE_READONLY)) {
            return false;
        }
        HANDLE file = ::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        const bool refused = file == INVALID_HANDLE_VALUE;
        if (!refused) {
            ::CloseHandle(file);
        }
        ::SetFileAttributesW(probe.c_str(), FILE_ATTRIBUTE_NORMAL);
        return refused;
    }();
    return enforced;
}

bool InUnprivilegedLane() {
    return ::GetEnvironmentVariableW(L"QUILL_UNPRIVILEGED_LANE", nullptr, 0) != 0;
}

long GdiObjectCount() {
    if (const DWORD counted = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS)) {
        return static_cast<long>(counted);
    }
    // Wine answers GetGuiResources with 0, but takes a bare index of its handle table as a
    // handle, so there the live objects are counted one by one.
    long count = 0;
    for (UINT_PTR index = 1; index < 0x10000; ++index) {
        count += ::GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0 ? 1 : 0;
    }
    return count;
}

BOOL ClickCounter::OnCommand(UINT id, UINT code, HWND) {
    if (static_cast<int>(id) == m_nId) {
        ++(code == BN_CLICKED ? clicks : otherCommands);
        return TRUE;
    }
    return FALSE;
}

namespace {
// -1 while no seam is in place.
thread_local long t_allocations = -1;
thread_local long t_failAt = 0;
thread_local bool t_failed = false;
}  // namespace

ScopedAllocationFailure::ScopedAllocationFailure(long nth) {
    t_allocations = 0;
    t_failAt = nth;
    t_failed = false;
}
ScopedAllocationFailure::~ScopedAllocationFailure() {
    t_allocations = -1;
}
long ScopedAllocationFailure::Count() const {
    return t_allocations;
}
bool ScopedAllocationFailure::Failed() const {
    return t_failed;
}

// The array, aligned-free and nothrow forms of the runtime come through this one.
void* operator new(std::size_t size) {
    if (t_allocations >= 0 && ++t_allocations == t_failAt) {
        t_failed = true;
        throw std::bad_alloc();
    }
    if (void* memory = std::malloc(size != 0 ? size : 1)) {
        return memory;
    }
    throw std::bad_alloc();
}
void operator delete(void* memory) noexcept {
    std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}
