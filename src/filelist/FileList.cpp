// The rows of the file list: built from the master list through the filter, the selection and
// removal commands, the selected row shown in the editing groups, and the refresh of the rows
// after Apply and Undo.
#include "app/MainDlg.h"

#include "app/OutOfMemory.h"
#include "dialogs/LongWorkProgress.h"
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
    // No row points at an entry any longer.
    m_arrFiles.ReleaseRemoved();
    // The rows are only matched here: a row's values are read when the list first shows it,
    // unless the folder scan just before this fill has them already. A later fill shows what the
    // disk says then, so every entry forgets what it holds, in the same walk.
    const auto forgetUnlessScanned = [](ListedPath& entry) {
        entry.m_values =
            entry.m_values == ListedPath::Values::FromScan ? ListedPath::Values::Read : ListedPath::Values::Unread;
    };
    std::vector<ListedPath*> rows;
    auto entry = m_arrFiles.begin();
    try {
        const CFileFilter filter(m_editFilter.GetWindowText(), m_chkCaseSensitive.IsChecked() != FALSE,
                                 m_chkExclusive.IsChecked() != FALSE);
        rows.reserve(m_arrFiles.GetSize());
        int examined = 0;
        CLongWorkProgress progress(L"Filtering the list\u2026", static_cast<int>(m_arrFiles.GetSize()),
                                   m_skin.GetTheme());
        for (; entry != m_arrFiles.end(); ++entry) {
            progress.Step(examined++);
            forgetUnlessScanned(*entry);
            if (filter.Shows(entry->m_path)) {
                rows.push_back(&*entry);
            }
        }
    } catch (const std::bad_alloc&) {
        // The rows matched so far are shown, in order; the master list is untouched, so a later
        // fill (a filter change) tries the rest again. The entries not reached forget their values
        // too (the one in hand may forget twice: it is then read again, which is always right).
        for (; entry != m_arrFiles.end(); ++entry) {
            forgetUnlessScanned(*entry);
        }
        ReportOutOfMemory(*this, L"Out of memory: the list shows the first %u matching files only.",
                          static_cast<unsigned>(rows.size()));
    }
    rows.shrink_to_fit();
    m_vecRows = std::move(rows);
    m_listFiles.SetItemCount(static_cast<int>(m_vecRows.size()));
    m_listFiles.Invalidate(true);
    m_btnUndo.EnableWindow(false);
}

const ListedPath& CMainDlg::ReadRowValues(ListedPath& row) {
    if (row.m_values == ListedPath::Values::Unread) {
        GetFileStatus(row.m_path, row.m_status);
        row.m_attributes = ::GetFileAttributesW(row.m_path.c_str());
        row.m_values = ListedPath::Values::Read;
    }
    return row;
}

void CMainDlg::OnGetRowText(NMLVDISPINFOW& info) {
    if (info.item.iItem < 0 || static_cast<size_t>(info.item.iItem) >= m_vecRows.size()) {
        return;
    }
    ListedPath& row = *m_vecRows[static_cast<size_t>(info.item.iItem)];
    if (info.item.iSubItem == 0) {
        CListCtrl::SetDispInfoText(info, row.m_path);
        return;
    }
    const ListedPath& values = ReadRowValues(row);
    switch (info.item.iSubItem) {
        case 1:
            CListCtrl::SetDispInfoText(info, FormatListTime(values.m_status.m_ctime));
            break;
        case 2:
            CListCtrl::SetDispInfoText(info, FormatListTime(values.m_status.m_mtime));
            break;
        case 3:
            CListCtrl::SetDispInfoText(info, FormatListTime(values.m_status.m_atime));
            break;
        case 4:
            CListCtrl::SetDispInfoText(info, FormatAttributeLetters(values.m_attributes));
            break;
        default:
            CListCtrl::SetDispInfoText(info, L"");
            break;
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
        // The entries taken out stay until the next fill: the rows kept may point at them, since
        // a row takes out the first entry of its path, which need not be its own.
        std::vector<ListedPath*> kept;
        kept.reserve(m_vecRows.size());
        for (size_t row = m_vecRows.size(); row-- > 0;) {
            if (removed[row]) {
                m_arrFiles.Remove(m_vecRows[row]->m_path);
            }
        }
        for (size_t row = 0; row < m_vecRows.size(); ++row) {
            if (!removed[row]) {
                kept.push_back(m_vecRows[row]);
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
    m_arrFiles.ReleaseRemoved();
    m_btnUndo.EnableWindow(false);
}

void CMainDlg::OnItemChangedFileList(const NMLISTVIEW& change) {
    // -1 stands for every row at once (clearing the selection), which names no file to show.
    if (!m_bSettingEachRow) {
        ShowRowInfo(change.iItem);
    }
}

void CMainDlg::ShowRowInfo(int row) {
    if (row >= 0 && static_cast<size_t>(row) < m_vecRows.size()) {
        // A copy: showing the file pumps messages, and the rows may be rebuilt meanwhile.
        const std::wstring path = m_vecRows[static_cast<size_t>(row)]->m_path;
        ShowFileInfo(path);
    }
}

void CMainDlg::RefreshRows() {
    // Runs at the end of Apply and Undo, which leave it the rest of their bar. Every row's
    // values are read again when it is next shown; the boxes show the file of the last selected
    // row afresh.
    const int rows = static_cast<int>(m_vecRows.size());
    CLongWorkProgress progress(L"Refreshing the list\u2026", rows, m_skin.GetTheme());
    for (ListedPath* row : m_vecRows) {
        row->m_values = ListedPath::Values::Unread;
    }
    int lastSelected = -1;
    for (int row = m_listFiles.GetNextItem(-1, LVNI_SELECTED); row >= 0 && row < rows;
         row = m_listFiles.GetNextItem(row, LVNI_SELECTED)) {
        lastSelected = row;
    }
    ShowRowInfo(lastSelected);
    progress.Step(rows);
    m_listFiles.Invalidate(true);
}
