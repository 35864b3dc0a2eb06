#include "app/MainDlg.h"

#include "app/Layout.h"
#include "app/Version.h"
#include "dialogs/MessageBox.h"
#include "editing/FileBackup.h"
#include "framework/Gdi.h"
#include "resources/resource.h"
#include "support/ErrorLog.h"
#include "support/Folders.h"
#include "update/UpdateChecker.h"

CMainDlg::CMainDlg()
    : CDialog(IDD_MAIN_DIALOG),
      m_strAppDataDir(GetApplicationFolder().path),
      m_nWidth(kDefaultWindowWidth),
      m_nHeight(kDefaultWindowHeight) {
    m_hIcon = ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
    m_mapPropertyNames = {
        {2, L"Summary_Title"},    {3, L"Summary_Subject"},        {4, L"Summary_Author"},
        {5, L"Summary_Keywords"}, {6, L"Summary_Comments"},       {7, L"Summary_Template"},
        {8, L"Summary_LastAuthor"}, {9, L"Summary_RevisionNumber"}, {18, L"Summary_AppName"},
    };

    AddControl(IDC_PROPERTY_FRAME, m_stcPropFrame);
    AddControl(IDC_APPLY, m_btnApply);
    AddControl(IDC_UNDO, m_btnUndo);
    AddControl(IDC_FILTER, m_editFilter);
    AddControl(IDC_CASE_SENSITIVE, m_chkCaseSensitive);
    AddControl(IDC_EXCLUSIVE, m_chkExclusive);
    AddControl(IDC_ADD_FOLDER, m_btnAddFolder);
    AddControl(IDC_ADD_FILES, m_btnAddFiles);
    AddControl(IDC_SUB_DIR, m_chkSubDir);
    AddControl(IDC_INCLUDE_PATH, m_chkIncludePath);
    AddControl(IDC_PATH_ONLY, m_chkPathOnly);
    AddControl(IDC_SELECT_ALL, m_btnSelectAll);
    AddControl(IDC_REVERT_SEL, m_btnRevertSel);
    AddControl(IDC_REMOVE, m_btnRemove);
    AddControl(IDC_REMOVE_ALL, m_btnRemoveAll);
    AddControl(IDC_FILE_LIST, m_listFiles);
    AddControl(IDC_SET_FILE_TIME, m_chkSetFileTime);
    AddControl(IDC_SET_FILE_ATTRIBUTES, m_chkSetFileAttributes);
    AddControl(IDC_OTHER_PROPERTIES, m_chkOtherProperties);
    AddControl(IDC_PROPERTY_NAMES, m_lstProperties);
    AddControl(IDC_PROPERTY_VALUE, m_editValue);
    AddControl(IDC_OUTPUT, m_editOutput);
    AddControl(IDC_DATE, m_dtpDate);
    AddControl(IDC_TIME, m_dtpTime);
    AddControl(IDC_CREATE_TIME, m_chkCreateTime);
    AddControl(IDC_MODIFY_TIME, m_chkModifyTime);
    AddControl(IDC_ACCESS_TIME, m_chkAccessTime);
    AddControl(IDC_ARCHIVE, m_chkArchive);
    AddControl(IDC_READ_ONLY, m_chkReadOnly);
    AddControl(IDC_HIDDEN, m_chkHidden);
    AddControl(IDC_SYSTEM, m_chkSystem);
    AddControl(IDC_TEMPORARY, m_chkTemporary);
    AddControl(IDC_OFFLINE, m_chkOffline);
    AddControl(IDC_NOT_CONTENT_INDEXED, m_chkNotContentIndexed);
    AddControl(IDC_NORMAL, m_chkNormal);
    AddControl(IDC_TOP_LINE, m_stcLine);
}

CMainDlg::~CMainDlg() {
    // Destroyed while the members still exist, so the window's last messages reach them.
    DestroyWindow();
    ClearBackup();
}

std::vector<CMacCheckBox*> CMainDlg::AllCheckBoxes() {
    return {&m_chkSubDir,         &m_chkIncludePath,    &m_chkPathOnly,     &m_chkCaseSensitive,
            &m_chkExclusive,      &m_chkSetFileTime,    &m_chkCreateTime,   &m_chkModifyTime,
            &m_chkAccessTime,     &m_chkSetFileAttributes, &m_chkArchive,   &m_chkReadOnly,
            &m_chkHidden,         &m_chkSystem,         &m_chkOtherProperties, &m_chkNotContentIndexed,
            &m_chkOffline,        &m_chkTemporary,      &m_chkNormal};
}

