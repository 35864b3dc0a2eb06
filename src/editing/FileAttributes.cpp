// The attribute group: the exclusive "Normal" box, composing the attribute word and setting it,
// and showing a file's attributes in the boxes.
#include "app/MainDlg.h"

#include "editing/AttributeRules.h"

std::vector<std::pair<CMacCheckBox*, DWORD>> CMainDlg::AttributeBoxes() {
    return {{&m_chkArchive, FILE_ATTRIBUTE_ARCHIVE},     {&m_chkReadOnly, FILE_ATTRIBUTE_READONLY},
            {&m_chkHidden, FILE_ATTRIBUTE_HIDDEN},       {&m_chkSystem, FILE_ATTRIBUTE_SYSTEM},
            {&m_chkTemporary, FILE_ATTRIBUTE_TEMPORARY}, {&m_chkOffline, FILE_ATTRIBUTE_OFFLINE},
            {&m_chkNotContentIndexed, FILE_ATTRIBUTE_NOT_CONTENT_INDEXED}};
}

void CMainDlg::OnNormal() {
    if (m_chkNormal.IsChecked()) {
        for (auto& [box, bit] : AttributeBoxes()) {
            box->SetChecked(FALSE);
        }
    }
}

void CMainDlg::OnAttributeBox(CMacCheckBox& box) {
    if (box.IsChecked()) {
        m_chkNormal.SetChecked(FALSE);
    }
}

void CMainDlg::OnArchive() { OnAttributeBox(m_chkArchive); }
void CMainDlg::OnReadOnly() { OnAttributeBox(m_chkReadOnly); }
void CMainDlg::OnHidden() { OnAttributeBox(m_chkHidden); }
void CMainDlg::OnSystem() { OnAttributeBox(m_chkSystem); }
void CMainDlg::OnTemporary() { OnAttributeBox(m_chkTemporary); }
void CMainDlg::OnOffline() { OnAttributeBox(m_chkOffline); }
void CMainDlg::OnNotContentIndexed() { OnAttributeBox(m_chkNotContentIndexed); }

DWORD CMainDlg::ComposeAttributes() {
    std::uint32_t chosen = 0;
    for (auto& [box, bit] : AttributeBoxes()) {
        if (box->IsChecked()) {
            chosen |= bit;
        }
    }
    return ComposeAttributeWord(m_chkNormal.IsChecked() != FALSE, chosen);
}

bool CMainDlg::ChangeFileAttributes(const std::wstring& path) {
    const DWORD word = ComposeAttributes();
    if (word == 0) {
        return false;  // an empty choice counts as a failure
    }
    return ::SetFileAttributesW(path.c_str(), word) != FALSE;
}

void CMainDlg::SetAttributeBoxesFromFile(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    // A file that has gone reports every bit; the boxes keep what they show.
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return;
    }
    for (auto& [box, bit] : AttributeBoxes()) {
        box->SetChecked(static_cast<BOOL>(attributes & bit));
    }
    m_chkNormal.SetChecked(IsNormalOnly(attributes) ? TRUE : FALSE);
}
