#include "app/MainDlg.h"

#include "app/Layout.h"
#include "dialogs/MacMessageDlg.h"
#include "editing/FileBackup.h"
#include "framework/Gdi.h"
#include "framework/TextConv.h"
#include "resources/Version.h"
#include "resources/resource.h"
#include "support/ErrorLog.h"
#include "support/Folders.h"
#include "support/MainSettings.h"
#include "update/UpdateChecker.h"

#include <algorithm>
#include <cstdint>
#include <unordered_map>

CMainDlg::CMainDlg()
    : CDialog(IDD_MAIN_DIALOG),
      m_strAppDataDir(GetApplicationFolder().path),
      m_nWidth(kDefaultWindowWidth),
      m_nHeight(kDefaultWindowHeight) {
    m_hIcon = ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
    m_mapPropertyNames = {
        {2, L"Summary_Title"},      {3, L"Summary_Subject"},        {4, L"Summary_Author"},
        {5, L"Summary_Keywords"},   {6, L"Summary_Comments"},       {7, L"Summary_Template"},
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
    return {&m_chkSubDir,          &m_chkIncludePath,
            &m_chkPathOnly,        &m_chkCaseSensitive,
            &m_chkExclusive,       &m_chkSetFileTime,
            &m_chkCreateTime,      &m_chkModifyTime,
            &m_chkAccessTime,      &m_chkSetFileAttributes,
            &m_chkArchive,         &m_chkReadOnly,
            &m_chkHidden,          &m_chkSystem,
            &m_chkOtherProperties, &m_chkNotContentIndexed,
            &m_chkOffline,         &m_chkTemporary,
            &m_chkNormal};
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
    FitLabels();

    // A saved maximized state is not restored: the window always opens restored.
    MoveWindow(StartupWindowRect(), true);
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
    const int dpi = m_skin.GetDpi();
    m_listFiles.InsertColumn(0, L"File name", LVCFMT_LEFT, ScaleToDpi(280, dpi));
    m_listFiles.InsertColumn(1, L"Create time", LVCFMT_LEFT, ScaleToDpi(118, dpi));
    m_listFiles.InsertColumn(2, L"Modify time", LVCFMT_LEFT, ScaleToDpi(118, dpi));
    m_listFiles.InsertColumn(3, L"Access time", LVCFMT_LEFT, ScaleToDpi(118, dpi));
    m_listFiles.InsertColumn(4, L"Attribute", LVCFMT_LEFT, ScaleToDpi(90, dpi));
}

void CMainDlg::FitLabels() {
    // Each label's width, measured in the font and at the DPI the window has now; the dialog
    // units of the template grow with the font's average width, not with each text.
    std::unordered_map<HWND, int> needed;
    for (CMacCheckBox* box : AllCheckBoxes()) {
        needed[box->m_hWnd] = box->NeededWidth();
    }
    for (CMacButton* button : LabelledButtons()) {
        needed[button->m_hWnd] = button->NeededWidth();
    }
    // Every control below the title bar takes part: a widened label moves its row's neighbours
    // and grows its group box, so no label is cut and none covers another.
    std::vector<HWND> controls;
    std::vector<FitItem> items;
    for (HWND child : GetChildWindows()) {
        const RECT rect = GetRectInParent(child);
        if (rect.top < m_skin.CaptionHeight()) {
            continue;  // the title bar and its buttons keep their places
        }
        const auto label = needed.find(child);
        controls.push_back(child);
        items.push_back({{rect.left, rect.top, rect.right, rect.bottom},
                         label != needed.end() ? label->second : 0,
                         IsGroupBox(child)});
    }
    FitLabelsInRows(items, m_skin.Scaled(kLabelRowGap));
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const RECT now = GetRectInParent(controls[i]);
        const LayoutRect& placed = items[i].rect;
        if (now.left != placed.left || now.right != placed.right) {
            CWnd::MoveWindow(controls[i], RECT{placed.left, now.top, placed.right, now.bottom});
        }
    }
}

std::vector<CMacButton*> CMainDlg::LabelledButtons() {
    return {&m_btnAddFolder, &m_btnAddFiles,  &m_btnApply,  &m_btnUndo,
            &m_btnSelectAll, &m_btnRevertSel, &m_btnRemove, &m_btnRemoveAll};
}

void CMainDlg::OnDpiChanged(int oldDpi, int newDpi) {
    for (CMacCheckBox* box : AllCheckBoxes()) {
        box->SetDpi(newDpi);
        box->InvalidateBox();
    }
    for (CMacButton* button : LabelledButtons()) {
        button->SetDpi(newDpi);
        button->Invalidate();
    }
    // The columns keep the widths the user gave them, in the new scale.
    for (int column = 0; column < 5; ++column) {
        const int width = m_listFiles.GetColumnWidth(column);
        if (width > 0) {
            m_listFiles.SetColumnWidth(column, UnscaleFromDpi(ScaleToDpi(width, newDpi), oldDpi));
        }
    }
    FitLabels();
    const RECT client = GetClientRect();
    SendMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
}

