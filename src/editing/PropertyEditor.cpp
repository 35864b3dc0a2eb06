// The property group: the selected file shown in the editing controls, the name list and the
// value editor.
#include "app/MainDlg.h"

#include "editing/SummaryProperties.h"

void CMainDlg::ShowFileInfo(const std::wstring& path) {
    SetAttributeBoxesFromFile(path);
    ReadSummaryProperties(path, m_mapPropertyNames, m_mapPropertyValues);
    m_lstProperties.ResetContent();
    for (const auto& [name, value] : m_mapPropertyValues) {
        m_lstProperties.AddString(name);
    }
    m_editValue.SetWindowText(L"");
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
