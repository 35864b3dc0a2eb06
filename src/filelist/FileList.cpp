// The rows of the file list: built from the master list through the filter, and the
// selection and removal commands.
#include "app/MainDlg.h"

#include "dialogs/LongWorkProgress.h"
#include "filelist/FileStatus.h"
#include "filelist/Filter.h"
#include "filelist/RowText.h"
#include "framework/WaitCursor.h"

void CMainDlg::FillFileList() {
    CWaitCursor wait;
    const CFileFilter filter(m_editFilter.GetWindowText(), m_chkCaseSensitive.IsChecked() != FALSE,
                             m_chkExclusive.IsChecked() != FALSE);
    // One repaint at the end instead of one per row.
    m_listFiles.SetRedraw(false);
    m_listFiles.DeleteAllItems();
    int row = 0;
    int examined = 0;
    CLongWorkProgress progress(L"Filtering the list\u2026", static_cast<int>(m_arrFiles.GetSize()), m_skin.GetTheme());
    for (const std::wstring& path : m_arrFiles) {
        progress.Step(examined++);
        if (!filter.Shows(path)) {
            continue;
        }
        const int inserted = m_listFiles.InsertItem(row, path);
        if (inserted < 0) {
            continue;
        }
        FillRowTexts(inserted, path);
        row = inserted + 1;
    }
    m_listFiles.SetRedraw(true);
    m_listFiles.Invalidate(true);
    m_btnUndo.EnableWindow(false);
}

void CMainDlg::FillRowTexts(int row, const std::wstring& path) {
    FileStatus status;
    GetFileStatus(path, status);
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    m_listFiles.SetItemText(row, 1, FormatListTime(status.m_ctime));
    m_listFiles.SetItemText(row, 2, FormatListTime(status.m_mtime));
    m_listFiles.SetItemText(row, 3, FormatListTime(status.m_atime));
    m_listFiles.SetItemText(row, 4, FormatAttributeLetters(attributes));
}

void CMainDlg::OnFilterChange() {
    // The rows follow every keystroke.
    FillFileList();
}

void CMainDlg::OnSelectAll() {
    for (int row = 0; row < m_listFiles.GetItemCount(); ++row) {
        m_listFiles.SetItemState(row, LVIS_SELECTED, LVIS_SELECTED);
    }
}

void CMainDlg::OnRevertSel() {
    for (int row = 0; row < m_listFiles.GetItemCount(); ++row) {
        const bool selected = (m_listFiles.GetItemState(row, LVIS_SELECTED) & LVIS_SELECTED) != 0;
        m_listFiles.SetItemState(row, selected ? 0 : LVIS_SELECTED, LVIS_SELECTED);
    }
}

void CMainDlg::OnRemove() {
    for (int row = m_listFiles.GetItemCount() - 1; row >= 0; --row) {
        if (m_listFiles.GetItemState(row, LVIS_SELECTED) & LVIS_SELECTED) {
            m_arrFiles.Remove(m_listFiles.GetItemText(row, 0));
            m_listFiles.DeleteItem(row);
        }
    }
    m_btnUndo.EnableWindow(false);
}

void CMainDlg::OnRemoveAll() {
    m_listFiles.DeleteAllItems();
    m_arrFiles.RemoveAll();
    m_btnUndo.EnableWindow(false);
}
