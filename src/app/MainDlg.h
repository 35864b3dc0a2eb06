// CMainDlg: the main window. It owns every control and all working state of a run; its member
// functions live with their subsystems, in the files named at each group below; what no group
// names (start-up, settings, layout, message routing, the exit question) is in app/MainDlg.cpp.
#pragma once

#include "app/SkinFrameEx.h"
#include "editing/FileBackup.h"
#include "filelist/PathIndex.h"
#include "filelist/TimeValues.h"
#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "skin/MacButton.h"
#include "skin/MacCheckBox.h"
#include "skin/NListBox.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

struct FolderIdentity;

// The main window's settings file in the application folder.
inline constexpr wchar_t kSettingsFileName[] = L"QMK.cfg";

class CMainDlg : public CDialog {
public:
    CMainDlg();
    ~CMainDlg() override;

    BOOL PreTranslateMessage(MSG* msg) override;

    // Members in the order of construction; each control member is bound to its template id.
    CStatic m_stcPropFrame;
    HICON m_hIcon = nullptr;
    CMacButton m_btnApply;
    CMacButton m_btnUndo;
    CEdit m_editFilter;
    CMacCheckBox m_chkCaseSensitive;
    CMacCheckBox m_chkExclusive;
    CMacButton m_btnAddFolder;
    CMacButton m_btnAddFiles;
    CMacCheckBox m_chkSubDir;
    CMacCheckBox m_chkIncludePath;
    CMacCheckBox m_chkPathOnly;
    CMacButton m_btnSelectAll;
    CMacButton m_btnRevertSel;
    CMacButton m_btnRemove;
    CMacButton m_btnRemoveAll;
    CListCtrl m_listFiles;
    // The rows the list shows, in order: entries of the master list, which hold the path and
    // the values the row shows; the list view holds no texts of its own.
    std::vector<ListedPath*> m_vecRows;
    CSkinFrameEx m_skin;
    CPathIndex m_arrFiles;
    CMacCheckBox m_chkSetFileTime;
    CMacCheckBox m_chkSetFileAttributes;
    CMacCheckBox m_chkOtherProperties;
    NListBox m_lstProperties;
    CEdit m_editValue;
    CEdit m_editOutput;
    CDateTimeCtrl m_dtpDate;
    CDateTimeCtrl m_dtpTime;
    CMacCheckBox m_chkCreateTime;
    CMacCheckBox m_chkModifyTime;
    CMacCheckBox m_chkAccessTime;
    CMacCheckBox m_chkArchive;
    CMacCheckBox m_chkReadOnly;
    CMacCheckBox m_chkHidden;
    CMacCheckBox m_chkSystem;
    CMacCheckBox m_chkTemporary;
    CMacCheckBox m_chkOffline;
    CMacCheckBox m_chkNotContentIndexed;
    CMacCheckBox m_chkNormal;
    CStatic m_stcLine;
    std::wstring m_strLastFolder;
    std::wstring m_strAppDataDir;
    // The client size in 96-DPI pixels, as the settings file has always held it (the program was
    // not DPI aware and saw 96-DPI coordinates); scaled to the window's DPI when used.
    int m_nWidth;
    int m_nHeight;
    int m_bMaximized = 0;
    // m_nWidth and m_nHeight came from the settings file: a client size, not the window's.
    bool m_bStoredClientSize = false;
    std::map<std::wstring, std::wstring> m_mapPropertyValues;
    std::map<int, std::wstring> m_mapPropertyNames;
    // One record per file, however many rows name it and in whatever spelling.
    BackupMap m_mapBackup;

    // The nineteen check boxes, in template order, for code that treats them alike.
    std::vector<CMacCheckBox*> AllCheckBoxes();

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnCommand(UINT id, UINT code, HWND control) override;
    BOOL OnNotify(NMHDR* header, LRESULT* result) override;
    void OnPaint() override;
    HCURSOR OnQueryDragIcon() override;
    void OnSize(UINT type, int cx, int cy) override;
    void OnDestroy() override;
    void OnGetMinMaxInfo(MINMAXINFO* info) override;
    void OnDropFiles(HDROP drop) override;

public:
    // The file list (filelist/FileList.cpp): rows from the master list through the filter, the
    // selection and its display in the editing groups, the rows' refresh after Apply and Undo.
    void FillFileList();
    void OnFilterChange();
    void OnSelectAll();
    void OnRevertSel();
    void OnRemove();
    void OnRemoveAll();
    void OnItemChangedFileList(const NMLISTVIEW& change);
    void RefreshRows();

