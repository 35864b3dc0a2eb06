#include "framework/Controls.h"

#include "framework/Abi.h"

#include <algorithm>
#include <vector>

QUILL_CHECK_SYSTEM_SIZE(LVITEMW, 60, 88);
QUILL_CHECK_SYSTEM_SIZE(LVCOLUMNW, 44, 56);
QUILL_CHECK_SYSTEM_SIZE(TTTOOLINFOW, 48, 72);

void CEdit::SetSel(int start, int end, bool noScroll) {
    SendMessage(EM_SETSEL, static_cast<WPARAM>(start), end);
    if (!noScroll) {
        SendMessage(EM_SCROLLCARET);
    }
}

void CEdit::ReplaceSel(const std::wstring& text, bool canUndo) {
    SendMessage(EM_REPLACESEL, canUndo ? TRUE : FALSE, reinterpret_cast<LPARAM>(text.c_str()));
}

int CListBox::AddString(const std::wstring& text) {
    return static_cast<int>(SendMessage(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
}

int CListBox::SetSel(int index, bool select) {
    return static_cast<int>(SendMessage(LB_SETSEL, select ? TRUE : FALSE, index));
}

std::wstring CListBox::GetText(int index) const {
    const LRESULT length = SendMessage(LB_GETTEXTLEN, static_cast<WPARAM>(index));
    if (length == LB_ERR || length <= 0) {
        return {};
    }
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
    const LRESULT copied = SendMessage(LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer.data()));
    return copied == LB_ERR ? std::wstring() : std::wstring(buffer.data(), static_cast<size_t>(copied));
}

int CListBox::FindStringExact(int startAfter, const std::wstring& text) const {
    return static_cast<int>(
        SendMessage(LB_FINDSTRINGEXACT, static_cast<WPARAM>(startAfter), reinterpret_cast<LPARAM>(text.c_str())));
}

int CListCtrl::InsertColumn(int column, const std::wstring& heading, int format, int width) {
    LVCOLUMNW col{};
    col.mask = LVCF_TEXT | LVCF_FMT | LVCF_WIDTH | LVCF_SUBITEM;
    col.fmt = format;
    col.cx = width;
    col.pszText = const_cast<wchar_t*>(heading.c_str());
    col.iSubItem = column;
    return static_cast<int>(
        SendMessage(LVM_INSERTCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&col)));
}

std::wstring CListCtrl::GetColumnText(int column) const {
    wchar_t buffer[260] = {};
    LVCOLUMNW col{};
    col.mask = LVCF_TEXT;
    col.pszText = buffer;
    col.cchTextMax = static_cast<int>(std::size(buffer));
    if (!SendMessage(LVM_GETCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&col))) {
        return {};
    }
    return buffer;
}

DWORD CListCtrl::SetExtendedStyle(DWORD style, DWORD mask) {
    return static_cast<DWORD>(SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, mask, static_cast<LPARAM>(style)));
}

void CListCtrl::SetDispInfoText(NMLVDISPINFOW& info, const std::wstring& text) {
    if (!(info.item.mask & LVIF_TEXT) || !info.item.pszText || info.item.cchTextMax <= 0) {
        return;
    }
    // A cut text fills the buffer, which tells GetItemText to ask again with a larger one.
    const size_t room = static_cast<size_t>(info.item.cchTextMax) - 1;
    const size_t length = std::min(text.size(), room);
    text.copy(info.item.pszText, length);
    info.item.pszText[length] = L'\0';
}

std::wstring CListCtrl::GetItemText(int index, int subItem) const {
    // The list view copies at most the buffer size; grow until the text fits, so a path of any
    // length comes back whole.
    std::vector<wchar_t> buffer(512);
    for (;;) {
        LVITEMW item{};
        item.iSubItem = subItem;
        item.pszText = buffer.data();
        item.cchTextMax = static_cast<int>(buffer.size());
        const LRESULT copied =
            SendMessage(LVM_GETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
        if (copied < 0) {
            return {};
        }
        if (static_cast<size_t>(copied) + 1 < buffer.size() || buffer.size() >= (1u << 20)) {
            return std::wstring(item.pszText, static_cast<size_t>(copied));
        }
        buffer.resize(buffer.size() * 4);
    }
}

UINT CListCtrl::GetItemState(int index, UINT mask) const {
    return static_cast<UINT>(SendMessage(LVM_GETITEMSTATE, static_cast<WPARAM>(index), mask));
}

bool CListCtrl::SetItemState(int index, UINT state, UINT mask) {
    LVITEMW item{};
    item.stateMask = mask;
    item.state = state;
    return SendMessage(LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)) != 0;
}

int CListCtrl::GetNextItem(int start, UINT flags) const {
    return static_cast<int>(SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(start), static_cast<LPARAM>(flags)));
}

bool CDateTimeCtrl::GetTime(SYSTEMTIME& time) const {
    return SendMessage(DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time)) == GDT_VALID;
}

bool CDateTimeCtrl::SetTime(const SYSTEMTIME& time) {
    return SendMessage(DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&time)) != 0;
}

bool CToolTipCtrl::Create(CWnd* owner) {
    const RECT none{};
    return CreateEx(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, none,
                    owner ? owner->m_hWnd : nullptr, 0);
}

bool CToolTipCtrl::AddTool(CWnd* tool, const std::wstring& text) {
    m_text = text;
    TTTOOLINFOW info{};
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    info.uFlags = TTF_IDISHWND;
    info.hwnd = ::GetParent(tool->m_hWnd);
    info.uId = reinterpret_cast<UINT_PTR>(tool->m_hWnd);
    info.lpszText = m_text.data();
    return SendMessage(TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info)) != 0;
}

void CToolTipCtrl::DelTool(CWnd* tool) {
    TTTOOLINFOW info{};
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    info.uFlags = TTF_IDISHWND;
    info.hwnd = ::GetParent(tool->m_hWnd);
    info.uId = reinterpret_cast<UINT_PTR>(tool->m_hWnd);
    SendMessage(TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}