BOOL CMainDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    SetIcon(m_hIcon, true);
    SetIcon(m_hIcon, false);
    SetWindowText(kMainWindowTitle);
    DragAcceptFiles(true);
    // The per-user folder. Without one (see ChooseApplicationFolder) the window runs on its
    // defaults and saves nothing; either way the log tells why the usual folder is not used.
    if (!m_strAppDataDir.empty()) {
        EnsureDirectory(m_strAppDataDir);
    }
    if (const std::wstring notice = GetApplicationFolder().notice; !notice.empty()) {
        LogError(L"%s", notice.c_str());
    }

    int theme = 10;
    if (!m_strAppDataDir.empty()) {
        ReadSettingsFile(theme);
    }
    m_skin.AttachMain(this, theme, m_strAppDataDir, kProductName);

    InsertListColumns();
    // The output pane grows with every pass; lift the edit control's default 32K limit.
    m_editOutput.LimitText(0);
    m_listFiles.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP, 0);

    // The time kinds always start ticked, whatever was saved.
    m_chkCreateTime.SetChecked(TRUE);
    m_chkModifyTime.SetChecked(TRUE);
    m_chkAccessTime.SetChecked(TRUE);

    SetButtonIcons();

    // A saved maximized state is not restored: the window always opens restored.
    MoveWindow(0, 0, m_nWidth, m_nHeight, true);
    CenterWindow();
    // Lay out once more when the loop runs, with the size the window really got.
    const RECT client = GetClientRect();
    PostMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));

    OnSetFileTime();
    OnSetFileAttributes();
    m_editValue.SetReadOnly(!m_chkOtherProperties.IsChecked());
    return TRUE;
}

void CMainDlg::InsertListColumns() {
    m_listFiles.InsertColumn(0, L"File name", LVCFMT_LEFT, 280);
    m_listFiles.InsertColumn(1, L"Create time", LVCFMT_LEFT, 118);
    m_listFiles.InsertColumn(2, L"Modify time", LVCFMT_LEFT, 118);
    m_listFiles.InsertColumn(3, L"Access time", LVCFMT_LEFT, 118);
    m_listFiles.InsertColumn(4, L"Attribute", LVCFMT_LEFT, 90);
}

void CMainDlg::ReadSettingsFile(int&) {
    // QMK.cfg is not read yet: the values from construction stay in force.
}

void CMainDlg::WriteSettingsFile() {
    // QMK.cfg is not written yet.
}

void CMainDlg::SetButtonIcons() {
    // Not invalidated: the buttons paint with their icons when the window is first shown.
    m_btnAddFolder.SetIconResource(IDI_ADD_FOLDER);
    m_btnAddFiles.SetIconResource(IDI_ADD_FILES);
    m_btnApply.SetIconResource(IDI_APPLY);
    m_btnUndo.SetIconResource(IDI_UNDO);
    m_btnSelectAll.SetIconResource(IDI_SELECT_ALL);
    m_btnRevertSel.SetIconResource(IDI_REVERT_SEL);
    m_btnRemove.SetIconResource(IDI_REMOVE);
    m_btnRemoveAll.SetIconResource(IDI_REMOVE_ALL);
}

bool CMainDlg::ConfirmExit() {
    if (m_skin.m_bNoExitPrompt) {
        return true;
    }
    // The box writes its check box into the flag whatever the answer: a "No" with the box ticked
    // keeps the window open and lets the next close go without asking.
    bool dontAskAgain = false;
    const BOOL yes = MacYesNoBox(L"Do you want to exit \"" + std::wstring(kProductName) + L"\"?", m_skin.GetTheme(),
                                 true, &dontAskAgain);
    m_skin.m_bNoExitPrompt = dontAskAgain ? TRUE : FALSE;
    return yes != FALSE;
}

BOOL CMainDlg::PreTranslateMessage(MSG* msg) {
    if (msg->message == WM_KEYDOWN) {
        if (msg->wParam == VK_ESCAPE) {
            return TRUE;  // Escape never closes the window
        }
        if (msg->wParam == VK_DELETE && m_lstProperties.m_hWnd && ::GetFocus() == m_lstProperties.m_hWnd) {
            DeleteSelectedPropertyNames();
        }
    }
    return CDialog::PreTranslateMessage(msg);
}

void CMainDlg::DeleteSelectedPropertyNames() {
    for (int index = m_lstProperties.GetCount() - 1; index >= 0; --index) {
        if (m_lstProperties.GetSel(index) > 0) {
            m_mapPropertyValues.erase(m_lstProperties.GetText(index));
            m_lstProperties.DeleteString(index);
        }
    }
}

void CMainDlg::OnOK() {
    // Enter never closes the window.
}

void CMainDlg::OnCancel() {
    if (ConfirmExit()) {
        CDialog::OnCancel();
    }
}

void CMainDlg::OnUpdateInstallerStarted() {
    // Posted by the update check, which may run on its own thread. A message box shown inside a
    // pass pumps messages, so this can arrive while Apply or Undo is under way.
    if (m_nPassDepth > 0) {
        m_bCloseAfterPass = true;
        return;
    }
    CDialog::OnCancel();  // no exit question: the user has just agreed to close
}

void CMainDlg::RunPass(void (CMainDlg::*pass)()) {
    ++m_nPassDepth;
    (this->*pass)();
    --m_nPassDepth;
    if (m_nPassDepth == 0 && m_bCloseAfterPass) {
        m_bCloseAfterPass = false;
        OnUpdateInstallerStarted();
    }
}

LRESULT CMainDlg::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_UPDATE_INSTALLER_STARTED) {
        OnUpdateInstallerStarted();
        return 0;
    }
    if (const LRESULT handled = m_skin.HookMessage(message, wParam, lParam)) {
        return handled;
    }
    return CDialog::DefWindowProc(message, wParam, lParam);
}

