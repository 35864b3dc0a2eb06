// Adding paths: the folder scan and its three boxes, the file-open dialog and the folder
// chooser driven as a user would, and the chooser's typed-folder rule.
#include "MainDlgFixture.h"
#include "filelist/AddFiles.h"
#include "resources/resource.h"
#include "support/Folders.h"

#include <shlobj.h>

#include <algorithm>

namespace {

// D\f1.txt, D\sub\f2.txt, D\sub\deeper\f3.txt
class AddFilesTest : public MainDlgFixture {
protected:
    void SetUp() override {
        MainDlgFixture::SetUp();
        root = temp.path() + L"D";
        ASSERT_NE(EnsureDirectory(root + L"\\sub\\deeper"), 0);
        ASSERT_TRUE(WriteTestFile(F1(), "1"));
        ASSERT_TRUE(WriteTestFile(root + L"\\sub\\f2.txt", "2"));
        ASSERT_TRUE(WriteTestFile(root + L"\\sub\\deeper\\f3.txt", "3"));
    }
    std::wstring F1() const { return root + L"\\f1.txt"; }
    void SetBoxes(bool subDir, bool includePath, bool pathOnly) {
        dlg->m_chkSubDir.SetChecked(subDir);
        dlg->m_chkIncludePath.SetChecked(includePath);
        dlg->m_chkPathOnly.SetChecked(pathOnly);
    }
    // Entry names relative to D, in list order.
    std::vector<std::wstring> ScannedNames() const {
        std::vector<std::wstring> names;
        for (const std::wstring& path : MasterList()) {
            names.push_back(path.substr(root.size() + 1));
        }
        return names;
    }

