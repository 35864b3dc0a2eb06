#include "framework/Menu.h"

bool CMenu::CreatePopupMenu() {
    DestroyMenu();
    m_hMenu = ::CreatePopupMenu();
    return m_hMenu != nullptr;
}

void CMenu::DestroyMenu() {
    if (m_hMenu) {
        ::DestroyMenu(m_hMenu);
        m_hMenu = nullptr;
    }
}

bool CMenu::AppendMenu(UINT flags, UINT_PTR id, const wchar_t* text) {
    return ::AppendMenuW(m_hMenu, flags, id, text) != FALSE;
}

UINT CMenu::TrackPopupMenu(UINT flags, int x, int y, HWND owner) const {
    return static_cast<UINT>(::TrackPopupMenu(m_hMenu, flags | TPM_RETURNCMD, x, y, 0, owner, nullptr));
}
