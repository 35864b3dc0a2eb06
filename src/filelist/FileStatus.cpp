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
    HANDLE find = ::FindFirstFileW(full, &data);
    if (find == INVALID_HANDLE_VALUE) {
        return false;
    }
    ::FindClose(find);

    bool held = true;
    const auto take = [&held](const FILETIME& time) {
        const std::optional<TimeSeconds> seconds = ReadFileTime(time);
        held = held && seconds.has_value();
        return seconds.value_or(kUnrepresentableTime);
    };
    status.m_ctime = take(data.ftCreationTime);
    status.m_mtime = take(data.ftLastWriteTime);
    status.m_atime = take(data.ftLastAccessTime);
    FillMissingTimes(status);
    return held;
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
    const std::optional<FILETIME> modified = TimeToFileTime(status.m_mtime);
    std::optional<FILETIME> accessed;
    std::optional<FILETIME> created;
    // A time the program could not hold when it read it is left as the file has it.
    if (status.m_atime != 0 && status.m_atime != kUnrepresentableTime && !(accessed = TimeToFileTime(status.m_atime))) {
        return false;
    }
    if (status.m_ctime != 0 && status.m_ctime != kUnrepresentableTime && !(created = TimeToFileTime(status.m_ctime))) {
        return false;
    }
    if (!modified) {
        return false;
    }
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    if (!::SetFileTime(file, created ? &*created : nullptr, accessed ? &*accessed : nullptr, &*modified)) {
        ::CloseHandle(file);
        return false;
    }
    return ::CloseHandle(file) != FALSE;
}

std::wstring FormatListTime(TimeSeconds t) {
    const std::optional<CalendarTime> fields = LocalFields(t);
    return fields ? FormatListTimeFields(*fields) : std::wstring();
}
