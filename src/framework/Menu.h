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
    // An owner-drawn item that keeps its text for readers (which read owner-drawn items through
    // the item's string) and carries `data` for the drawing.
    bool AppendOwnerDrawnItem(UINT id, const wchar_t* text, ULONG_PTR data);
    bool SetItemText(UINT id, const wchar_t* text);
    // Takes the submenus out without destroying them: they belong to menus of their own.
    void DetachSubmenus();
    DWORD CheckMenuItem(UINT id, UINT check) { return ::CheckMenuItem(m_hMenu, id, check); }
    int GetMenuItemCount() const { return ::GetMenuItemCount(m_hMenu); }
    // Shows the menu and returns the chosen command (TPM_RETURNCMD), or 0.
    UINT TrackPopupMenu(UINT flags, int x, int y, HWND owner) const;
};
