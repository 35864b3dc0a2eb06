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

bool CMenu::AppendOwnerDrawnItem(UINT id, const wchar_t* text, ULONG_PTR data) {
    MENUITEMINFOW item{};
    item.cbSize = sizeof(item);
    item.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STRING | MIIM_DATA;
    item.fType = MFT_OWNERDRAW;
    item.wID = id;
    item.dwTypeData = const_cast<wchar_t*>(text ? text : L"");
    item.dwItemData = data;
    return ::InsertMenuItemW(m_hMenu, static_cast<UINT>(::GetMenuItemCount(m_hMenu)), TRUE, &item) != FALSE;
}

bool CMenu::SetItemText(UINT id, const wchar_t* text) {
    MENUITEMINFOW item{};
    item.cbSize = sizeof(item);
    item.fMask = MIIM_STRING;
    item.dwTypeData = const_cast<wchar_t*>(text ? text : L"");
    return ::SetMenuItemInfoW(m_hMenu, id, FALSE, &item) != FALSE;
}

void CMenu::DetachSubmenus() {
    if (!m_hMenu) {
        return;
    }
    for (int position = ::GetMenuItemCount(m_hMenu) - 1; position >= 0; --position) {
        if (::GetSubMenu(m_hMenu, position)) {
            ::RemoveMenu(m_hMenu, static_cast<UINT>(position), MF_BYPOSITION);
        }
    }
}
