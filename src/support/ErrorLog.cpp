#include "support/ErrorLog.h"

#include "framework/Gdi.h"
#include "resources/Version.h"
#include "support/Folders.h"
#include "support/LogLine.h"

#include <windows.h>

#include <mutex>

namespace {

// Writers of this process take turns. Everything below is guarded by the mutex.
std::mutex g_logMutex;
HeldLogLines g_held;
unsigned g_retriesSinceFlush = 0;
LogSleepFunction g_sleep = nullptr;

// The folder of the log, without its final separator; empty when none is known.
std::wstring GetLogFolder() {
    std::wstring folder = GetApplicationFolder().path;
    if (folder.empty()) {
        // No folder keeps the settings; the log still says why, from the user's temporary folder.
        const std::wstring temp = GetTempFolder();
        if (temp.empty()) {
            return {};
        }
        folder = temp + kProductName + L"\\";
    }
    folder.pop_back();
    return folder;
}

// Opens the log for reading (the trim) and writing, without sharing, so lines of two programs
// never interleave. Another program holding the file (a viewer, the error report) is waited for
// only while the retries since the last flush last; after that a held file fails at once and its
// lines wait in memory, so a pass of many lines waits a bounded time in all.
UniqueHandle OpenLog(const std::wstring& path) {
    for (;;) {
        HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            return UniqueHandle(file);
        }
        const DWORD error = ::GetLastError();
        if ((error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION) ||
            g_retriesSinceFlush >= kLogRetryBudget) {
            return UniqueHandle(INVALID_HANDLE_VALUE);
        }
        ++g_retriesSinceFlush;
        if (g_sleep) {
            g_sleep(kLogRetryDelayMs);
        } else {
            ::Sleep(kLogRetryDelayMs);
        }
    }
}

// Cuts the open file to its last kLogKeptSize bytes. Only that tail is read, whatever the file's
// size, and it is written over the start of the same handle: no one else can open the file
// meanwhile, and no new file is needed, so a folder that refuses new files does not stop the cut.
// Until the end is set, every byte of the tail is still in the file, so a failure loses nothing;
// a tail that cannot be read leaves the file as it was.
void TrimLog(HANDLE file, std::uint64_t size) {
    std::string tail(kLogKeptSize, '\0');
    LARGE_INTEGER position{};
    position.QuadPart = static_cast<LONGLONG>(LogTailStart(size));
    DWORD read = 0;
    if (!::SetFilePointerEx(file, position, nullptr, FILE_BEGIN) ||
        !::ReadFile(file, tail.data(), static_cast<DWORD>(tail.size()), &read, nullptr) || read != tail.size()) {
        return;
    }
    position.QuadPart = 0;
    DWORD written = 0;
    if (::SetFilePointerEx(file, position, nullptr, FILE_BEGIN) &&
        ::WriteFile(file, tail.data(), static_cast<DWORD>(tail.size()), &written, nullptr) && written == tail.size()) {
        ::SetEndOfFile(file);
    }
}

// Appends every held line to the file, trimming it first when it has grown past the limit.
// Lines that cannot be written stay held, in order.
void WriteHeldLines() {
    const std::wstring folder = GetLogFolder();
    if (folder.empty()) {
        return;
    }
    EnsureDirectory(folder);
    UniqueHandle file = OpenLog(folder + L"\\ErrorLog.txt");
    if (file.get() == INVALID_HANDLE_VALUE) {
        return;
    }
    LARGE_INTEGER size{};
    if (::GetFileSizeEx(file.get(), &size) && NeedsLogTrim(static_cast<std::uint64_t>(size.QuadPart))) {
        TrimLog(file.get(), static_cast<std::uint64_t>(size.QuadPart));
    }
    const LARGE_INTEGER none{};
    if (!::SetFilePointerEx(file.get(), none, nullptr, FILE_END)) {
        return;
    }
    const std::string bytes = g_held.Joined();
    DWORD written = 0;
    if (!::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) {
        written = 0;
    }
    g_held.Consume(written);
}

}  // namespace

std::wstring GetErrorLogPath() {
    const std::wstring folder = GetLogFolder();
    return folder.empty() ? std::wstring() : folder + L"\\ErrorLog.txt";
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
    std::string line = FormatLogLine(kProgramVersionA, stamp, ToAnsi(message));

    std::lock_guard<std::mutex> lock(g_logMutex);
    g_held.Add(std::move(line));
    WriteHeldLines();
}

void FlushErrorLog() {
    std::lock_guard<std::mutex> lock(g_logMutex);
    if (!g_held.empty()) {
        WriteHeldLines();
    }
    g_retriesSinceFlush = 0;
}

std::size_t HeldErrorLogLines() {
    std::lock_guard<std::mutex> lock(g_logMutex);
    return g_held.count();
}

void SetErrorLogSleep(LogSleepFunction sleep) {
    std::lock_guard<std::mutex> lock(g_logMutex);
    g_sleep = sleep;
}
