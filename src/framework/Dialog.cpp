#include "framework/Dialog.h"

#include "framework/Abi.h"

#include <vector>

CDialog::CDialog(UINT templateId, CWnd* parent) : m_nIDTemplate(templateId), m_pParentWnd(parent) {}

CDialog::~CDialog() {
    if (m_hWnd) {
        ::DestroyWindow(m_hWnd);
    }
}

INT_PTR CALLBACK CDialog::DialogProc(HWND, UINT, WPARAM, LPARAM) noexcept {
    // Every message has already been offered to the object by its subclass procedure; what
    // reaches the dialog manager gets its default processing.
    return FALSE;
}

bool CDialog::Create(HWND parent) {
    QUILL_CHECK_CALLBACK(DialogProc, DLGPROC);
    if (m_hWnd) {
        return false;
    }
    HWND hwnd = nullptr;
    {
        CreationHook hook(this);
        hwnd =
            ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_nIDTemplate), parent, DialogProc, 0);
    }
    return hwnd != nullptr && hwnd == m_hWnd;
}

bool CDialog::CreateIndirect(const DLGTEMPLATE* dialogTemplate, HWND parent) {
    if (m_hWnd || !dialogTemplate) {
        return false;
    }
    HWND hwnd = nullptr;
    {
        CreationHook hook(this);
        hwnd = ::CreateDialogIndirectParamW(::GetModuleHandleW(nullptr), dialogTemplate, parent, DialogProc, 0);
    }
    return hwnd != nullptr && hwnd == m_hWnd;
}

INT_PTR CDialog::DoModal() {
    HWND owner = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
    const bool ownerWasEnabled = owner && ::IsWindowEnabled(owner);
    if (ownerWasEnabled) {
        ::EnableWindow(owner, FALSE);
    }
    m_nModalResult = -1;
    m_bInModalLoop = true;
    if (!Create(owner)) {
        m_bInModalLoop = false;
        if (ownerWasEnabled) {
            ::EnableWindow(owner, TRUE);
        }
        return -1;
    }
    // A template without WS_VISIBLE is shown once it is initialised, as a modal dialog is.
    if (m_bInModalLoop && m_hWnd && !IsWindowVisible()) {
        ShowWindow(SW_SHOW);
    }
    MSG msg;
    while (m_bInModalLoop && m_hWnd) {
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (got == -1) {
            break;
        }
        ProcessMessage(msg);
    }
    m_bInModalLoop = false;
    if (ownerWasEnabled) {
        ::EnableWindow(owner, TRUE);
        ::SetActiveWindow(owner);
    }
    if (m_hWnd) {
        ::DestroyWindow(m_hWnd);
    }
    return m_nModalResult;
}

void CDialog::EndDialog(int result) {
    m_nModalResult = result;
    if (m_bInModalLoop) {
        m_bInModalLoop = false;
        if (m_hWnd) {
            ::ShowWindow(m_hWnd, SW_HIDE);
            ::PostMessageW(m_hWnd, WM_NULL, 0, 0);  // wake the loop
        }
    } else if (m_hWnd) {
        ::ShowWindow(m_hWnd, SW_HIDE);
    }
}

namespace {

bool IsArrowKey(WPARAM key) {
    return key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN;
}

}  // namespace

HWND NextTabStopInGroup(HWND control, bool previous) {
    const auto style = [](HWND hwnd) { return static_cast<DWORD>(::GetWindowLongW(hwnd, GWL_STYLE)); };
    HWND first = control;
    while (!(style(first) & WS_GROUP)) {
        const HWND before = ::GetWindow(first, GW_HWNDPREV);
        if (!before) {
            break;
        }
        first = before;
    }
    std::vector<HWND> stops;
    size_t at = 0;
    for (HWND sibling = first; sibling; sibling = ::GetWindow(sibling, GW_HWNDNEXT)) {
        if (sibling != first && (style(sibling) & WS_GROUP)) {
            break;
        }
        if (sibling == control) {
            at = stops.size();
            stops.push_back(sibling);
        } else if ((style(sibling) & (WS_TABSTOP | WS_VISIBLE | WS_DISABLED)) == (WS_TABSTOP | WS_VISIBLE)) {
            stops.push_back(sibling);
        }
    }
    if (stops.empty() || stops[at] != control) {
        return control;
    }
    const size_t count = stops.size();
    return stops[(at + (previous ? count - 1 : 1)) % count];
}

BOOL CDialog::PreTranslateMessage(MSG* msg) {
    if (msg->message == WM_KEYDOWN && IsArrowKey(msg->wParam)) {
        // The arrow keys move among the tab stops of the focused control's group and never leave
        // it: the dialog manager's own walk also stops on labels, group boxes and the title
        // bar's buttons.
        const HWND focus = ::GetFocus();
        if (focus && ::GetParent(focus) == m_hWnd &&
            !(::SendMessageW(focus, WM_GETDLGCODE, msg->wParam, reinterpret_cast<LPARAM>(msg)) & DLGC_WANTARROWS)) {
            const bool previous = msg->wParam == VK_LEFT || msg->wParam == VK_UP;
            if (const HWND next = NextTabStopInGroup(focus, previous); next != focus) {
                SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(next), TRUE);
            }
            SendMessage(WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS));
            return TRUE;
        }
    }
    if (msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST) {
        return ::IsDialogMessageW(m_hWnd, msg);
    }
    return FALSE;
}

void CDialog::AddControl(int id, CWnd& control) {
    m_controls.emplace_back(id, &control);
}

void CDialog::DoDataExchange() {
    for (auto& [id, control] : m_controls) {
        if (!control->m_hWnd) {
            control->SubclassDlgItem(id, this);
        }
    }
}

BOOL CDialog::OnInitDialog() {
    DoDataExchange();
    return TRUE;
}

void CDialog::OnOK() {
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

CWnd* CDialog::FindControlForMeasure(int id) {
    for (auto& [controlId, control] : m_controls) {
        if (controlId == id) {
            return control;
        }
    }
    return CWnd::FindControlForMeasure(id);
}

LRESULT CDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        return OnInitDialog();
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

BOOL CDialog::OnCommand(UINT id, UINT code, HWND control) {
    // Enter and Escape arrive from the dialog manager as IDOK and IDCANCEL with code 0, the
    // same code as a click of a button with that id.
    if (code == BN_CLICKED) {
        if (id == IDOK) {
            OnOK();
            return TRUE;
        }
        if (id == IDCANCEL) {
            OnCancel();
            return TRUE;
        }
    }
    return CWnd::OnCommand(id, code, control);
}