    // Adding files and folders (filelist/AddFiles.cpp).
    void OnAddFiles();
    void OnAddFolder();
    // Appends what a folder pattern ("...\*.*") finds, descending when "Sub dir" is ticked.
    void ScanFolder(const std::wstring& pattern);

    // Editing groups (editing/EditingGroups.cpp): enabling follows the group switches.
    // The group of switch `id` follows it; false when `id` is no group switch (app/MainDlg.cpp).
    bool OnGroupSwitch(UINT id);
    void OnSetFileTime();
    void OnSetFileAttributes();
    void OnOtherProperties();

    // The time group (editing/FileTimes.cpp).
    // The new time from the date and time pickers; empty when it cannot be written.
    std::optional<TimeSeconds> ComposeNewTime() const;
    bool ChangeFileTime(const std::wstring& path);
    bool SetDirTime(const FileStatus& status, const std::wstring& path);
    // Writes the three times by the route the file allows: the file write for a plain file
    // nobody holds, else the folder route.
    bool WriteTimes(const std::wstring& path, const FileStatus& status);

    // The attribute group (editing/FileAttributes.cpp).
    void OnNormal();
    void OnArchive();
    void OnReadOnly();
    void OnHidden();
    void OnSystem();
    void OnTemporary();
    void OnOffline();
    void OnNotContentIndexed();
    DWORD ComposeAttributes();
    bool ChangeFileAttributes(const std::wstring& path);
    void SetAttributeBoxesFromFile(const std::wstring& path);

    // The property group (editing/PropertyEditor.cpp).
    void ShowFileInfo(const std::wstring& path);
    void OnSelChangeProperties();
    void OnKillFocusValue();

    // Apply (editing/Apply.cpp) and Undo (editing/Undo.cpp).
    void OnApplyChanges();
    void OnUndoChanges();
    void AppendOutput(const std::wstring& text);
    // An empty report with room for a pass's lines, `linesPerRow` per row, and its separator:
    // a report that grew as it went would hold up to twice its size at the end of a large pass.
    std::wstring ReserveReport(int linesPerRow) const;
    bool ChangeFileProperties(const std::wstring& path);
    void BackupFile(const std::wstring& path);
    void ClearBackup();
    static const wchar_t* const kSeparatorLine;

private:
    // Start-up and shutdown steps that other parts of the program complete.
    void ReadSettingsFile(int& theme);
    void WriteSettingsFile();
    // The nineteen boxes in the order of the settings file.
    std::vector<CMacCheckBox*> SettingsFileBoxes();
    // Where the window opens: the stored client size grown by the frame, fitted to the screen.
    RECT StartupWindowRect() const;
    void SetButtonIcons();
    bool ConfirmExit();
    // A new installer runs: the program closes, at once between passes, else when the pass ends.
    void OnUpdateInstallerStarted();
    void RunPass(void (CMainDlg::*pass)());
    int m_nPassDepth = 0;
    bool m_bCloseAfterPass = false;

    void InsertListColumns();
    // The window's DPI changed from `oldDpi`: the buttons' icons, the boxes, the list's columns
    // and the layout follow (the frame has taken the new rectangle already).
    void OnDpiChanged(int oldDpi, int newDpi);
    // Widens every check box and text button whose label does not fit it (never narrows one),
    // moving what lies beside it.
    void FitLabels();
    // The push buttons with a text (the caption buttons have none).
    std::vector<CMacButton*> LabelledButtons();
    // The seven attribute boxes besides "Normal", with their bits.
    std::vector<std::pair<CMacCheckBox*, DWORD>> AttributeBoxes();
    void OnAttributeBox(CMacCheckBox& box);
    // Writes the saved state of one file back.
    RollbackOutcome RollBackFile(const std::wstring& path, const CFileBackup& record);
    // The groups of one row, each lifting the read-only bit as needed; the row's result lines.
    std::wstring ApplyToFile(const std::wstring& path, bool times, bool attributes, bool properties);
    // The list view asks for a row's text; the row's values are read on the first request.
    void OnGetRowText(NMLVDISPINFOW& info);
    // Reads the row's times and attributes unless they are already known.
    const ListedPath& ReadRowValues(ListedPath& row);
    // Shows the attributes and properties of the file of a row whose selection changed.
    void ShowRowInfo(int row);
    // Select All and RevertSel: sets each row's selection to what `wantSelected` makes of it.
    void SetEachRowSelected(bool (*wantSelected)(bool selectedNow));
    bool m_bSettingEachRow = false;
    void ScanFolderLevel(const std::wstring& pattern, std::vector<FolderIdentity>& descent);
    void DeleteSelectedPropertyNames();
};
