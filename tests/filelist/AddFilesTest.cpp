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
         true, true, false,
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

TEST_F(AddFilesTest, ScanRemovesDuplicatesIgnoringCase) {
    std::wstring shouted = F1();
    std::transform(shouted.begin(), shouted.end(), shouted.begin(), ::towupper);
    dlg->m_arrFiles.Append(shouted);
    dlg->m_arrFiles.Append(root + L"\\other.txt");
    SetBoxes(false, false, false);
    dlg->ScanFolder(root + L"\\*.*");
    EXPECT_EQ(MasterList(), (std::vector<std::wstring>{root + L"\\other.txt", F1()}))
        << "the entry moves to the end, spelled as the scan found it";

    SetBoxes(false, false, true);
    dlg->ScanFolder(root + L"\\*.*");
    EXPECT_EQ(MasterList(), (std::vector<std::wstring>{root + L"\\other.txt"})) << "Path only removes a listed file";
}

TEST_F(AddFilesTest, TheSameFolderTwice) {
    SetBoxes(false, false, false);
    for (int i = 0; i < 2; ++i) {
        dlg->m_arrFiles.Append(root);  // as Add Folder appends the chosen folder
        dlg->ScanFolder(root + L"\\*.*");
    }
    EXPECT_EQ(MasterList(), (std::vector<std::wstring>{root, root, F1()}));
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

TEST_F(AddFilesTest, APatternTooLongForTheFinderAddsNothing) {
    std::wstring deep = root;
    while (deep.size() < 300) {
        deep += L"\\long-folder-name";
    }
    dlg->ScanFolder(deep + L"\\*.*");
    EXPECT_TRUE(MasterList().empty());
}

// Drives the next visible dialog of this thread other than the main window.
struct DialogDriver {
    static HWND s_main;
    static std::wstring s_text;   // typed into the file name box, or the folder to select
    static bool s_cancel;
    static bool s_done;

    static HWND FindDialog() { return FindOtherDialog(s_main); }
    static void CALLBACK DriveOpen(HWND, UINT, UINT_PTR id, DWORD) {
        const HWND dialog = FindDialog();
        if (!dialog) return;
        ::KillTimer(nullptr, id);
        if (!s_cancel) ::SetDlgItemTextW(dialog, 0x47c, s_text.c_str());
        ::PostMessageW(dialog, WM_COMMAND, s_cancel ? IDCANCEL : IDOK, 0);
        s_done = true;
    }
    static void CALLBACK DriveBrowse(HWND, UINT, UINT_PTR id, DWORD) {
        const HWND dialog = FindDialog();
        if (!dialog) return;
        ::KillTimer(nullptr, id);
        if (!s_cancel) ::SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(s_text.c_str()));
        ::PostMessageW(dialog, WM_COMMAND, s_cancel ? IDCANCEL : IDOK, 0);
        s_done = true;
    }
    static void Arm(HWND main, const std::wstring& text, bool cancel, TIMERPROC proc) {
        s_main = main;
        s_text = text;
        s_cancel = cancel;
        s_done = false;
        ::SetTimer(nullptr, 0, 200, proc);
    }
};
HWND DialogDriver::s_main = nullptr;
std::wstring DialogDriver::s_text;
bool DialogDriver::s_cancel = false;
bool DialogDriver::s_done = false;

TEST_F(AddFilesTest, AddFilesTakesTheChosenFilesInOrder) {
    ASSERT_TRUE(WriteTestFile(root + L"\\f0.txt", "0"));
    dlg->m_strLastFolder = root + L"\\";
    DialogDriver::Arm(dlg->m_hWnd, L"\"f1.txt\" \"f0.txt\"", false, DialogDriver::DriveOpen);
    dlg->OnAddFiles();
    ASSERT_TRUE(DialogDriver::s_done);
    EXPECT_EQ(MasterList(), (std::vector<std::wstring>{F1(), root + L"\\f0.txt"}));
    EXPECT_EQ(dlg->m_strLastFolder, root + L"\\");
    EXPECT_EQ(dlg->m_listFiles.GetItemCount(), 2);

    // Chosen again: one entry each, moved to the end in the new order.
    DialogDriver::Arm(dlg->m_hWnd, L"\"f1.txt\"", false, DialogDriver::DriveOpen);
    dlg->OnAddFiles();
    EXPECT_EQ(MasterList(), (std::vector<std::wstring>{root + L"\\f0.txt", F1()}));

    DialogDriver::Arm(dlg->m_hWnd, L"", true, DialogDriver::DriveOpen);
    dlg->OnAddFiles();
    EXPECT_EQ(MasterList().size(), 2u) << "a cancelled dialog changes nothing";
}

TEST_F(AddFilesTest, AddFolderAddsTheFolderAndItsFiles) {
    SetBoxes(false, false, false);
    dlg->m_strLastFolder = temp.path();
    DialogDriver::Arm(dlg->m_hWnd, root, false, DialogDriver::DriveBrowse);
    dlg->OnAddFolder();
    ASSERT_TRUE(DialogDriver::s_done);
    EXPECT_EQ(MasterList(), (std::vector<std::wstring>{root, F1()}));
    EXPECT_EQ(dlg->m_strLastFolder, root + L"\\");
    EXPECT_EQ(dlg->m_listFiles.GetItemCount(), 2);

    DialogDriver::Arm(dlg->m_hWnd, L"", true, DialogDriver::DriveBrowse);
    dlg->OnAddFolder();
    EXPECT_EQ(MasterList().size(), 2u) << "a cancelled choice adds nothing";
    EXPECT_EQ(dlg->m_strLastFolder, root + L"\\");
}

TEST_F(AddFilesTest, ATypedFolderIsCreatedAndAccepted) {
    // Wine never sends the validation message, so the callback is called as the chooser would.
    const std::wstring typed = temp.path() + L"new\\nested";
    g_strBrowseFolder = temp.path();
    g_bBrowseAccepted = false;
    EXPECT_EQ(BrowseCallbackProc(nullptr, BFFM_VALIDATEFAILEDW, reinterpret_cast<LPARAM>(typed.c_str()), 0), 0);
    EXPECT_TRUE(PathExists(typed));
    EXPECT_TRUE(g_bBrowseAccepted);
    EXPECT_EQ(g_strBrowseFolder, typed);

    g_bBrowseAccepted = false;
    EXPECT_EQ(BrowseCallbackProc(nullptr, BFFM_VALIDATEFAILEDW, reinterpret_cast<LPARAM>(typed.c_str()), 0), 1)
        << "an existing folder keeps the chooser open";
    EXPECT_FALSE(g_bBrowseAccepted);
}

}  // namespace
