#include "TestSupport.h"

#include "framework/TextConv.h"
#include "framework/Wnd.h"
#include "support/Folders.h"

#include <atomic>

ScopedTempDir::ScopedTempDir() {
    static std::atomic<int> counter{0};
    const std::wstring base = GetTempFolder();
    for (int attempt = 0; attempt < 1000; ++attempt) {
        std::wstring candidate = base + L"qmtest-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                                 std::to_wstring(counter++);
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
    const BOOL ok = bytes.empty() || ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
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