BOOL CMainDlg::OnCommand(UINT id, UINT code, HWND control) {
    if (code == BN_CLICKED) {
        switch (id) {
        case IDC_SET_FILE_TIME:
            OnSetFileTime();
            return TRUE;
        case IDC_SET_FILE_ATTRIBUTES:
            OnSetFileAttributes();
            return TRUE;
        case IDC_OTHER_PROPERTIES:
            OnOtherProperties();
            return TRUE;
        case IDC_APPLY:
            RunPass(&CMainDlg::OnApplyChanges);
            return TRUE;
        case IDC_UNDO:
            RunPass(&CMainDlg::OnUndoChanges);
            return TRUE;
        case IDC_ADD_FILES:
            OnAddFiles();
            return TRUE;
        case IDC_ADD_FOLDER:
            OnAddFolder();
            return TRUE;
        case IDC_SELECT_ALL:
            OnSelectAll();
            return TRUE;
        case IDC_REVERT_SEL:
            OnRevertSel();
            return TRUE;
        case IDC_REMOVE:
            OnRemove();
            return TRUE;
        case IDC_REMOVE_ALL:
            OnRemoveAll();
            return TRUE;
        case IDC_NORMAL:
            OnNormal();
            return TRUE;
        case IDC_ARCHIVE:
            OnArchive();
            return TRUE;
        case IDC_READ_ONLY:
            OnReadOnly();
            return TRUE;
        case IDC_HIDDEN:
            OnHidden();
            return TRUE;
        case IDC_SYSTEM:
            OnSystem();
            return TRUE;
        case IDC_TEMPORARY:
            OnTemporary();
            return TRUE;
        case IDC_OFFLINE:
            OnOffline();
            return TRUE;
        case IDC_NOT_CONTENT_INDEXED:
            OnNotContentIndexed();
            return TRUE;
        default:
            break;
        }
    }
    if (code == EN_CHANGE && id == IDC_FILTER) {
        OnFilterChange();
        return TRUE;
    }
    if (code == LBN_SELCHANGE && id == IDC_PROPERTY_NAMES) {
        OnSelChangeProperties();
        return TRUE;
    }
    if (code == EN_KILLFOCUS && id == IDC_PROPERTY_VALUE) {
        OnKillFocusValue();
        return TRUE;
    }
    return CDialog::OnCommand(id, code, control);
}

BOOL CMainDlg::OnNotify(NMHDR* header, LRESULT* result) {
    if (header->idFrom == IDC_FILE_LIST && header->code == LVN_DELETEALLITEMS) {
        *result = TRUE;  // no notification per deleted row
        return TRUE;
    }
    if (header->idFrom == IDC_FILE_LIST && header->code == LVN_ITEMCHANGED) {
        *result = 0;
        OnItemChangedFileList(*reinterpret_cast<const NMLISTVIEW*>(header));
        return TRUE;
    }
    return CDialog::OnNotify(header, result);
}

void CMainDlg::OnPaint() {
    if (!IsIconic()) {
        CDialog::OnPaint();
        return;
    }
    CPaintDC paint(m_hWnd);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(paint.dc()), 0);
    const RECT client = GetClientRect();
    const int x = (client.right - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    ::DrawIcon(paint.dc(), x, y, m_hIcon);
}

HCURSOR CMainDlg::OnQueryDragIcon() {
    return static_cast<HCURSOR>(m_hIcon);
}

void CMainDlg::OnSize(UINT type, int cx, int cy) {
    CDialog::OnSize(type, cx, cy);
    if (!m_editOutput.m_hWnd) {
        return;
    }
    // A minimized window has an empty client area; that is no size to remember.
    if (!IsZoomed() && !IsIconic()) {
        const RECT client = GetClientRect();
        m_nWidth = client.right;
        m_nHeight = client.bottom;
    }
    if (type == SIZE_MINIMIZED) {
        return;
    }
    const auto stretch = [cx, cy](CWnd& control, const EdgeRule& rule) {
        const RECT now = control.GetRectInParent();
        const LayoutRect placed = StretchToClient({now.left, now.top, now.right, now.bottom}, rule, cx, cy);
        control.MoveWindow(placed.left, placed.top, placed.right - placed.left, placed.bottom - placed.top, true);
    };
    stretch(m_editOutput, kOutputPaneEdges);
    stretch(m_editValue, kValueEditEdges);
    stretch(m_listFiles, kWideControlEdges);
    stretch(m_stcPropFrame, kWideControlEdges);
    stretch(m_stcLine, kWideControlEdges);
}

void CMainDlg::OnGetMinMaxInfo(MINMAXINFO* info) {
    info->ptMinTrackSize.x = kMinTrackWidth;
    info->ptMinTrackSize.y = kMinTrackHeight;
    Default();
}

void CMainDlg::OnDestroy() {
    ClearBackup();
    m_bMaximized = IsZoomed() ? 1 : 0;
    CDialog::OnDestroy();
    if (!m_strAppDataDir.empty()) {
        WriteSettingsFile();
    }
}
