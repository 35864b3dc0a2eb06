#include "support/Folders.h"

#include "framework/Gdi.h"
#include "framework/TextConv.h"
#include "resources/Version.h"
#include "support/PathLevels.h"

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <atomic>
#include <climits>
#include <vector>

std::wstring GetAppDataFolder() {
    HANDLE opened = nullptr;
    const UniqueHandle token(
        ::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY | TOKEN_IMPERSONATE, &opened) ? opened : nullptr);
    wchar_t buffer[MAX_PATH] = {};
    const HRESULT hr =
        ::SHGetFolderPathW(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, token.get(), SHGFP_TYPE_CURRENT, buffer);
    if (FAILED(hr)) {
        return {};
    }
    return WithTrailingSeparator(buffer);
}

std::wstring GetModuleFolder() {
    // Grow the buffer rather than cut a long path.
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return {};
        }
        if (length < buffer.size()) {
            std::wstring path(buffer.data(), length);
            const size_t slash = path.rfind(L'\\');
            return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
        }
        if (buffer.size() >= 32768) {
            return {};
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::wstring GetTempFolder() {
    std::vector<wchar_t> buffer(MAX_PATH + 1);
    DWORD length = ::GetTempPathW(static_cast<DWORD>(buffer.size()), buffer.data());
    if (length >= buffer.size()) {
        buffer.resize(length + 1);
        length = ::GetTempPathW(static_cast<DWORD>(buffer.size()), buffer.data());
    }
    if (length == 0 || length >= buffer.size()) {
        return {};
    }
    return WithTrailingSeparator(std::wstring(buffer.data(), length));
}

ApplicationFolder ChooseApplicationFolder(const std::wstring& appDataFolder, const std::wstring& moduleFolder,
                                          bool portable) {
    const auto absolute = [](const std::wstring& folder) {
        return !folder.empty() && !::PathIsRelativeW(folder.c_str());
    };
    if (portable) {
        if (absolute(moduleFolder) && CanCreateFileIn(moduleFolder)) {
            return {WithTrailingSeparator(moduleFolder), {}};
        }
        if (absolute(appDataFolder)) {
            const std::wstring folder = WithTrailingSeparator(appDataFolder) + kProductName + L"\\";
            return {folder, L"The program's folder " +
                                (moduleFolder.empty() ? std::wstring(L"(unknown)") : moduleFolder) +
                                L" cannot be written; settings are kept in " + folder + L"."};
        }
    }
    if (absolute(appDataFolder)) {
        return {WithTrailingSeparator(appDataFolder) + kProductName + L"\\", {}};
    }
    if (absolute(moduleFolder) && CanCreateFileIn(moduleFolder)) {
        return {WithTrailingSeparator(moduleFolder),
                L"The application-data folder cannot be found; settings are kept in the program's folder " +
                    moduleFolder + L"."};
    }
    return {{},
            L"The application-data folder cannot be found and the program's folder " +
                (moduleFolder.empty() ? std::wstring(L"(unknown)") : moduleFolder) +
                L" cannot be written; settings are not saved."};
}

bool HasPortableMarker(const std::wstring& moduleFolder) {
    if (moduleFolder.empty()) {
        return false;
    }
    const DWORD attributes = ::GetFileAttributesW((WithTrailingSeparator(moduleFolder) + kPortableMarker).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

ApplicationFolder GetApplicationFolder() {
    if (const std::wstring module = GetModuleFolder(); HasPortableMarker(module)) {
        return ChooseApplicationFolder(GetAppDataFolder(), module, true);
    }
    const std::wstring appData = GetAppDataFolder();
    // The executable's folder is only looked at (and probed) when it is needed.
    return appData.empty() ? ChooseApplicationFolder(appData, GetModuleFolder()) : ChooseApplicationFolder(appData, {});
}

bool CanCreateFileIn(const std::wstring& folder) {
    // A file of our own, made and removed at once. Not GetTempFileNameW: under Wine it reports
    // success in a folder where the file could not be created.
    static std::atomic<unsigned> counter{0};
    if (folder.empty()) {
        return false;
    }
    const std::wstring base = WithTrailingSeparator(folder) + L"~qmk" + std::to_wstring(::GetCurrentProcessId()) + L"-";
    for (int attempt = 0; attempt < 8; ++attempt) {
        const std::wstring probe = base + std::to_wstring(counter++) + L".tmp";
        const UniqueHandle file(::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
        if (file.get() != INVALID_HANDLE_VALUE) {
            return true;
        }
        if (::GetLastError() != ERROR_FILE_EXISTS) {
            return false;
        }
    }
    return false;
}

bool PathExists(const std::wstring& path) {
    if (path.empty()) {
        return false;
    }
    return ::PathFileExistsW(path.c_str()) == TRUE;
}

int EnsureDirectory(const std::wstring& path) {
    BOOL created = FALSE;
    for (const std::wstring& level : DirectoryLevels(path)) {
        created = ::CreateDirectoryW(level.c_str(), nullptr);
        if (!created && ::GetLastError() != ERROR_ALREADY_EXISTS) {
            break;
        }
    }
    return created;
}

void DeleteFileIfExists(const std::wstring& path) {
    if (PathExists(path)) {
        ::DeleteFileW(path.c_str());
    }
}

long long ReadWholeFile(const std::wstring& path, std::string& bytes) {
    UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        return -1;
    }
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 || size.QuadPart > kMaxWholeFileBytes) {
        return -1;
    }
    if (size.QuadPart == 0) {
        return 0;
    }
    std::string content(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!::ReadFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &read, nullptr) ||
        read != content.size()) {
        return -1;
    }
    bytes = std::move(content);
    return static_cast<long long>(read);
}

bool WriteWholeFile(const std::wstring& path, const std::string& bytes) {
    if (path.empty() || bytes.size() > static_cast<size_t>(kMaxWholeFileBytes)) {
        return false;
    }
    const std::wstring temporary = path + L".new";
    bool written = false;
    {
        UniqueHandle file(
            ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file.get() == INVALID_HANDLE_VALUE) {
            return false;
        }
        DWORD count = 0;
        written = bytes.empty() ||
                  (::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &count, nullptr) &&
                   count == bytes.size());
        written = written && ::FlushFileBuffers(file.get());
    }
    if (written && ::MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return true;
    }
    ::DeleteFileW(temporary.c_str());
    return false;
}

std::string ToAnsi(const std::wstring& text) {
    return ToNarrow(text, CP_THREAD_ACP);
}