std::vector<CMacCheckBox*> CMainDlg::SettingsFileBoxes() {
    // The order of the file, which follows no order of the window.
    return {&m_chkArchive,         &m_chkCaseSensitive, &m_chkCreateTime,        &m_chkPathOnly,
            &m_chkExclusive,       &m_chkHidden,        &m_chkIncludePath,       &m_chkAccessTime,
            &m_chkModifyTime,      &m_chkNormal,        &m_chkNotContentIndexed, &m_chkOffline,
            &m_chkOtherProperties, &m_chkReadOnly,      &m_chkSetFileAttributes, &m_chkSetFileTime,
            &m_chkSubDir,          &m_chkSystem,        &m_chkTemporary};
}

namespace {
// The file held the width and the height (fields 22 and 23).
constexpr int kSizeFieldsRead = 23;
}  // namespace

void CMainDlg::ReadSettingsFile(int& theme) {
    std::string bytes;
    if (ReadWholeFile(m_strAppDataDir + kSettingsFileName, bytes) < 0) {
        return;  // no file yet, or one that cannot be read: every default stands
    }
    const auto decodeAnsi = [](std::string_view text) {
        const std::wstring wide = ToWide(text, CP_ACP);
        return std::u16string(wide.begin(), wide.end());
    };
    const MainSettings settings =
        ParseMainSettings(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), decodeAnsi);
    const std::vector<CMacCheckBox*> boxes = SettingsFileBoxes();
    for (size_t i = 0; i < boxes.size(); ++i) {
        boxes[i]->SetChecked(static_cast<BOOL>(settings.boxes[i]));
    }
    m_strLastFolder.assign(settings.lastFolder.begin(), settings.lastFolder.end());
    // A damaged file may hold any number: outside the table means the default theme.
    theme = ClampTheme(settings.theme);
    m_skin.SetTheme(theme);
    if (settings.fieldsRead >= kSizeFieldsRead) {
        m_nWidth = settings.width;
        m_nHeight = settings.height;
        m_bStoredClientSize = true;
    }
    m_bMaximized = settings.maximized;
}

void CMainDlg::WriteSettingsFile() {
    MainSettings settings;
    const std::vector<CMacCheckBox*> boxes = SettingsFileBoxes();
    for (size_t i = 0; i < boxes.size(); ++i) {
        settings.boxes[i] = static_cast<std::int32_t>(boxes[i]->m_bChecked);
    }
    settings.lastFolder.assign(m_strLastFolder.begin(), m_strLastFolder.end());
    settings.theme = m_skin.GetTheme();
    settings.width = m_nWidth;
    settings.height = m_nHeight;
    settings.maximized = m_bMaximized;
    const std::vector<std::uint8_t> bytes = SerializeMainSettings(settings);
    const std::wstring path = m_strAppDataDir + kSettingsFileName;
    if (!WriteWholeFile(path, std::string(bytes.begin(), bytes.end()))) {
        LogError(L"The settings could not be saved to %s (error %lu).", path.c_str(),
                 static_cast<unsigned long>(::GetLastError()));
    }
}

