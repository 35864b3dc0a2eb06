#include "MainDlgFixture.h"

#include <shlobj.h>

#include <cstring>

void MainDlgFixture::Click(int id) {
    const HWND control = Item(id);
    ::SendMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    ::SendMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    PumpMessages();
}

void MainDlgFixture::Drop(const std::vector<std::wstring>& paths) {
    size_t chars = 1;
    for (const std::wstring& path : paths) {
        chars += path.size() + 1;
    }
    HGLOBAL memory = ::GlobalAlloc(GHND, sizeof(DROPFILES) + chars * sizeof(wchar_t));
    auto* header = static_cast<DROPFILES*>(::GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    header->pt = POINT{12, 34};
    header->fWide = TRUE;
    auto* names = reinterpret_cast<wchar_t*>(reinterpret_cast<BYTE*>(header) + sizeof(DROPFILES));
    for (const std::wstring& path : paths) {
        std::memcpy(names, path.c_str(), (path.size() + 1) * sizeof(wchar_t));
        names += path.size() + 1;
    }
    ::GlobalUnlock(memory);
    // The receiver releases the drop.
    dlg->SendMessage(WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
}

std::vector<std::wstring> MainDlgFixture::RowTexts(int column) const {
    std::vector<std::wstring> texts;
    for (int row = 0; row < dlg->m_listFiles.GetItemCount(); ++row) {
        texts.push_back(dlg->m_listFiles.GetItemText(row, column));
    }
    return texts;
}

std::vector<std::wstring> MainDlgFixture::MasterList() const {
    std::vector<std::wstring> paths;
    for (const ListedPath& entry : dlg->m_arrFiles) {
        paths.push_back(entry.m_path);
    }
    return paths;
}

void MainDlgFixture::SelectRows(const std::vector<int>& rows) {
    for (int row = 0; row < dlg->m_listFiles.GetItemCount(); ++row) {
        dlg->m_listFiles.SetItemState(row, 0, LVIS_SELECTED);
    }
    for (int row : rows) {
        dlg->m_listFiles.SetItemState(row, LVIS_SELECTED, LVIS_SELECTED);
    }
}
