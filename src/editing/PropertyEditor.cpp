// The property group: the selected file shown in the editing controls, the name list and the
// value editor, and the refresh of the rows after Apply and Undo.
#include "app/MainDlg.h"
#include "dialogs/LongWorkProgress.h"

#include "editing/SummaryProperties.h"

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

void CMainDlg::ShowFileInfo(const std::wstring& path) {
    SetAttributeBoxesFromFile(path);
    ReadSummaryProperties(path, m_mapPropertyNames, m_mapPropertyValues);
    m_lstProperties.ResetContent();
    for (const auto& [name, value] : m_mapPropertyValues) {
        m_lstProperties.AddString(name);
    }
    m_editValue.SetWindowText(L"");
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

void CMainDlg::OnSelChangeProperties() {
    const int current = m_lstProperties.GetCurSel();
    if (current < 0) {
        return;
    }
    m_editValue.SetWindowText(m_mapPropertyValues[m_lstProperties.GetText(current)]);
}

void CMainDlg::OnKillFocusValue() {
    // The value lands under the name current when the editor loses the focus, and only then.
    if (m_lstProperties.GetCount() == 0) {
        return;
    }
    const int current = m_lstProperties.GetCurSel();
    if (current < 0) {
        return;
    }
    const std::wstring name = m_lstProperties.GetText(current);
    if (!name.empty()) {
        m_mapPropertyValues[name] = m_editValue.GetWindowText();
    }
}
