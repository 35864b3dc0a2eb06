#include "skin/SkinMenu.h"

#include "framework/Gdi.h"

#include <set>

namespace {

constexpr int kCheckBoxSize = 14;

void FillSolid(HDC dc, const RECT& rect, COLORREF colour) {
    const UniqueBrush brush(::CreateSolidBrush(colour));
    ::FillRect(dc, &rect, brush.get());
}

}  // namespace

void CSkinMenu::SetItemIcon(UINT id, HICON icon, int size) {
    HICON& slot = m_mapIcons[id];
    if (slot && slot != icon) {
        ::DestroyIcon(slot);
    }
    slot = icon;
    m_nIconSize = size;
}

CSkinMenu::~CSkinMenu() {
    std::set<HICON> destroyed;
    for (const auto& [id, icon] : m_mapIcons) {
        if (icon && destroyed.insert(icon).second) {
            ::DestroyIcon(icon);
        }
    }
    m_mapIcons.clear();
    m_mapText.clear();
    DestroyMenu();
}

bool CSkinMenu::AppendItem(const wchar_t* text, UINT id) {
    std::wstring& stored = m_mapText[id];
    stored = text ? text : L"";
    // The item data is the text, as for any owner-drawn item; the drawing looks the text up by id.
    // The item keeps the text as its string too, for screen readers.
    return AppendOwnerDrawnItem(id, stored.c_str(), reinterpret_cast<ULONG_PTR>(stored.c_str()));
}

void CSkinMenu::SetTheme(int theme) {
    const ThemeColors& colors = GetThemeColors(theme);
    m_clrBack = colors.clrLight;
    m_clrSelFill = ShiftColor(colors.clrFace, -10);
    m_clrSelFrame = ShiftColor(colors.clrShadow, +10);
}

void CSkinMenu::SetUpdateItemText(const std::wstring& text) {
    m_mapText[kUpdateItemId] = text;
    SetItemText(kUpdateItemId, text.c_str());
}

bool CSkinMenu::HasIcons() const {
    for (const auto& [id, icon] : m_mapIcons) {
        if (icon) {
            return true;
        }
    }
    return false;
}

bool CSkinMenu::RouteOwnerDraw(UINT message, LPARAM lParam) {
    if (!m_hMenu || !lParam) {
        return false;
    }
    if (message == WM_MEASUREITEM) {
        // The request names no menu; the command id tells whether the item is one of ours.
        auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (measure->CtlType != ODT_MENU || !m_mapText.count(measure->itemID)) {
            return false;
        }
        MeasureItem(measure);
        return true;
    }
    if (message == WM_DRAWITEM) {
        auto* draw = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        if (draw->CtlType != ODT_MENU || reinterpret_cast<HMENU>(draw->hwndItem) != m_hMenu) {
            return false;
        }
        DrawItem(draw);
        return true;
    }
    return false;
}

void CSkinMenu::MeasureItem(MEASUREITEMSTRUCT* measure) {
    if (!measure) {
        return;
    }
    measure->itemHeight = static_cast<UINT>(m_nItemHeight);
    measure->itemWidth = static_cast<UINT>(m_nTextWidth);
}

void CSkinMenu::DrawItemText(HDC dc, const RECT& textRect, const std::wstring& text) const {
    RECT rect = textRect;
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, DT_SINGLELINE | DT_VCENTER | DT_PATH_ELLIPSIS);
}

void CSkinMenu::DrawCheckMark(HDC dc, int left, int top) const {
    const RECT box{left, top, left + kCheckBoxSize, top + kCheckBoxSize};
    FillSolid(dc, box, m_clrBack);
    const UniqueBrush frame(::CreateSolidBrush(m_clrSelFrame));
    ::FrameRect(dc, &box, frame.get());
    // Seven strokes of three pixels; the third is the low point of the tick.
    static constexpr int kStrokeTop[] = {6, 7, 8, 7, 6, 5, 4};
    const UniquePen pen(::CreatePen(PS_SOLID, 1, m_clrSelFrame));
    DCStateGuard state(dc);
    ::SelectObject(dc, pen.get());
    for (int stroke = 0; stroke < 7; ++stroke) {
        const int x = left + 4 + stroke;
        const int y = top + kStrokeTop[stroke];
        ::MoveToEx(dc, x, y, nullptr);
        ::LineTo(dc, x, y + 3);
    }
}

void CSkinMenu::DrawItem(DRAWITEMSTRUCT* draw) {
    if (!draw || !draw->hDC) {
        return;
    }
    const HDC dc = draw->hDC;
    const RECT item = draw->rcItem;
    const bool icons = HasIcons();
    RECT textRect = item;
    textRect.top += 2;
    textRect.left += icons ? 26 : 22;
    const auto found = m_mapText.find(draw->itemID);
    const std::wstring text = found != m_mapText.end() ? found->second : std::wstring();
    const bool selected = (draw->itemState & ODS_SELECTED) != 0;

    {
        DCStateGuard state(dc);
        ::SetBkMode(dc, TRANSPARENT);
        if (m_pFont) {
            ::SelectObject(dc, m_pFont);
        }
        if (draw->itemAction & ODA_DRAWENTIRE) {
            FillSolid(dc, item, m_clrBack);
            DrawItemText(dc, textRect, text);
        }
        if (selected && (draw->itemAction & (ODA_DRAWENTIRE | ODA_SELECT))) {
            const UniqueBrush frame(::CreateSolidBrush(m_clrSelFrame));
            ::FrameRect(dc, &item, frame.get());
            const RECT inside{item.left + 1, item.top + 1, item.right - 1, item.bottom - 1};
            FillSolid(dc, inside, m_clrSelFill);
            DrawItemText(dc, textRect, text);
        }
        if (!selected && (draw->itemAction & ODA_SELECT)) {
            // The selection has just left this item.
            FillSolid(dc, item, m_clrBack);
            DrawItemText(dc, textRect, text);
        }
    }

    const int height = item.bottom - item.top;
    const auto icon = m_mapIcons.find(draw->itemID);
    if (icons && icon != m_mapIcons.end() && icon->second) {
        ::DrawIconEx(dc, item.left + 4, item.top + (height - m_nIconSize) / 2, icon->second, m_nIconSize, m_nIconSize,
                     0, nullptr, DI_NORMAL);
    } else if (draw->itemState & ODS_CHECKED) {
        DrawCheckMark(dc, item.left + 4, item.top + (height - kCheckBoxSize) / 2);
    }
}
