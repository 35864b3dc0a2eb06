#include "filelist/FileStatus.h"

#include "framework/Gdi.h"

#include <time.h>

#include <vector>

namespace {

std::optional<CalendarTime> LocalFields(TimeSeconds t) {
    if (!IsRepresentable(t)) {
        return std::nullopt;
    }
    std::tm broken{};
    const __time64_t value = t;
    if (_localtime64_s(&broken, &value) != 0) {
        return std::nullopt;
    }
    return FromTm(broken);
}

// One FILETIME of a search result as the list and the undo records hold it.
std::optional<TimeSeconds> ReadFileTime(const FILETIME& utc) {
    if (utc.dwHighDateTime & 0x80000000u) {
        return TimeSeconds{0};  // not a file time
    }
    FILETIME local{};
    SYSTEMTIME system{};
    if (!::FileTimeToLocalFileTime(&utc, &local) || !::FileTimeToSystemTime(&local, &system)) {
        return TimeSeconds{0};
    }
    const CalendarTime fields{system.wYear, system.wMonth, system.wDay, system.wHour, system.wMinute, system.wSecond};
    return LocalFieldsToTimeSeconds(fields);
}

}  // namespace

std::optional<TimeSeconds> LocalFieldsToTimeSeconds(const CalendarTime& fields) {
    std::tm input = ToMktimeInput(fields);
    const __time64_t converted = fields.nYear < 1900 ? 0 : _mktime64(&input);
    return AcceptLocalTime(fields, converted);
}

bool GetFileStatus(const std::wstring& path, FileStatus& status) {
    if (path.empty() || path.size() >= MAX_PATH) {
        return false;
    }
    wchar_t full[MAX_PATH] = {};
    const DWORD length = ::GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr);
    if (length == 0 || length >= MAX_PATH) {
        return false;
    }
    WIN32_FIND_DATAW data;
    if (const UniqueFindHandle find(::FindFirstFileW(full, &data)); find.get() == INVALID_HANDLE_VALUE) {
        return false;
    }
    status = StatusFromFindData(data);
    return true;
}

FileStatus StatusFromFindData(const WIN32_FIND_DATAW& data) {
    // A time the program cannot hold is still a time the file has: it is marked, not a failed
    // read, so the callers write the file's other times and leave that one alone.
    const auto take = [](const FILETIME& time) { return ReadFileTime(time).value_or(kUnrepresentableTime); };
    FileStatus status;
    status.m_ctime = take(data.ftCreationTime);
    status.m_mtime = take(data.ftLastWriteTime);
    status.m_atime = take(data.ftLastAccessTime);
    FillMissingTimes(status);
    return status;
}

bool StatusReadFindsPathAsGiven(const std::wstring& path) {
    if (path.empty() || path.size() >= MAX_PATH) {
        return false;
    }
    wchar_t full[MAX_PATH] = {};
    const DWORD length = ::GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr);
    return length == path.size() && path.compare(0, path.size(), full, length) == 0;
}

std::optional<FILETIME> TimeToFileTime(TimeSeconds t) {
    const std::optional<CalendarTime> fields = LocalFields(t);
    if (!fields) {
        return std::nullopt;
    }
    SYSTEMTIME system{};
    system.wYear = static_cast<WORD>(fields->nYear);
    system.wMonth = static_cast<WORD>(fields->nMonth);
    system.wDay = static_cast<WORD>(fields->nDay);
    system.wHour = static_cast<WORD>(fields->nHour);
    system.wMinute = static_cast<WORD>(fields->nMinute);
    system.wSecond = static_cast<WORD>(fields->nSecond);
    FILETIME local{};
    FILETIME utc{};
    if (!::SystemTimeToFileTime(&system, &local) || !::LocalFileTimeToFileTime(&local, &utc)) {
        return std::nullopt;
    }
    return utc;
}

bool WriteFileStatus(const std::wstring& path, const FileStatus& status) {
    if (::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        return false;
    }
    if (status.m_mtime == 0) {
        return true;
    }
    // An absent time (one the program could not hold when it read it, too) is passed as
    // absent, so the file keeps it and its other times are still written.
    std::optional<FILETIME> modified;
    std::optional<FILETIME> accessed;
    std::optional<FILETIME> created;
    for (const auto& [time, converted] : {std::pair{status.m_mtime, &modified}, std::pair{status.m_atime, &accessed},
                                          std::pair{status.m_ctime, &created}}) {
        if (!IsAbsentTime(time) && !(*converted = TimeToFileTime(time))) {
            return false;
        }
    }
    UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        return false;
    }
    if (!::SetFileTime(file.get(), created ? &*created : nullptr, accessed ? &*accessed : nullptr,
                       modified ? &*modified : nullptr)) {
        return false;
    }
    // Closed by hand here: a close that fails means the times may not have reached the disk.
    return ::CloseHandle(file.release()) != FALSE;
}

std::wstring FormatListTime(TimeSeconds t) {
    const std::optional<CalendarTime> fields = LocalFields(t);
    return fields ? FormatListTimeFields(*fields) : std::wstring();
}
