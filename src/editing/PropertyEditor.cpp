// The property group: the selected file shown in the editing controls, the name list and the
// value editor, and the refresh of the rows after Apply and Undo.
#include "app/MainDlg.h"
#include "dialogs/LongWorkProgress.h"

#include "editing/SummaryProperties.h"

void CMainDlg::OnItemChangedFileList(const NMLISTVIEW& change) {
    if (change.iItem >= 0 && change.iItem < m_listFiles.GetItemCount()) {
        ShowFileInfo(m_listFiles.GetItemText(change.iItem, 0));
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
    // Runs at the end of Apply and Undo, which leave it the rest of their bar.
    CLongWorkProgress progress(L"Refreshing the list\u2026", m_listFiles.GetItemCount(), m_skin.GetTheme());
    // One repaint at the end instead of one per changed text.
    m_listFiles.SetRedraw(false);
    for (int row = 0; row < m_listFiles.GetItemCount(); ++row) {
        const std::wstring path = m_listFiles.GetItemText(row, 0);
        FillRowTexts(row, path);
        if (m_listFiles.GetItemState(row, LVIS_SELECTED) & LVIS_SELECTED) {
            ShowFileInfo(path);
        }
        progress.Step(row + 1);
    }
    m_listFiles.SetRedraw(true);
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
