#include "support/ErrorLog.h"

#include "app/Version.h"
#include "framework/Gdi.h"
#include "support/Folders.h"
#include "support/LogLine.h"

#include <windows.h>

#include <mutex>

namespace {

// Writers of this process take turns; another process holding the file briefly (a viewer, the
// error report) is waited for a little before the line is given up.
std::mutex g_logMutex;
constexpr int kOpenAttempts = 10;
constexpr DWORD kRetryDelayMs = 20;

std::wstring GetLogFolder() {
    return GetAppDataFolder() + kProductName;
}

UniqueHandle OpenLogForAppend(const std::wstring& path) {
    for (int attempt = 0;; ++attempt) {
        HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            return UniqueHandle(file);
        }
        const DWORD error = ::GetLastError();
        if ((error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION) || attempt + 1 >= kOpenAttempts) {
            return UniqueHandle(INVALID_HANDLE_VALUE);
        }
        ::Sleep(kRetryDelayMs);
    }
}

// Cuts the file to its tail. A file that cannot be read whole is kept as it is, so a failed
// read never empties the log.
void TrimLog(const std::wstring& path) {
    std::string contents;
    if (ReadWholeFile(path, contents) > 0) {
        WriteWholeFile(path, std::string(LogTailToKeep(contents)));
    }
}

}  // namespace

std::wstring GetErrorLogPath() {
    return GetLogFolder() + L"\\ErrorLog.txt";
}

void LogError(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    LogErrorV(format, args);
    va_end(args);
}

void LogErrorV(const wchar_t* format, va_list args) {
    if (!format) {
        return;
    }
    wchar_t message[1024] = {};
    ::wvsprintfW(message, format, args);

    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    const LogTime stamp{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
    const std::string line = FormatLogLine(kProgramVersionA, stamp, ToAnsi(message));

    std::lock_guard<std::mutex> lock(g_logMutex);
    EnsureDirectory(GetLogFolder());
    const std::wstring path = GetErrorLogPath();
    UniqueHandle file = OpenLogForAppend(path);
    if (file.get() == INVALID_HANDLE_VALUE) {
        return;
    }
    LARGE_INTEGER size{};
    if (::GetFileSizeEx(file.get(), &size) && NeedsLogTrim(static_cast<std::uint64_t>(size.QuadPart))) {
        file.reset();
        TrimLog(path);
        file = OpenLogForAppend(path);
        if (file.get() == INVALID_HANDLE_VALUE) {
            return;
        }
    }
    ::SetFilePointer(file.get(), 0, nullptr, FILE_END);
    DWORD written = 0;
    ::WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}
