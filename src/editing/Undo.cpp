// Undo Changes: the state saved before the last Apply is written back to the listed files.
#include "app/MainDlg.h"

#include "editing/FileBackup.h"
#include "editing/SummaryProperties.h"
#include "filelist/FileStatus.h"
#include "framework/WaitCursor.h"

void CMainDlg::BackupFile(const std::wstring& path) {
    std::unique_ptr<CFileBackup>& slot = m_mapBackup[path];
    if (!slot) {
        slot = std::make_unique<CFileBackup>();
    }
    CFileBackup& record = *slot;
    if (m_chkSetFileAttributes.IsChecked()) {
        record.m_dwAttributes = ::GetFileAttributesW(path.c_str());
        record.m_bAttributesSaved = true;
    }
    if (m_chkSetFileTime.IsChecked()) {
        FileStatus status;
        GetFileStatus(path, status);
        record.m_ctime = status.m_ctime;
        record.m_mtime = status.m_mtime;
        record.m_atime = status.m_atime;
        record.m_bTimesSaved = true;
    }
    if (m_chkOtherProperties.IsChecked()) {
        ReadSummaryProperties(path, m_mapPropertyNames, record.m_mapProperties);
        record.m_bPropertiesSaved = true;
    }
}

void CMainDlg::ClearBackup() {
    m_mapBackup.clear();
}

std::wstring CMainDlg::RollBackFile(const std::wstring& path, const CFileBackup& record) {
    // A read-only file cannot take its times or properties: the bit is lifted for those writes
    // and the saved attribute word (or the bit itself) goes back last. The lines keep the order
    // times, attributes, properties.
    const DWORD current = ::GetFileAttributesW(path.c_str());
    const bool readOnlyNow = current != INVALID_FILE_ATTRIBUTES && (current & FILE_ATTRIBUTE_READONLY);
    bool lifted = false;
    if (readOnlyNow && (record.m_bTimesSaved || record.m_bPropertiesSaved)) {
        const DWORD writable = current & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
        lifted = ::SetFileAttributesW(path.c_str(), writable ? writable : FILE_ATTRIBUTE_NORMAL) != FALSE;
    }

    // Properties first: their write rewrites the file and would move its last-write time.
    std::wstring propertyLine;
    if (record.m_bPropertiesSaved) {
        propertyLine = path + (WriteSummaryProperties(path, m_mapPropertyNames, record.m_mapProperties,
                                                      record.m_mapProperties)
                                   ? L" -- file properties rollback successfully!\r\n"
                                   : L" -- file properties rollback failed.\r\n");
    }
    std::wstring timeLine;
    if (record.m_bTimesSaved) {
        FileStatus status;
        if (GetFileStatus(path, status)) {
            status.m_ctime = record.m_ctime;
            status.m_mtime = record.m_mtime;
            status.m_atime = record.m_atime;
            timeLine = path + (WriteTimes(path, status) ? L" -- file time rollback successfully!\r\n"
                                                        : L" -- file time rollback failed.\r\n");
        }
    }
    std::wstring attributeLine;
    if (record.m_bAttributesSaved) {
        // A word that could not be read when it was saved is not a word to write.
        const bool restored = record.m_dwAttributes != INVALID_FILE_ATTRIBUTES &&
                              ::SetFileAttributesW(path.c_str(), record.m_dwAttributes);
        attributeLine = path + (restored ? L" -- file attributes rollback successfully!\r\n"
                                         : L" -- file attributes rollback failed.\r\n");
    } else if (lifted) {
        ::SetFileAttributesW(path.c_str(), current);
    }
    return timeLine + attributeLine + propertyLine;
}

void CMainDlg::OnUndoChanges() {
    {
        CWaitCursor wait;
        // Collected and put into the pane once, as Apply does.
        std::wstring output;
        for (int row = 0; row < m_listFiles.GetItemCount(); ++row) {
            const std::wstring path = m_listFiles.GetItemText(row, 0);
            const auto record = m_mapBackup.find(path);
            if (record != m_mapBackup.end()) {
                output += RollBackFile(path, *record->second);
            }
        }
        AppendOutput(output + kSeparatorLine);
        m_btnUndo.EnableWindow(false);
        ClearBackup();
    }
    RefreshRows();
}