    ScopedTempDir temp;
    std::wstring root;
};

TEST_F(AddFilesTest, ScanFollowsTheThreeBoxes) {
    struct Case {
        const char* label;
        bool subDir;
        bool includePath;
        bool pathOnly;
        std::vector<std::wstring> entries;  // in an order the scan may give
    };
    const Case cases[] = {
        {"no box: the files directly inside", false, false, false, {L"f1.txt"}},
        {"Sub dir: files of every level", true, false, false, {L"f1.txt", L"sub\\f2.txt", L"sub\\deeper\\f3.txt"}},
        {"Include path: folders of the first level too", false, true, false, {L"f1.txt", L"sub"}},
        {"Sub dir and Include path: everything",
         true,
         true,
         false,
         {L"f1.txt", L"sub\\f2.txt", L"sub\\deeper\\f3.txt", L"sub\\deeper", L"sub"}},
        {"Path only without Include path: nothing", false, false, true, {}},
        {"Path only and Sub dir: still nothing", true, false, true, {}},
        {"Path only and Include path: the first-level folders", false, true, true, {L"sub"}},
        {"all three: the folders of every level", true, true, true, {L"sub\\deeper", L"sub"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        dlg->m_arrFiles.RemoveAll();
        SetBoxes(c.subDir, c.includePath, c.pathOnly);
        dlg->ScanFolder(root + L"\\*.*");
        std::vector<std::wstring> got = ScannedNames();
        const auto at = [&got](const wchar_t* name) {
            return std::find(got.begin(), got.end(), std::wstring(name)) - got.begin();
        };
        // A sub-folder's contents come before the sub-folder itself.
        if (c.subDir && c.includePath) {
            EXPECT_LT(at(L"sub\\deeper"), at(L"sub"));
            if (!c.pathOnly) {
                EXPECT_LT(at(L"sub\\f2.txt"), at(L"sub"));
                EXPECT_LT(at(L"sub\\deeper\\f3.txt"), at(L"sub\\deeper"));
            }
        }
        std::vector<std::wstring> expected = c.entries;
        std::sort(got.begin(), got.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(got, expected);
    }
}

// Out of memory in the scan or in the fill after it: the entries and rows made before the failure
// stay, in order, nothing after it is half made, and the pane says what happened.
TEST_F(AddFilesTest, AnAllocationFailureStopsTheScanOrTheFillBetweenFiles) {
    SetBoxes(true, true, false);
    const std::wstring pattern = root + L"\\*.*";
    long scanAllocations = 0;
    long fillAllocations = 0;
    {
        const ScopedAllocationFailure counting(0);
        dlg->ScanFolder(pattern);
        scanAllocations = counting.Count();
    }
    {
        const ScopedAllocationFailure counting(0);
        dlg->FillFileList();
        fillAllocations = counting.Count();
    }
    const std::vector<std::wstring> fullList = MasterList();
    ASSERT_EQ(RowTexts(), fullList);
    const auto leads = [](const std::vector<std::wstring>& part, const std::vector<std::wstring>& whole) {
        return part.size() <= whole.size() && std::equal(part.begin(), part.end(), whole.begin());
    };

    struct Case {
        const char* label;
        bool inFill;
        double share;  // of the pass's allocations made before the failing one
    };
    const Case cases[] = {
        {"scan: first allocation", false, 0.0}, {"scan: halfway", false, 0.5}, {"scan: near the end", false, 0.95},
        {"fill: first allocation", true, 0.0},  {"fill: halfway", true, 0.5},  {"fill: near the end", true, 0.95},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        dlg->OnRemoveAll();
        dlg->m_editOutput.SetWindowText(L"");
        const long nth =
            1 + static_cast<long>(c.share * static_cast<double>((c.inFill ? fillAllocations : scanAllocations) - 1));
        if (c.inFill)
            dlg->ScanFolder(pattern);
        {
            const ScopedAllocationFailure failing(nth);
            c.inFill ? dlg->FillFileList() : dlg->ScanFolder(pattern);
            ASSERT_TRUE(failing.Failed());
        }
        if (!c.inFill)
            dlg->FillFileList();
        EXPECT_NE(dlg->m_editOutput.GetWindowText().find(L"Out of memory"), std::wstring::npos);
        const std::vector<std::wstring> list = MasterList();
        const std::vector<std::wstring> rows = RowTexts();
        EXPECT_TRUE(leads(list, fullList)) << "the master list keeps what the scan added before the failure";
        EXPECT_TRUE(leads(rows, list)) << "the rows are the matching entries up to the failure";
        EXPECT_EQ(static_cast<std::size_t>(dlg->m_listFiles.GetItemCount()), dlg->m_vecRows.size());
        if (c.inFill) {
            EXPECT_EQ(list, fullList);
        }
    }
}

TEST_F(AddFilesTest, ScanKeepsOneEntryPerPathAtTheEnd) {
    struct Case {
        const char* label;
        std::vector<std::wstring> listed;  // before the scan
        bool pathOnly;
        std::wstring folder;
        std::vector<std::wstring> after;
    };
    std::wstring shouted = F1();
    std::transform(shouted.begin(), shouted.end(), shouted.begin(), ::towupper);
    const std::wstring other = root + L"\\other.txt";
    std::wstring deep = root;
    while (deep.size() < 300) {
        deep += L"\\long-folder-name";
    }
    const Case cases[] = {
        {"a listed file moves to the end, spelled as the scan found it", {shouted, other}, false, root, {other, F1()}},
        {"Path only removes a listed file", {other, F1()}, true, root, {other}},
        // As Add Folder appends the chosen folder, the second time.
        {"the same folder twice", {root, F1(), root}, false, root, {root, root, F1()}},
        {"a pattern too long for the finder adds nothing", {}, false, deep, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        dlg->m_arrFiles.RemoveAll();
        for (const std::wstring& path : c.listed) {
            dlg->m_arrFiles.Append(path);
        }
        SetBoxes(false, false, c.pathOnly);
        dlg->ScanFolder(c.folder + L"\\*.*");
        EXPECT_EQ(MasterList(), c.after);
    }
}

TEST_F(AddFilesTest, AFolderLinkBackToAnAncestorIsNotDescendedAgain) {
    const std::wstring link = root + L"\\sub\\back";
    if (!::CreateSymbolicLinkW(link.c_str(), root.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY)) {
        GTEST_SKIP() << "this Wine cannot create folder links (error " << ::GetLastError() << ")";
    }
    SetBoxes(true, false, false);
    dlg->ScanFolder(root + L"\\*.*");
    const std::vector<std::wstring> names = ScannedNames();
    EXPECT_EQ(std::count(names.begin(), names.end(), L"f1.txt"), 1);
    EXPECT_LE(names.size(), 3u);
}

// The process's current folder, set for a test and put back after it.
class ScopedCurrentFolder {
public:
    explicit ScopedCurrentFolder(const std::wstring& folder) : m_saved(Get()) {
        ::SetCurrentDirectoryW(folder.c_str());
    }
    ~ScopedCurrentFolder() { ::SetCurrentDirectoryW(m_saved.c_str()); }
    ScopedCurrentFolder(const ScopedCurrentFolder&) = delete;
    ScopedCurrentFolder& operator=(const ScopedCurrentFolder&) = delete;
    static std::wstring Get() {
        wchar_t folder[MAX_PATH] = {};
        const DWORD length = ::GetCurrentDirectoryW(MAX_PATH, folder);
        return length < MAX_PATH ? std::wstring(folder, length) : std::wstring();
    }

private:
    std::wstring m_saved;
};

// Drives the next visible dialog of this thread other than the main window (the file-open dialog,
// or the folder chooser), and notes how that dialog stands to the main window while it is open.
struct DialogDriver {
    static inline HWND s_main = nullptr;
    static inline bool s_folder = false;  // the folder chooser, else the file-open dialog
    static inline std::wstring s_text;    // typed into the file name box, or the folder to select
    static inline bool s_done = false;
    static inline HWND s_owner = nullptr;
    static inline bool s_mainEnabled = true;

    static void CALLBACK Drive(HWND, UINT, UINT_PTR id, DWORD) {
        const HWND dialog = FindOtherDialog(s_main);
        if (!dialog)
            return;
        ::KillTimer(nullptr, id);
        s_owner = ::GetWindow(dialog, GW_OWNER);
        s_mainEnabled = ::IsWindowEnabled(s_main) != FALSE;
        if (s_folder && !s_text.empty()) {
            ::SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(s_text.c_str()));
        } else if (!s_text.empty()) {
            ::SetDlgItemTextW(dialog, 0x47c, s_text.c_str());
        }
        ::PostMessageW(dialog, WM_COMMAND, s_text.empty() ? IDCANCEL : IDOK, 0);
        s_done = true;
    }
    // An empty `text` cancels the dialog.
    static void Arm(HWND main, bool folder, const std::wstring& text) {
        s_main = main;
        s_folder = folder;
        s_text = text;
        s_done = false;
        s_owner = nullptr;
        s_mainEnabled = true;
        ::SetTimer(nullptr, 0, 200, Drive);
    }
};

TEST_F(AddFilesTest, TheChosenFilesAndFoldersAreAddedInOrder) {
    struct Case {
        const char* label;
        bool folder;                     // Add Folder, else Add Files
        std::wstring text;               // the file names typed or the folder selected; empty cancels
        std::vector<std::wstring> list;  // the master list afterwards
        std::wstring lastFolder;         // afterwards
    };
    const std::wstring f0 = root + L"\\f0.txt", sub = root + L"\\sub";
    const Case cases[] = {
        {"two files, in the order chosen", false, L"\"f1.txt\" \"f0.txt\"", {F1(), f0}, root + L"\\"},
        {"chosen again: one entry each, moved to the end", false, L"\"f1.txt\"", {f0, F1()}, root + L"\\"},
        {"a cancelled dialog changes nothing", false, L"", {f0, F1()}, root + L"\\"},
        {"a folder and the files directly inside it", true, sub, {f0, F1(), sub, sub + L"\\f2.txt"}, sub + L"\\"},
        {"a cancelled choice changes nothing", true, L"", {f0, F1(), sub, sub + L"\\f2.txt"}, sub + L"\\"},
    };
    ASSERT_TRUE(WriteTestFile(f0, "0"));
    const std::wstring current = temp.path() + L"cwd";
    ASSERT_NE(EnsureDirectory(current), 0);
    ScopedCurrentFolder inCurrent(current);
    SetBoxes(false, false, false);
    dlg->m_strLastFolder = root + L"\\";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        DialogDriver::Arm(dlg->m_hWnd, c.folder, c.text);
        if (c.folder) {
            dlg->OnAddFolder();
        } else {
            dlg->OnAddFiles();
        }
        ASSERT_TRUE(DialogDriver::s_done);
        EXPECT_EQ(DialogDriver::s_owner, dlg->m_hWnd) << "the dialog belongs to the window";
        EXPECT_FALSE(DialogDriver::s_mainEnabled) << "the window takes no input while the dialog is open";
        EXPECT_TRUE(::IsWindowEnabled(dlg->m_hWnd)) << "and takes it again once the dialog is closed";
        EXPECT_EQ(ScopedCurrentFolder::Get(), current) << "the dialog leaves the current folder alone";
        EXPECT_EQ(MasterList(), c.list);
        EXPECT_EQ(dlg->m_listFiles.GetItemCount(), static_cast<int>(c.list.size()));
        EXPECT_EQ(dlg->m_strLastFolder, c.lastFolder);
    }
}

// Tells the chooser's callback what is selected: a folder, or (for an empty path) an item that
// is no folder.
void SelectInChooser(const std::wstring& folder) {
    PIDLIST_ABSOLUTE item = nullptr;
    if (folder.empty()) {
        ASSERT_EQ(::SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &item), S_OK);
    } else {
        item = ::ILCreateFromPathW(folder.c_str());
        ASSERT_NE(item, nullptr);
    }
    BrowseCallbackProc(nullptr, BFFM_SELCHANGED, reinterpret_cast<LPARAM>(item), 0);
    ::ILFree(item);
}

TEST_F(AddFilesTest, ATypedFolderIsTakenRelativeToTheSelectedFolder) {
    // Wine never sends the validation message, so the callback is called as the chooser would.
    const std::wstring current = temp.path() + L"cwd\\inner";
    ASSERT_NE(EnsureDirectory(current), 0);
    ScopedCurrentFolder inCurrent(current);
    struct Case {
        const char* label;
        std::wstring selected;
        std::wstring typed;
        std::wstring accepted;  // the folder created and chosen; empty: the chooser stays open
    };
    const Case cases[] = {
        {"a name below the selected folder", root, L"new", root + L"\\new"},
        {"a step up and nested names", root, L"..\\side\\deep", temp.path() + L"side\\deep"},
        {"a full path as it is", root, temp.path() + L"full\\x", temp.path() + L"full\\x"},
        {"an existing folder keeps the chooser open", root, L"sub", L""},
        {"a path too long for the chooser is refused, not cut", root, std::wstring(300, L'x'), L""},
        {"nothing selected that a name could be relative to", L"", L"orphan", L""},
    };
    const auto entriesOfRoot = [this] {
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW data;
        HANDLE find = ::FindFirstFileW((root + L"\\*").c_str(), &data);
        for (bool more = find != INVALID_HANDLE_VALUE; more; more = ::FindNextFileW(find, &data))
            names.push_back(data.cFileName);
        if (find != INVALID_HANDLE_VALUE)
            ::FindClose(find);
        return names;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const std::vector<std::wstring> before = entriesOfRoot();
        SelectInChooser(c.selected);
        g_strBrowseFolder = L"shown first";
        g_bBrowseAccepted = false;
        const int result =
            BrowseCallbackProc(nullptr, BFFM_VALIDATEFAILEDW, reinterpret_cast<LPARAM>(c.typed.c_str()), 0);
        EXPECT_EQ(result, c.accepted.empty() ? 1 : 0);
        EXPECT_EQ(g_bBrowseAccepted, !c.accepted.empty());
        EXPECT_EQ(g_strBrowseFolder, c.accepted.empty() ? L"shown first" : c.accepted);
        if (!c.accepted.empty()) {
            EXPECT_TRUE(PathExists(c.accepted));
        } else {
            EXPECT_EQ(entriesOfRoot(), before) << "nothing created, not even a shortened name";
        }
        EXPECT_FALSE(PathExists(current + L"\\" + c.typed)) << "nothing below the current folder";
    }
}

}  // namespace
