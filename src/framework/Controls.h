// Typed wrappers of the common controls: one member function per control message we use.
#pragma once

#include "framework/Wnd.h"

#include <string>

class CButton : public CWnd {
public:
    int GetCheck() const { return static_cast<int>(SendMessage(BM_GETCHECK)); }
    UINT GetState() const { return static_cast<UINT>(SendMessage(BM_GETSTATE)); }
    void Click() { SendMessage(BM_CLICK); }
};

class CStatic : public CWnd {};

class CEdit : public CWnd {
public:
    void SetReadOnly(bool readOnly = true) { SendMessage(EM_SETREADONLY, readOnly ? TRUE : FALSE); }
    bool IsReadOnly() const { return (::GetWindowLongW(m_hWnd, GWL_STYLE) & ES_READONLY) != 0; }
    void SetSel(int start, int end, bool noScroll = false);
    void ReplaceSel(const std::wstring& text, bool canUndo = false);
    void LimitText(int chars) { SendMessage(EM_SETLIMITTEXT, static_cast<WPARAM>(chars)); }
    int GetLineCount() const { return static_cast<int>(SendMessage(EM_GETLINECOUNT)); }
    void LineScroll(int lines) { SendMessage(EM_LINESCROLL, 0, lines); }
};

class CListBox : public CWnd {
public:
    int AddString(const std::wstring& text);
    int DeleteString(int index) { return static_cast<int>(SendMessage(LB_DELETESTRING, static_cast<WPARAM>(index))); }
    void ResetContent() { SendMessage(LB_RESETCONTENT); }
    int GetCount() const { return static_cast<int>(SendMessage(LB_GETCOUNT)); }
    int GetSel(int index) const { return static_cast<int>(SendMessage(LB_GETSEL, static_cast<WPARAM>(index))); }
    int SetSel(int index, bool select = true);
    int GetCurSel() const { return static_cast<int>(SendMessage(LB_GETCURSEL)); }
    int GetSelCount() const { return static_cast<int>(SendMessage(LB_GETSELCOUNT)); }
    std::wstring GetText(int index) const;
    int FindStringExact(int startAfter, const std::wstring& text) const;
};

class CListCtrl : public CWnd {
public:
    int InsertColumn(int column, const std::wstring& heading, int format, int width);
    int GetColumnWidth(int column) const {
        return static_cast<int>(SendMessage(LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column)));
    }
    bool SetColumnWidth(int column, int width) {
        return SendMessage(LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MAKELPARAM(width, 0)) != 0;
    }
    std::wstring GetColumnText(int column) const;
    DWORD SetExtendedStyle(DWORD style, DWORD mask = 0);
    DWORD GetExtendedStyle() const { return static_cast<DWORD>(SendMessage(LVM_GETEXTENDEDLISTVIEWSTYLE)); }
    int GetItemCount() const { return static_cast<int>(SendMessage(LVM_GETITEMCOUNT)); }
    // An owner-data list: the number of rows the program holds; flags are LVSICF_*.
    bool SetItemCount(int count, DWORD flags = 0) {
        return SendMessage(LVM_SETITEMCOUNT, static_cast<WPARAM>(count), static_cast<LPARAM>(flags)) != 0;
    }
    // Answers LVN_GETDISPINFO's text request, cut to the buffer the list view gave.
    static void SetDispInfoText(NMLVDISPINFOW& info, const std::wstring& text);
    std::wstring GetItemText(int index, int subItem) const;
    bool DeleteAllItems() { return SendMessage(LVM_DELETEALLITEMS) != 0; }
    UINT GetItemState(int index, UINT mask) const;
    bool SetItemState(int index, UINT state, UINT mask);
    int GetNextItem(int start, UINT flags) const;
    int GetSelectedCount() const { return static_cast<int>(SendMessage(LVM_GETSELECTEDCOUNT)); }
};

class CDateTimeCtrl : public CWnd {
public:
    bool GetTime(SYSTEMTIME& time) const;
    bool SetTime(const SYSTEMTIME& time);
};

class CToolTipCtrl : public CWnd {
public:
    bool Create(CWnd* owner);
    // Registers the whole window of `tool` under `text`. The tooltip learns of the mouse only
    // through RelayEvent: it does not subclass the tool, so the tool's own window procedure
    // stays in front and the object lookup, the theme walk and the draw reflection still find it.
    bool AddTool(CWnd* tool, const std::wstring& text);
    void DelTool(CWnd* tool);
    int GetToolCount() const { return static_cast<int>(SendMessage(TTM_GETTOOLCOUNT)); }
    void RelayEvent(MSG* msg) { SendMessage(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(msg)); }
    void SetDelayTime(DWORD which, int milliseconds) {
        SendMessage(TTM_SETDELAYTIME, which, MAKELPARAM(milliseconds, 0));
    }
    void SetTipBkColor(COLORREF color) { SendMessage(TTM_SETTIPBKCOLOR, color); }
    COLORREF GetTipBkColor() const { return static_cast<COLORREF>(SendMessage(TTM_GETTIPBKCOLOR)); }
    void Activate(bool active) { SendMessage(TTM_ACTIVATE, active ? TRUE : FALSE); }
    void Update() { SendMessage(TTM_UPDATE); }
    void Pop() { SendMessage(TTM_POP); }

private:
    std::wstring m_text;  // the tool text must outlive TTM_ADDTOOL's copy in older comctl32
};