RECT CMainDlg::StartupWindowRect() const {
    // A stored size is the client area's (the size the window was last resized to); the window
    // is larger by its frame. Without one the default is the window's own size. Either way the
    // size is kept between the smallest the window allows and the work area of its screen.
    const RECT window = GetWindowRect();
    const RECT client = GetClientRect();
    const int frameX = m_bStoredClientSize ? (window.right - window.left) - client.right : 0;
    const int frameY = m_bStoredClientSize ? (window.bottom - window.top) - client.bottom : 0;
    const int dpi = m_skin.GetDpi();
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    ::GetMonitorInfoW(::MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const int maxWidth = monitor.rcWork.right - monitor.rcWork.left;
    const int maxHeight = monitor.rcWork.bottom - monitor.rcWork.top;
    const auto fit = [](long long wanted, int least, int most) {
        return static_cast<int>(std::max<long long>(least, std::min<long long>(wanted, std::max(least, most))));
    };
    const int width =
        fit(static_cast<long long>(ScaleToDpi(m_nWidth, dpi)) + frameX, ScaleToDpi(kMinTrackWidth, dpi), maxWidth);
    const int height =
        fit(static_cast<long long>(ScaleToDpi(m_nHeight, dpi)) + frameY, ScaleToDpi(kMinTrackHeight, dpi), maxHeight);
    return RECT{0, 0, width, height};
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
    CMacMessageDlg question;
    question.m_nTheme = m_skin.GetTheme();
    question.m_bShowCheck = true;
    const int answer = question.ShowMessage(L"Do you want to exit \"" + std::wstring(kProductName) + L"\"?",
                                            CMacMessageDlg::kTypeYesNo);
    if (answer == -1) {
        // A question that cannot be shown must not hold the window open for ever.
        LogError(L"The exit question could not be shown; the program ends without it.");
        return true;
    }
    // The check box counts whatever the answer: a "No" with the box ticked keeps the window open
    // and lets the next close go without asking.
    m_skin.m_bNoExitPrompt = question.m_bDontShowAgain ? TRUE : FALSE;
    return answer == IDOK;
}

BOOL CMainDlg::PreTranslateMessage(MSG* msg) {
    if (msg->message == WM_SYSKEYDOWN && msg->wParam == VK_F10 && !(::GetKeyState(VK_SHIFT) & 0x8000)) {
        // F10 opens the window's menus wherever the focus is (Alt alone reaches the frame as
        // the system's menu key).
        m_skin.OpenKeyboardMenu();
        return TRUE;
    }
    if (msg->message == WM_KEYDOWN) {
        if (msg->wParam == VK_ESCAPE) {
            return TRUE;  // Escape never closes the window
        }
        if (msg->wParam == VK_F1) {
            // Taken here, whichever control has the focus: not every control passes the
            // platform's help request on to its window.
            m_skin.ShowOnlineHelp();
            return TRUE;
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
    if (message == WM_DPICHANGED) {
        const int oldDpi = m_skin.GetDpi();
        m_skin.HookMessage(message, wParam, lParam);
        const LRESULT result = CDialog::DefWindowProc(message, wParam, lParam);
        OnDpiChanged(oldDpi, m_skin.GetDpi());
        return result;
    }
    if (message == WM_HELP) {
        // F1 anywhere in the window opens the online help, never the local help file.
        m_skin.ShowOnlineHelp();
        return TRUE;
    }
    if (const LRESULT handled = m_skin.HookMessage(message, wParam, lParam)) {
        return handled;
    }
    return CDialog::DefWindowProc(message, wParam, lParam);
}

BOOL CMainDlg::OnCommand(UINT id, UINT code, HWND control) {
    if (code == CMacCheckBox::kStateSetCode) {
        // A box set from outside: the controls a group switch enables follow it, as after a
        // click; the boxes' other reactions belong to clicks alone.
        OnGroupSwitch(id);
        return TRUE;
    }
    if (code == BN_CLICKED) {
        if (OnGroupSwitch(id)) {
            return TRUE;
        }
        switch (id) {
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

bool CMainDlg::OnGroupSwitch(UINT id) {
    switch (id) {
        case IDC_SET_FILE_TIME:
            OnSetFileTime();
            return true;
        case IDC_SET_FILE_ATTRIBUTES:
            OnSetFileAttributes();
            return true;
        case IDC_OTHER_PROPERTIES:
            OnOtherProperties();
            return true;
        default:
            return false;
    }
}

BOOL CMainDlg::OnNotify(NMHDR* header, LRESULT* result) {
    if (header->idFrom == IDC_FILE_LIST && header->code == LVN_DELETEALLITEMS) {
        *result = TRUE;  // no notification per deleted row
        return TRUE;
    }
    if (header->idFrom == IDC_FILE_LIST && header->code == LVN_GETDISPINFOW) {
        *result = 0;
        OnGetRowText(*reinterpret_cast<NMLVDISPINFOW*>(header));
        return TRUE;
    }
    if (header->idFrom == IDC_FILE_LIST && header->code == LVN_ODSTATECHANGED) {
        // A range selected at once (Shift+click, Shift+arrow): its last row is the one shown,
        // as when each row of the range reported its own change.
        *result = 0;
        ShowRowInfo(reinterpret_cast<const NMLVODSTATECHANGE*>(header)->iTo);
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
        m_nWidth = UnscaleFromDpi(client.right, m_skin.GetDpi());
        m_nHeight = UnscaleFromDpi(client.bottom, m_skin.GetDpi());
    }
    if (type == SIZE_MINIMIZED) {
        return;
    }
    const int dpi = m_skin.GetDpi();
    const auto stretch = [cx, cy, dpi](CWnd& control, const EdgeRule& rule) {
        const RECT now = control.GetRectInParent();
        const LayoutRect placed =
            StretchToClient({now.left, now.top, now.right, now.bottom}, ScaleEdgeRule(rule, dpi), cx, cy);
        control.MoveWindow(placed.left, placed.top, placed.right - placed.left, placed.bottom - placed.top, true);
    };
    stretch(m_editOutput, kOutputPaneEdges);
    stretch(m_editValue, kValueEditEdges);
    stretch(m_listFiles, kWideControlEdges);
    stretch(m_stcPropFrame, kWideControlEdges);
    stretch(m_stcLine, kWideControlEdges);
}

void CMainDlg::OnGetMinMaxInfo(MINMAXINFO* info) {
    info->ptMinTrackSize.x = ScaleToDpi(kMinTrackWidth, m_skin.GetDpi());
    info->ptMinTrackSize.y = ScaleToDpi(kMinTrackHeight, m_skin.GetDpi());
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
