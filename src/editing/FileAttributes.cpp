// The attribute group: the exclusive "Normal" box, composing the attribute word and setting it,
// and showing a file's attributes in the boxes.
#include "app/MainDlg.h"

#include "editing/AttributeRules.h"
#include "editing/FileAttributeWord.h"

bool SetAttributeWord(const std::wstring& path, DWORD word) {
    // Wine keeps hidden and system in an extended attribute, and a read-only file no longer
    // lets its owner write it; asked for a word with the read-only bit, it makes the file
    // read-only first, so the hidden and system bits of the same call are lost (neither set nor
    // cleared) while the call reports success. The word therefore goes on without the bit
    // first, then with it, and is read back.
    if (word & FILE_ATTRIBUTE_READONLY) {
        const DWORD writable = word & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
        if (!::SetFileAttributesW(path.c_str(), writable ? writable : FILE_ATTRIBUTE_NORMAL)) {
            return false;
        }
    }
    if (!::SetFileAttributesW(path.c_str(), word)) {
        return false;
    }
    const DWORD got = ::GetFileAttributesW(path.c_str());
    return got != INVALID_FILE_ATTRIBUTES && WrittenBitsHeld(word, got);
}

std::optional<DWORD> LiftReadOnly(const std::wstring& path) {
    const DWORD word = ::GetFileAttributesW(path.c_str());
    if (word == INVALID_FILE_ATTRIBUTES || !(word & FILE_ATTRIBUTE_READONLY)) {
        return std::nullopt;
    }
    const DWORD writable = word & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
    if (!::SetFileAttributesW(path.c_str(), writable ? writable : FILE_ATTRIBUTE_NORMAL)) {
        return std::nullopt;
    }
    return word;
}

std::vector<std::pair<CMacCheckBox*, DWORD>> CMainDlg::AttributeBoxes() {
    return {{&m_chkArchive, FILE_ATTRIBUTE_ARCHIVE},
            {&m_chkReadOnly, FILE_ATTRIBUTE_READONLY},
            {&m_chkHidden, FILE_ATTRIBUTE_HIDDEN},
            {&m_chkSystem, FILE_ATTRIBUTE_SYSTEM},
            {&m_chkTemporary, FILE_ATTRIBUTE_TEMPORARY},
            {&m_chkOffline, FILE_ATTRIBUTE_OFFLINE},
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

void CMainDlg::OnArchive() {
    OnAttributeBox(m_chkArchive);
}
void CMainDlg::OnReadOnly() {
    OnAttributeBox(m_chkReadOnly);
}
void CMainDlg::OnHidden() {
    OnAttributeBox(m_chkHidden);
}
void CMainDlg::OnSystem() {
    OnAttributeBox(m_chkSystem);
}
void CMainDlg::OnTemporary() {
    OnAttributeBox(m_chkTemporary);
}
void CMainDlg::OnOffline() {
    OnAttributeBox(m_chkOffline);
}
void CMainDlg::OnNotContentIndexed() {
    OnAttributeBox(m_chkNotContentIndexed);
}

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
    return SetAttributeWord(path, word);
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
