// CMenu: owns a popup menu handle.
#pragma once

#include <windows.h>

#include <string>

class CMenu {
public:
    CMenu() = default;
    virtual ~CMenu() { DestroyMenu(); }
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;

    HMENU m_hMenu = nullptr;

    bool CreatePopupMenu();
    void DestroyMenu();
    bool AppendMenu(UINT flags, UINT_PTR id, const wchar_t* text = nullptr);
    DWORD CheckMenuItem(UINT id, UINT check) { return ::CheckMenuItem(m_hMenu, id, check); }
    int GetMenuItemCount() const { return ::GetMenuItemCount(m_hMenu); }
    // Shows the menu and returns the chosen command (TPM_RETURNCMD), or 0.
    UINT TrackPopupMenu(UINT flags, int x, int y, HWND owner) const;
};
