// The time group: the new time from the two pickers and setting the chosen times of a file or
// folder.
#include "app/MainDlg.h"

#include "filelist/FileStatus.h"
#include "framework/Gdi.h"
#include "support/ErrorLog.h"

std::optional<TimeSeconds> CMainDlg::ComposeNewTime() const {
    SYSTEMTIME date{};
    SYSTEMTIME time{};
    if (!m_dtpDate.GetTime(date) || !m_dtpTime.GetTime(time)) {
        return std::nullopt;
    }
    const CalendarTime fields{date.wYear, date.wMonth, date.wDay, time.wHour, time.wMinute, time.wSecond};
    const std::optional<TimeSeconds> composed = LocalFieldsToTimeSeconds(fields);
    // A date before 1900 would come out as "no time", which writes nothing: refuse it.
    if (!composed || *composed == 0) {
        return std::nullopt;
    }
    return composed;
}

bool CMainDlg::ChangeFileTime(const std::wstring& path) {
    const bool create = m_chkCreateTime.IsChecked() != FALSE;
    const bool modify = m_chkModifyTime.IsChecked() != FALSE;
    const bool access = m_chkAccessTime.IsChecked() != FALSE;
    if (!create && !modify && !access) {
        return false;
    }
    const std::optional<TimeSeconds> newTime = ComposeNewTime();
    if (!newTime) {
        return false;
    }
    // Only the chosen times are written; the others stay exactly as the file has them. Read
    // and written back they would lose their fraction of a second, and in a zone with daylight
    // saving a time in the hour the spring change skips would come back an hour early.
    FileStatus status{kUnrepresentableTime, kUnrepresentableTime, kUnrepresentableTime};
    if (create)
        status.m_ctime = *newTime;
    if (access)
        status.m_atime = *newTime;
    if (modify)
        status.m_mtime = *newTime;
    return WriteTimes(path, status);
}

bool CMainDlg::WriteTimes(const std::wstring& path, const FileStatus& status) {
    // A file that can be opened exclusively for reading is a plain file nobody else holds.
    if (path.size() < MAX_PATH) {
        const bool plainAndFree = UniqueHandle(::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                                             FILE_ATTRIBUTE_NORMAL, nullptr))
                                      .get() != INVALID_HANDLE_VALUE;
        if (plainAndFree) {
            return WriteFileStatus(path, status);
        }
    }
    return SetDirTime(status, path);
}

bool CMainDlg::SetDirTime(const FileStatus& status, const std::wstring& path) {
    const UniqueHandle handle(::CreateFileW(path.c_str(), GENERIC_WRITE | FILE_READ_DATA,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                            FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (handle.get() == INVALID_HANDLE_VALUE) {
        LogError(L"(SetDirTime) Directory open failed, error: %d", static_cast<int>(::GetLastError()));
        return false;
    }
    // A time that was not read (the folder's status could not be had) is passed as absent, so
    // the folder keeps it rather than getting 1970.
    const auto convert = [](TimeSeconds t) { return IsAbsentTime(t) ? std::nullopt : TimeToFileTime(t); };
    const std::optional<FILETIME> accessed = convert(status.m_atime);
    const std::optional<FILETIME> created = convert(status.m_ctime);
    const std::optional<FILETIME> modified = convert(status.m_mtime);
    const bool unconvertible = (!IsAbsentTime(status.m_atime) && !accessed) ||
                               (!IsAbsentTime(status.m_ctime) && !created) ||
                               (!IsAbsentTime(status.m_mtime) && !modified);
    const BOOL ok = !unconvertible && ::SetFileTime(handle.get(), created ? &*created : nullptr,
                                                    accessed ? &*accessed : nullptr, modified ? &*modified : nullptr);
    return ok != FALSE;
}
