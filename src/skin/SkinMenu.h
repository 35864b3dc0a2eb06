// CSkinMenu: a popup menu whose items are all owner drawn in the skin's colours, with an optional
// 16x16 icon per item and a hand-drawn check mark. Owner-drawn items carry no text of their own,
// so the menu keeps the texts and icons by command id.
#pragma once

#include "framework/Menu.h"
#include "skin/Themes.h"

#include <map>
#include <string>

class CSkinMenu : public CMenu {
public:
    CSkinMenu() = default;
    ~CSkinMenu() override;

    // Stores the text under `id` and appends an owner-drawn item for it.
    bool AppendItem(const wchar_t* text, UINT id);
    // The menu background and selection colours of a theme (an index outside 0..14 means the
    // default theme). A popup menu is drawn afresh each time it opens, so nothing is redrawn.
    void SetTheme(int theme);
    // The text of the help menu's update item; seen the next time the menu opens.
    void SetUpdateItemText(const std::wstring& text);
    // True when any item has an icon: the texts then leave room for the icon column.
    bool HasIcons() const;

    // The owner-draw requests of this menu's items, which the window that tracks the menu must
    // pass on (its WM_MEASUREITEM and WM_DRAWITEM with ODT_MENU). True when the item was this
    // menu's and has been answered; the message result is then TRUE.
    bool RouteOwnerDraw(UINT message, LPARAM lParam);

    virtual void MeasureItem(MEASUREITEMSTRUCT* measure);
    virtual void DrawItem(DRAWITEMSTRUCT* draw);

    static constexpr UINT kUpdateItemId = 6205;

    HFONT m_pFont = nullptr;  // the owner window's font; borrowed
    std::map<UINT, std::wstring> m_mapText;
    COLORREF m_clrBack = 0xE3DFE0;
    COLORREF m_clrSelFill = 0xFFE6D2;
    COLORREF m_clrSelFrame = 0xB46450;  // also the check mark
    int m_nTextWidth = 0;
    int m_nItemHeight = 20;
    // Icons by command id, put here by the owner and destroyed by the menu (each handle once,
    // even when it serves several items).
    std::map<UINT, HICON> m_mapIcons;
    // The icons' size in pixels (16 at 96 DPI).
    int m_nIconSize = 16;
    // Puts `icon` under `id`, destroying the icon it replaces, and takes its size as the icons'.
    void SetItemIcon(UINT id, HICON icon, int size);

private:
    void DrawItemText(HDC dc, const RECT& textRect, const std::wstring& text) const;
    void DrawCheckMark(HDC dc, int left, int top) const;
};
