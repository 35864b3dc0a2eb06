// The file list through the real window: rows and their texts, the selection commands,
// removal, and drops.
#include "MainDlgFixture.h"
#include "filelist/FileStatus.h"
#include "resources/resource.h"
#include "support/ErrorLog.h"
#include "support/Folders.h"

#include <algorithm>

namespace {

class FileListTest : public MainDlgFixture {
protected:
    void SetUp() override {
        MainDlgFixture::SetUp();
        for (const wchar_t* name : {L"a.txt", L"b.txt", L"c.log"}) {
            ASSERT_TRUE(WriteTestFile(temp.path() + name, "x"));
        }
    }
    std::wstring P(const wchar_t* name) const { return temp.path() + name; }
    void SetFilter(const std::wstring& text) {
        dlg->m_editFilter.SetWindowText(text);
        dlg->FillFileList();
    }

    ScopedTempDir temp;
};

TEST_F(FileListTest, RowsShowTheTimesAndAttributesOnDisk) {
    const std::wstring folder = P(L"sub");
    ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
    ASSERT_TRUE(::SetFileAttributesW(P(L"a.txt").c_str(), FILE_ATTRIBUTE_READONLY));
    FileStatus status;
    status.m_mtime = 1052204889;  // 2003-05-06 07:08:09 UTC
    ASSERT_TRUE(WriteFileStatus(P(L"b.txt"), status));

    Drop({P(L"a.txt"), P(L"b.txt"), folder, P(L"gone.txt")});
    ASSERT_EQ(RowTexts(0), (std::vector<std::wstring>{P(L"a.txt"), P(L"b.txt"), folder, P(L"gone.txt")}));
    const std::vector<std::wstring> attributes = RowTexts(4);
    EXPECT_EQ(attributes[0], L"RA");
    EXPECT_EQ(attributes[1], L"A");
    EXPECT_NE(attributes[2].find(L'D'), std::wstring::npos) << "a folder shows D";
    EXPECT_EQ(attributes[3], L"RDHSAOTCENM") << "a vanished path shows every letter";
    EXPECT_EQ(RowTexts(2)[1], L"05/06/03 07:08:09");
    for (int column = 1; column <= 3; ++column) {
        SCOPED_TRACE(column);
        EXPECT_EQ(RowTexts(column)[3], L"01/01/70 00:00:00") << "the zero instant under UTC";
    }
    ::SetFileAttributesW(P(L"a.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(FileListTest, AVanishedFileKeepsItsRowUntilTheNextRebuild) {
    Drop({P(L"a.txt")});
    EXPECT_EQ(RowTexts(4)[0], L"A");
    ASSERT_TRUE(::DeleteFileW(P(L"a.txt").c_str()));
    EXPECT_EQ(dlg->m_listFiles.GetItemCount(), 1);
    dlg->FillFileList();
    ASSERT_EQ(dlg->m_listFiles.GetItemCount(), 1);
    EXPECT_EQ(RowTexts(4)[0], L"RDHSAOTCENM");
}

TEST_F(FileListTest, DropsAreTakenAsTheyAre) {
    const std::wstring folder = P(L"dropped");
    ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
    ASSERT_TRUE(WriteTestFile(folder + L"\\inside.txt", "x"));
    dlg->m_btnUndo.EnableWindow(true);
    Drop({P(L"a.txt"), folder});
    Drop({P(L"a.txt")});
    EXPECT_EQ(MasterList(), (std::vector<std::wstring>{P(L"a.txt"), folder, P(L"a.txt")}))
        << "a dropped folder is one entry, a file dropped again is listed again";
    EXPECT_EQ(dlg->m_listFiles.GetItemCount(), 3);
    EXPECT_FALSE(dlg->m_btnUndo.IsWindowEnabled()) << "a rebuild disables Undo";
}

TEST_F(FileListTest, ALongDroppedPathIsTakenWhole) {
    std::wstring longPath = temp.path();
    while (longPath.size() < 400) {
        longPath += L"segment-of-a-long-path\\";
    }
    longPath += L"file.txt";
    Drop({longPath, P(L"b.txt")});
    EXPECT_EQ(MasterList(), (std::vector<std::wstring>{longPath, P(L"b.txt")}));
    EXPECT_EQ(RowTexts(0)[0], longPath) << "the row shows the whole path";
}

TEST_F(FileListTest, ANullDropIsLoggedAndIgnored) {
    const std::wstring log = GetErrorLogPath();
    DeleteFileIfExists(log);
    Drop({P(L"a.txt")});
    dlg->SendMessage(WM_DROPFILES, 0, 0);
    EXPECT_EQ(MasterList().size(), 1u);
    EXPECT_NE(ReadTestFile(log).find("] OnDropFiles: hDropInfo is NULL.\r\n"), std::string::npos);
}

TEST_F(FileListTest, RemoveTakesTheSelectedRowsAndOneEntryEach) {
    Drop({P(L"a.txt"), P(L"b.txt"), P(L"c.log"), P(L"a.txt")});
    SetFilter(L"*.txt");
    ASSERT_EQ(RowTexts(0), (std::vector<std::wstring>{P(L"a.txt"), P(L"b.txt"), P(L"a.txt")}));
    dlg->m_btnUndo.EnableWindow(true);
    SelectRows({1, 2});
    Click(IDC_REMOVE);
    EXPECT_EQ(RowTexts(0), (std::vector<std::wstring>{P(L"a.txt")}));
    EXPECT_EQ(MasterList(), (std::vector<std::wstring>{P(L"c.log"), P(L"a.txt")}))
        << "the first equal entry goes; the hidden entry stays";
    EXPECT_FALSE(dlg->m_btnUndo.IsWindowEnabled());
    SetFilter(L"");
    EXPECT_EQ(RowTexts(0), (std::vector<std::wstring>{P(L"c.log"), P(L"a.txt")}));
}

TEST_F(FileListTest, RemoveAllAlsoRemovesHiddenEntries) {
    Drop({P(L"a.txt"), P(L"c.log")});
    SetFilter(L"*.txt");
    ASSERT_EQ(dlg->m_listFiles.GetItemCount(), 1);
    Click(IDC_REMOVE_ALL);
    EXPECT_EQ(dlg->m_listFiles.GetItemCount(), 0);
    SetFilter(L"");
    EXPECT_EQ(dlg->m_listFiles.GetItemCount(), 0);
    EXPECT_TRUE(MasterList().empty());
}

TEST_F(FileListTest, SelectAllAndRevertSel) {
    Click(IDC_SELECT_ALL);
    EXPECT_EQ(dlg->m_listFiles.GetItemCount(), 0) << "nothing to select";
    Drop({P(L"a.txt"), P(L"b.txt"), P(L"c.log")});
    Click(IDC_REVERT_SEL);
    EXPECT_EQ(dlg->m_listFiles.GetSelectedCount(), 3) << "no selection inverts to all";
    SelectRows({1});
    Click(IDC_REVERT_SEL);
    EXPECT_EQ(dlg->m_listFiles.GetSelectedCount(), 2);
    EXPECT_EQ(dlg->m_listFiles.GetItemState(1, LVIS_SELECTED), 0u);
    Click(IDC_SELECT_ALL);
    EXPECT_EQ(dlg->m_listFiles.GetSelectedCount(), 3);

    // The boxes show the file of the last row whose selection changed.
    ASSERT_TRUE(::SetFileAttributesW(P(L"b.txt").c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(::SetFileAttributesW(P(L"c.log").c_str(), FILE_ATTRIBUTE_READONLY));
    SelectRows({2});
    Click(IDC_SELECT_ALL);
    EXPECT_TRUE(dlg->m_chkHidden.IsChecked()) << "b.txt, as c.log stayed selected";
    EXPECT_FALSE(dlg->m_chkReadOnly.IsChecked());
    Click(IDC_REVERT_SEL);
    EXPECT_TRUE(dlg->m_chkReadOnly.IsChecked()) << "c.log";
    ::SetFileAttributesW(P(L"c.log").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(FileListTest, AFilterThatHidesEverythingLeavesNoRows) {
    Drop({P(L"a.txt"), P(L"b.txt")});
    dlg->m_btnUndo.EnableWindow(true);
    SetFilter(L"*.none");
    EXPECT_EQ(dlg->m_listFiles.GetItemCount(), 0);
    EXPECT_FALSE(dlg->m_btnUndo.IsWindowEnabled());
}

TEST_F(FileListTest, EachRowOfALargeFolderShowsItsOwnFile) {
    const std::wstring folder = P(L"many");
    ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
    constexpr int kFiles = 10000;
    for (int i = 0; i < kFiles; ++i) {
        ASSERT_TRUE(WriteTestFile(folder + L"\\f" + std::to_wstring(i) + L".txt", "x"));
    }
    dlg->ScanFolder(folder + L"\\*.*");
    dlg->FillFileList();
    ASSERT_EQ(dlg->m_listFiles.GetItemCount(), kFiles);
    // The first, a middle and the last row each get a time of their own and a read-only bit;
    // their neighbours keep what they had, so a row answered with another row's file shows.
    struct Case {
        int row;
        TimeSeconds mtime;
    };
    const Case cases[] = {{0, 1052204889}, {kFiles / 2, 1052291289}, {kFiles - 1, 1052377689}};
    std::vector<std::wstring> paths;
    for (const Case& c : cases) {
        paths.push_back(dlg->m_listFiles.GetItemText(c.row, 0));
        FileStatus status;
        status.m_mtime = c.mtime;
        ASSERT_TRUE(WriteFileStatus(paths.back(), status));
        ASSERT_TRUE(::SetFileAttributesW(paths.back().c_str(), FILE_ATTRIBUTE_READONLY));
    }
    dlg->FillFileList();
    for (size_t i = 0; i < std::size(cases); ++i) {
        const int row = cases[i].row;
        SCOPED_TRACE(row);
        EXPECT_EQ(dlg->m_listFiles.GetItemText(row, 0), paths[i]);
        EXPECT_EQ(dlg->m_listFiles.GetItemText(row, 2), FormatListTime(cases[i].mtime));
        EXPECT_EQ(dlg->m_listFiles.GetItemText(row, 4), L"RA");
        const int neighbour = row == 0 ? 1 : row - 1;
        EXPECT_NE(dlg->m_listFiles.GetItemText(neighbour, 2), FormatListTime(cases[i].mtime));
        EXPECT_EQ(dlg->m_listFiles.GetItemText(neighbour, 4), L"A");
        ::SetFileAttributesW(paths[i].c_str(), FILE_ATTRIBUTE_NORMAL);
    }
}

TEST_F(FileListTest, AFolderScanShowsWhatReadingEachFileShows) {
    const std::wstring sub = P(L"sub");
    ASSERT_TRUE(::CreateDirectoryW(sub.c_str(), nullptr));
    ASSERT_TRUE(WriteTestFile(sub + L"\\inner.txt", "x"));
    ASSERT_TRUE(::SetFileAttributesW(P(L"a.txt").c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(::SetFileAttributesW(P(L"c.log").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
    FileStatus status;
    status.m_mtime = 1052204889;
    ASSERT_TRUE(WriteFileStatus(P(L"b.txt"), status));
    dlg->m_chkSubDir.SetChecked(TRUE);
    dlg->m_chkIncludePath.SetChecked(TRUE);
    dlg->ScanFolder(P(L"*.*"));
    dlg->FillFileList();
    ASSERT_EQ(dlg->m_listFiles.GetItemCount(), 5);
    std::vector<std::vector<std::wstring>> scanned;
    for (int column = 1; column <= 4; ++column) {
        scanned.push_back(RowTexts(column));
    }
    const std::vector<std::wstring> paths = RowTexts(0);
    const auto b = std::find(paths.begin(), paths.end(), P(L"b.txt"));
    ASSERT_NE(b, paths.end());
    EXPECT_EQ(scanned[1][static_cast<size_t>(b - paths.begin())], FormatListTime(status.m_mtime));
    dlg->FillFileList();  // a fill of its own reads every row from the disk
    for (int column = 1; column <= 4; ++column) {
        SCOPED_TRACE(column);
        EXPECT_EQ(RowTexts(column), scanned[static_cast<size_t>(column - 1)]);
    }
    ::SetFileAttributesW(P(L"a.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(FileListTest, RemoveUnderTheFilterTakesOneEntryPerRow) {
    struct Case {
        const wchar_t* filter;
        bool exclusive;
        std::vector<int> selected;
        std::vector<const wchar_t*> rowsAfter;    // under the filter
        std::vector<const wchar_t*> masterAfter;  // the filter cleared shows these
    };
    const Case cases[] = {
        // The second a.txt row takes the first a.txt entry; the row that stays names the other.
        {L"*.txt", false, {1}, {L"a.txt"}, {L"c.log", L"a.txt"}},
        // Exclusive: the a.txt rows hide, and removing c.log leaves them in the master list.
        {L"*.txt", true, {0}, {}, {L"a.txt", L"a.txt"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.filter << (c.exclusive ? " exclusive" : ""));
        dlg->OnRemoveAll();
        dlg->m_chkExclusive.SetChecked(c.exclusive ? TRUE : FALSE);
        Drop({P(L"a.txt"), P(L"c.log"), P(L"a.txt")});
        SetFilter(c.filter);
        SelectRows(c.selected);
        dlg->OnRemove();
        std::vector<std::wstring> rows;
        for (const wchar_t* name : c.rowsAfter) {
            rows.push_back(P(name));
        }
        EXPECT_EQ(RowTexts(0), rows);
        EXPECT_EQ(dlg->m_listFiles.GetSelectedCount(), 0);
        dlg->m_chkExclusive.SetChecked(FALSE);
        SetFilter(L"");
        std::vector<std::wstring> master;
        for (const wchar_t* name : c.masterAfter) {
            master.push_back(P(name));
        }
        EXPECT_EQ(MasterList(), master);
        EXPECT_EQ(RowTexts(0), master);
        if (!master.empty()) {
            EXPECT_EQ(RowTexts(4).back(), L"A") << "the rows that stay read their own file";
        }
    }
}

}  // namespace
