// The rows of the file list: built from the master list through the filter, and the
// selection and removal commands.
#include "app/MainDlg.h"

#include "dialogs/LongWorkProgress.h"
#include "editing/OutOfMemory.h"
#include "filelist/FileStatus.h"
#include "filelist/Filter.h"
#include "filelist/RowText.h"
#include "framework/WaitCursor.h"

#include <new>

void CMainDlg::FillFileList() {
    CWaitCursor wait;
    // Emptied first, so the selection and the scroll position start afresh as for new rows, and
    // the old rows are gone before the new ones take their memory.
    m_listFiles.DeleteAllItems();
    m_vecRows = {};
    // The rows are only matched here: a row's values are read when the list first shows it,
    // unless the folder scan just before this fill has them already; such a row takes over the
    // scan's copy of its path.
    std::vector<FileRow> rows;
    try {
        const CFileFilter filter(m_editFilter.GetWindowText(), m_chkCaseSensitive.IsChecked() != FALSE,
                                 m_chkExclusive.IsChecked() != FALSE);
        rows.reserve(m_arrFiles.GetSize());
        int examined = 0;
        CLongWorkProgress progress(L"Filtering the list\u2026", static_cast<int>(m_arrFiles.GetSize()), m_skin.GetTheme());
        for (const std::wstring& path : m_arrFiles) {
            progress.Step(examined++);
            if (!filter.Shows(path)) {
                continue;
            }
            if (auto scanned = m_mapScannedValues.extract(path)) {
                rows.emplace_back(std::move(scanned.key())).m_values = scanned.mapped();
            } else {
                rows.emplace_back(path);
            }
        }
    } catch (const std::bad_alloc&) {
        // The rows matched so far are shown, in order; the master list is untouched, so a later
        // fill (a filter change) tries the rest again.
        ReportOutOfMemory(*this, L"Out of memory: the list shows the first %u matching files only.",
                          static_cast<unsigned>(rows.size()));
    }
    // Kept no longer: a later fill shows what the disk says then.
    m_mapScannedValues = {};
    rows.shrink_to_fit();
    m_vecRows = std::move(rows);
    m_listFiles.SetItemCount(static_cast<int>(m_vecRows.size()));
    m_listFiles.Invalidate(true);
    m_btnUndo.EnableWindow(false);
}

const RowValues& CMainDlg::ReadRowValues(FileRow& row) {
    if (!row.m_values) {
        RowValues& values = row.m_values.emplace();
        GetFileStatus(row.m_path, values.m_status);
        values.m_attributes = ::GetFileAttributesW(row.m_path.c_str());
    }
    return *row.m_values;
}

void CMainDlg::OnGetRowText(NMLVDISPINFOW& info) {
    if (info.item.iItem < 0 || static_cast<size_t>(info.item.iItem) >= m_vecRows.size()) {
        return;
    }
    FileRow& row = m_vecRows[static_cast<size_t>(info.item.iItem)];
    if (info.item.iSubItem == 0) {
        CListCtrl::SetDispInfoText(info, row.m_path);
        return;
    }
    const RowValues& values = ReadRowValues(row);
    switch (info.item.iSubItem) {
        case 1: CListCtrl::SetDispInfoText(info, FormatListTime(values.m_status.m_ctime)); break;
        case 2: CListCtrl::SetDispInfoText(info, FormatListTime(values.m_status.m_mtime)); break;
        case 3: CListCtrl::SetDispInfoText(info, FormatListTime(values.m_status.m_atime)); break;
        case 4: CListCtrl::SetDispInfoText(info, FormatAttributeLetters(values.m_attributes)); break;
        default: CListCtrl::SetDispInfoText(info, L""); break;
    }
}

void CMainDlg::OnFilterChange() {
    // The rows follow every keystroke.
    FillFileList();
}

void CMainDlg::OnSelectAll() {
    SetEachRowSelected([](bool) { return true; });
}

void CMainDlg::OnRevertSel() {
    SetEachRowSelected([](bool selected) { return !selected; });
}

void CMainDlg::SetEachRowSelected(bool (*wantSelected)(bool selectedNow)) {
    // The boxes end up showing the file of the last row whose selection changed, as they would
    // if each change showed its own; that file is read once, not once per row.
    int lastChanged = -1;
    m_bSettingEachRow = true;
    for (int row = 0; row < m_listFiles.GetItemCount(); ++row) {
        const bool selected = (m_listFiles.GetItemState(row, LVIS_SELECTED) & LVIS_SELECTED) != 0;
        if (wantSelected(selected) != selected) {
            m_listFiles.SetItemState(row, selected ? 0 : LVIS_SELECTED, LVIS_SELECTED);
            lastChanged = row;
        }
    }
    m_bSettingEachRow = false;
    ShowRowInfo(lastChanged);
}

void CMainDlg::OnRemove() {
    // Each selected row takes one entry of its path out of the master list, last row first; the
    // rows that stay keep their order, and none of them is selected.
    std::vector<bool> removed(m_vecRows.size(), false);
    bool any = false;
    for (int row = m_listFiles.GetNextItem(-1, LVNI_SELECTED); row >= 0;
         row = m_listFiles.GetNextItem(row, LVNI_SELECTED)) {
        if (static_cast<size_t>(row) < m_vecRows.size()) {
            removed[static_cast<size_t>(row)] = true;
            any = true;
        }
    }
    if (any) {
        std::vector<FileRow> kept;
        kept.reserve(m_vecRows.size());
        for (size_t row = m_vecRows.size(); row-- > 0;) {
            if (removed[row]) {
                m_arrFiles.Remove(m_vecRows[row].m_path);
            }
        }
        for (size_t row = 0; row < m_vecRows.size(); ++row) {
            if (!removed[row]) {
                kept.push_back(std::move(m_vecRows[row]));
            }
        }
        m_listFiles.SetItemState(-1, 0, LVIS_SELECTED);
        m_vecRows = std::move(kept);
        m_listFiles.SetItemCount(static_cast<int>(m_vecRows.size()), LVSICF_NOSCROLL);
        m_listFiles.Invalidate(true);
    }
    m_btnUndo.EnableWindow(false);
}

void CMainDlg::OnRemoveAll() {
    m_listFiles.DeleteAllItems();
    m_vecRows.clear();
    m_arrFiles.RemoveAll();
    m_btnUndo.EnableWindow(false);
}
