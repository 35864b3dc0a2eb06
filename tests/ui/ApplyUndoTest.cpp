// Apply Changes and Undo Changes end to end, as a user drives them: files listed, groups
// ticked, pickers, boxes and values set, the output pane and the files on disk read back.
#include "MainDlgFixture.h"
#include "dialogs/LongWorkProgress.h"
#include "dialogs/PleaseWait.h"
#include "editing/SummaryProperties.h"
#include "filelist/FileStatus.h"
#include "resources/resource.h"
#include "support/ErrorLog.h"

#include <objbase.h>

#include <algorithm>
#include <sstream>

namespace {

const std::wstring kSeparator(80, L'-');

// Closes the next notice of this thread and keeps the texts it showed.
struct NoticeCloser {
    static HWND s_main;
    static std::wstring s_seen;
    static int s_count;

    static void CALLBACK Close(HWND, UINT, UINT_PTR id, DWORD) {
        const HWND box = FindOtherDialog(s_main);
        if (!box)
            return;
        ::KillTimer(nullptr, id);
        for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
            wchar_t text[512] = {};
            ::GetWindowTextW(child, text, 512);
            s_seen += std::wstring(text) + L"|";
        }
        ++s_count;
        ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    }
    static void Arm(HWND main) {
        s_main = main;
        s_seen.clear();
        s_count = 0;
        ::SetTimer(nullptr, 0, 50, Close);
    }
};
HWND NoticeCloser::s_main = nullptr;
std::wstring NoticeCloser::s_seen;
int NoticeCloser::s_count = 0;

ULONGLONG WriteTicks(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
    return Ticks(data.ftLastWriteTime);
}
ULONGLONG AccessTicks(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
    return Ticks(data.ftLastAccessTime);
}
// Sets the access and last-write times of a file or folder, whatever the program could hold.
bool SetTicks(const std::wstring& path, ULONGLONG access, ULONGLONG write) {
    HANDLE handle = ::CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    const FILETIME a{static_cast<DWORD>(access), static_cast<DWORD>(access >> 32)};
    const FILETIME w{static_cast<DWORD>(write), static_cast<DWORD>(write >> 32)};
    const BOOL ok = handle != INVALID_HANDLE_VALUE && ::SetFileTime(handle, nullptr, &a, &w);
    if (handle != INVALID_HANDLE_VALUE)
        ::CloseHandle(handle);
    return ok != FALSE;
}

class ApplyUndoTest : public MainDlgFixture {
protected:
    void SetUp() override {
        MainDlgFixture::SetUp();
        first = temp.path() + L"first.doc";
        second = temp.path() + L"second.doc";
        ASSERT_TRUE(MakeCompoundFile(first, "First title"));
        ASSERT_TRUE(MakeCompoundFile(second, "Second title"));
        for (const std::wstring& path : {first, second}) {
            FileStatus old;
            old.m_mtime = old.m_atime = kOld;
            ASSERT_TRUE(WriteFileStatus(path, old));
        }
        Drop({first, second});
        const SYSTEMTIME date = MakeSystemTime(2015, 3, 4);
        const SYSTEMTIME time = MakeSystemTime(2015, 3, 4, 5, 6, 7);
        ASSERT_TRUE(dlg->m_dtpDate.SetTime(date));
        ASSERT_TRUE(dlg->m_dtpTime.SetTime(time));
    }
    void TearDown() override {
        for (const std::wstring& path : {first, second})
            ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        MainDlgFixture::TearDown();
    }
    std::vector<std::wstring> OutputLines() const {
        std::vector<std::wstring> lines;
        std::wstringstream text(dlg->m_editOutput.GetWindowText());
        for (std::wstring line; std::getline(text, line);) {
            if (!line.empty() && line.back() == L'\r')
                line.pop_back();
            lines.push_back(line);
        }
        return lines;
    }
    PropertyValues Properties(const std::wstring& path) const {
        PropertyValues values;
        ReadSummaryProperties(path, dlg->m_mapPropertyNames, values);
        return values;
    }
    // Ticks all three groups with a new time, archive+read-only and an edited title.
    // Selecting the row first: it shows that file's attributes in the boxes.
    void ChooseAllGroups() {
        SelectRows({0});
        Click(IDC_SET_FILE_TIME);
        Click(IDC_SET_FILE_ATTRIBUTES);
        ASSERT_TRUE(dlg->m_chkArchive.IsChecked());
        Click(IDC_READ_ONLY);
        Click(IDC_OTHER_PROPERTIES);
        dlg->m_mapPropertyValues[L"Summary_Title"] = L"Applied title";
        dlg->m_mapPropertyValues[L"Summary_Author"] = L"Applied author";
    }

    static constexpr TimeSeconds kOld = 1052204889;  // 2003-05-06 07:08:09 UTC
    static constexpr TimeSeconds kNew = 1425445567;  // 2015-03-04 05:06:07 UTC
    ScopedTempDir temp;
    std::wstring first;
    std::wstring second;
};

TEST_F(ApplyUndoTest, NoticesWhenThereIsNothingToDo) {
    Click(IDC_SET_FILE_TIME);
    NoticeCloser::Arm(dlg->m_hWnd);
    dlg->m_arrFiles.Append(L"unused");  // the check is on the rows, not on the master list
    Click(IDC_REMOVE_ALL);
    Click(IDC_APPLY);
    EXPECT_EQ(NoticeCloser::s_count, 1);
    EXPECT_NE(NoticeCloser::s_seen.find(
                  L"Please add files to the list using \"Add Files\" or \"Add Folder\" before press this button."),
              std::wstring::npos);

    Drop({first});
    Click(IDC_SET_FILE_TIME);  // all three groups off
    NoticeCloser::Arm(dlg->m_hWnd);
    Click(IDC_APPLY);
    EXPECT_EQ(NoticeCloser::s_count, 1);
    EXPECT_NE(
        NoticeCloser::s_seen.find(L"Please check select \"Set File Time\", \"Set File Attributes\", or \"Set File "
                                  L"Properties\" before press this button."),
        std::wstring::npos);
    EXPECT_EQ(dlg->m_editOutput.GetWindowText(), L"") << "a notice changes nothing";
    EXPECT_FALSE(dlg->m_btnUndo.IsWindowEnabled());
    EXPECT_TRUE(dlg->m_mapBackup.empty());
}

TEST_F(ApplyUndoTest, ApplyReportsSixLinesForTwoFilesAndThreeGroups) {
    ChooseAllGroups();
    Click(IDC_APPLY);
    const std::vector<std::wstring> expected = {
        first + L" -- file time changed successfully!",
        first + L" -- file attributes changed successfully!",
        first + L" -- file properties changed successfully!",
        second + L" -- file time changed successfully!",
        second + L" -- file attributes changed successfully!",
        second + L" -- file properties changed successfully!",
        kSeparator,
    };
    EXPECT_EQ(OutputLines(), expected);
    const std::wstring text = dlg->m_editOutput.GetWindowText();
    EXPECT_EQ(text.substr(text.size() - 82), kSeparator + L"\r\n") << "nothing follows the separator's line break";
    EXPECT_TRUE(dlg->m_btnUndo.IsWindowEnabled());

    for (const std::wstring& path : {first, second}) {
        SCOPED_TRACE(Narrow(path));
        EXPECT_EQ(WriteTicks(path), TicksOfSeconds(kNew));
        EXPECT_EQ(::GetFileAttributesW(path.c_str()),
                  static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY));
        const PropertyValues values = Properties(path);
        EXPECT_EQ(values.at(L"Summary_Title"), L"Applied title");
        EXPECT_EQ(values.at(L"Summary_Author"), L"Applied author");
    }
    EXPECT_EQ(dlg->m_listFiles.GetItemText(1, 2), L"03/04/15 05:06:07") << "the rows are refreshed";
    EXPECT_EQ(dlg->m_listFiles.GetItemText(1, 4), L"RA");
}

TEST_F(ApplyUndoTest, UndoRestoresEverythingEvenForAFileTheApplyMadeReadOnly) {
    ChooseAllGroups();
    dlg->m_mapPropertyValues.erase(L"Summary_Author");  // keeps each file's own author
    Click(IDC_APPLY);
    ASSERT_NE(::GetFileAttributesW(second.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    dlg->m_editOutput.SetWindowText(L"");

    Click(IDC_UNDO);
    const std::vector<std::wstring> expected = {
        first + L" -- file time rollback successfully!",
        first + L" -- file attributes rollback successfully!",
        first + L" -- file properties rollback successfully!",
        second + L" -- file time rollback successfully!",
        second + L" -- file attributes rollback successfully!",
        second + L" -- file properties rollback successfully!",
        kSeparator,
    };
    EXPECT_EQ(OutputLines(), expected);
    EXPECT_FALSE(dlg->m_btnUndo.IsWindowEnabled());
    EXPECT_TRUE(dlg->m_mapBackup.empty());
    for (const auto& [path, title] : {std::pair{first, L"First title"}, std::pair{second, L"Second title"}}) {
        SCOPED_TRACE(Narrow(path));
        EXPECT_EQ(WriteTicks(path), TicksOfSeconds(kOld)) << "times back to the second";
        EXPECT_EQ(::GetFileAttributesW(path.c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE));
        EXPECT_EQ(Properties(path).at(L"Summary_Title"), title);
    }
}

TEST_F(ApplyUndoTest, ApplyAndUndoShowWhatChangedOnDiskSinceTheRowsWereRead) {
    ASSERT_EQ(dlg->m_listFiles.GetItemText(1, 2), FormatListTime(kOld));
    const auto changeOutside = [this](TimeSeconds mtime) {
        FileStatus status;
        status.m_mtime = mtime;
        ASSERT_TRUE(WriteFileStatus(second, status));
    };
    changeOutside(kNew);
    EXPECT_EQ(dlg->m_listFiles.GetItemText(1, 2), FormatListTime(kOld)) << "a shown row keeps what it read";
    Click(IDC_SET_FILE_ATTRIBUTES);
    Click(IDC_HIDDEN);
    Click(IDC_APPLY);
    EXPECT_EQ(dlg->m_listFiles.GetItemText(1, 2), FormatListTime(kNew));
    EXPECT_EQ(dlg->m_listFiles.GetItemText(1, 4), L"HA");
    changeOutside(kOld + 60);
    Click(IDC_UNDO);
    EXPECT_EQ(dlg->m_listFiles.GetItemText(1, 2), FormatListTime(kOld + 60));
    EXPECT_EQ(dlg->m_listFiles.GetItemText(1, 4), L"A");
}

TEST_F(ApplyUndoTest, ASecondApplyReplacesTheRecords) {
    Click(IDC_SET_FILE_ATTRIBUTES);
    Click(IDC_HIDDEN);
    Click(IDC_APPLY);
    const DWORD afterFirst = ::GetFileAttributesW(first.c_str());
    Click(IDC_HIDDEN);
    Click(IDC_SYSTEM);
    Click(IDC_APPLY);
    Click(IDC_UNDO);
    EXPECT_EQ(::GetFileAttributesW(first.c_str()), afterFirst) << "Undo returns to the state after the first Apply";
}

TEST_F(ApplyUndoTest, EmptyChoicesFailEveryFileButUndoStaysPossible) {
    Click(IDC_SET_FILE_TIME);
    dlg->m_chkCreateTime.SetChecked(FALSE);
    dlg->m_chkModifyTime.SetChecked(FALSE);
    dlg->m_chkAccessTime.SetChecked(FALSE);
    Click(IDC_SET_FILE_ATTRIBUTES);
    Click(IDC_APPLY);
    EXPECT_EQ(OutputLines(), (std::vector<std::wstring>{first + L" -- file time change failed.",
                                                        first + L" -- file attributes change failed.",
                                                        second + L" -- file time change failed.",
                                                        second + L" -- file attributes change failed.", kSeparator}));
    EXPECT_TRUE(dlg->m_btnUndo.IsWindowEnabled());
}

TEST_F(ApplyUndoTest, ChangingTheRowsWithdrawsUndo) {
    Click(IDC_SET_FILE_ATTRIBUTES);
    Click(IDC_ARCHIVE);
    Click(IDC_APPLY);
    ASSERT_TRUE(dlg->m_btnUndo.IsWindowEnabled());
    SelectRows({1});
    Click(IDC_REMOVE);
    EXPECT_FALSE(dlg->m_btnUndo.IsWindowEnabled());

    Click(IDC_APPLY);
    ASSERT_TRUE(dlg->m_btnUndo.IsWindowEnabled());
    dlg->m_editFilter.SetWindowText(L"*.doc");
    EXPECT_FALSE(dlg->m_btnUndo.IsWindowEnabled()) << "a filter change";
}

TEST_F(ApplyUndoTest, UndoIgnoresTheBoxesChangedSinceTheApply) {
    Click(IDC_SET_FILE_ATTRIBUTES);
    Click(IDC_HIDDEN);
    Click(IDC_APPLY);
    Click(IDC_SET_FILE_ATTRIBUTES);  // off again
    Click(IDC_SET_FILE_TIME);        // on, but nothing of it was saved
    dlg->m_editOutput.SetWindowText(L"");
    Click(IDC_UNDO);
    EXPECT_EQ(OutputLines(),
              (std::vector<std::wstring>{first + L" -- file attributes rollback successfully!",
                                         second + L" -- file attributes rollback successfully!", kSeparator}));
}

TEST_F(ApplyUndoTest, TheOutputPaneShowsItsLastLineAtTheTop) {
    Click(IDC_SET_FILE_ATTRIBUTES);
    Click(IDC_ARCHIVE);
    for (int pass = 0; pass < 3; ++pass)
        Click(IDC_APPLY);
    const int lines = dlg->m_editOutput.GetLineCount();
    EXPECT_EQ(OutputLines().size(), 9u) << Narrow(dlg->m_editOutput.GetWindowText());
    EXPECT_EQ(lines, 10) << "three passes of three lines and the empty line after the last break";
    const int firstVisible = static_cast<int>(dlg->m_editOutput.SendMessage(EM_GETFIRSTVISIBLELINE));
    if (RunningUnderWine()) {
        // Wine's edit control stops scrolling when the last line reaches the bottom.
        const RECT pane = dlg->m_editOutput.GetClientRect();
        EXPECT_GT(firstVisible, 0);
        EXPECT_GE(firstVisible + pane.bottom / 13, lines - 1) << "the last line is in view";
    } else {
        EXPECT_EQ(firstVisible, lines - 1);
    }
}

TEST_F(ApplyUndoTest, RepeatedRowsGoBackToTheStateBeforeThePass) {
    // The folder added twice (Add Folder lists the folder itself each time) and a file dropped
    // again in another spelling: five rows naming three files.
    const std::wstring folder = temp.path().substr(0, temp.path().size() - 1);
    ASSERT_TRUE(SetTicks(folder, TicksOfSeconds(kOld), TicksOfSeconds(kOld)));
    for (int pass = 0; pass < 2; ++pass) {
        dlg->m_arrFiles.Append(folder);
        dlg->ScanFolder(folder + L"\\*.*");
    }
    std::wstring shouted = first;
    std::transform(shouted.begin(), shouted.end(), shouted.begin(), ::towupper);
    Drop({shouted});
    std::vector<std::wstring> rows = RowTexts();
    std::sort(rows.begin(), rows.end());
    ASSERT_EQ(rows, (std::vector<std::wstring>{shouted, folder, folder, first, second}));
    const DWORD folderWord = ::GetFileAttributesW(folder.c_str());
    const DWORD fileWord = ::GetFileAttributesW(first.c_str());
    Click(IDC_SET_FILE_TIME);
    Click(IDC_SET_FILE_ATTRIBUTES);
    Click(IDC_HIDDEN);
    Click(IDC_APPLY);
    ASSERT_NE(::GetFileAttributesW(folder.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
    dlg->m_editOutput.SetWindowText(L"");

    Click(IDC_UNDO);
    std::vector<std::wstring> expected;
    for (const std::wstring& row : RowTexts()) {
        expected.push_back(row + L" -- file time rollback successfully!");
        expected.push_back(row + L" -- file attributes rollback successfully!");
    }
    expected.push_back(kSeparator);
    EXPECT_EQ(OutputLines(), expected) << "the lines of every row, in row order";
    for (const auto& [path, word] : {std::pair{folder, folderWord}, std::pair{first, fileWord}}) {
        SCOPED_TRACE(Narrow(path));
        EXPECT_EQ(WriteTicks(path), TicksOfSeconds(kOld));
        EXPECT_EQ(::GetFileAttributesW(path.c_str()), word);
    }
}

TEST_F(ApplyUndoTest, AFileDatedBefore1970TakesNewTimesAndUndoClaimsOnlyWhatItRestored) {
    const ULONGLONG moonLanding = TicksOfSeconds(-14182940);  // 1969-07-20 20:17:40 UTC
    const std::wstring restored = first + L" -- file time rollback successfully!";
    const std::wstring notRestored = first + L" -- file time rollback failed.";
    const struct {
        const char* label;
        bool modify;
        bool properties;
        std::wstring undoLine;
    } cases[] = {
        {"access time only: the 1969 last-write time is left alone", false, false, restored},
        {"last-write time too: 1969 cannot be written back", true, false, notRestored},
        {"the property write moves the last-write time", false, true, notRestored},
    };
    Click(IDC_REMOVE_ALL);
    Drop({first});
    Click(IDC_SET_FILE_TIME);
    dlg->m_chkCreateTime.SetChecked(FALSE);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        ASSERT_TRUE(SetTicks(first, TicksOfSeconds(kOld), moonLanding));
        dlg->m_chkModifyTime.SetChecked(c.modify);
        dlg->m_chkOtherProperties.SetChecked(c.properties);
        dlg->m_editOutput.SetWindowText(L"");
        Click(IDC_APPLY);
        ASSERT_EQ(OutputLines().at(0), first + L" -- file time changed successfully!");
        EXPECT_EQ(AccessTicks(first), TicksOfSeconds(kNew));

        dlg->m_editOutput.SetWindowText(L"");
        Click(IDC_UNDO);
        EXPECT_EQ(OutputLines().at(0), c.undoLine);
        EXPECT_EQ(AccessTicks(first), TicksOfSeconds(kOld)) << "what can be restored is";
        EXPECT_EQ(WriteTicks(first) == moonLanding, c.undoLine == restored);
    }
}

TEST_F(ApplyUndoTest, TimesNotChosenAreNeverRewritten) {
    // Read and written back, a time loses its fraction of a second (and, in a zone with
    // daylight saving, one in the skipped spring hour moves by that hour).
    const ULONGLONG written = TicksOfSeconds(kOld) + 1234567;
    ASSERT_TRUE(SetTicks(first, TicksOfSeconds(kOld) + 7654321, written));
    Click(IDC_REMOVE_ALL);
    Drop({first});
    Click(IDC_SET_FILE_TIME);
    dlg->m_chkCreateTime.SetChecked(FALSE);
    dlg->m_chkModifyTime.SetChecked(FALSE);
    Click(IDC_APPLY);
    EXPECT_EQ(AccessTicks(first), TicksOfSeconds(kNew));
    EXPECT_EQ(WriteTicks(first), written) << "after Apply";
    Click(IDC_UNDO);
    EXPECT_EQ(AccessTicks(first), TicksOfSeconds(kOld));
    EXPECT_EQ(WriteTicks(first), written) << "after Undo";
}

// Where a read-only file is closed to its owner: under Wine only for a user other than root,
// which ./test.sh runs these suites as.
class ApplyUndoPermissions : public ApplyUndoTest {};

TEST_F(ApplyUndoPermissions, ReadOnlyFilesAndFoldersThroughApplyAndUndo) {
    SKIP_UNLESS_READONLY_ENFORCED();
    constexpr DWORD A = FILE_ATTRIBUTE_ARCHIVE, R = FILE_ATTRIBUTE_READONLY, H = FILE_ATTRIBUTE_HIDDEN,
                    S = FILE_ATTRIBUTE_SYSTEM;
    const struct {
        const char* label;
        DWORD before;
        bool times;
        std::vector<CMacCheckBox*> chosen;  // none: the attribute group is off
        bool properties;
        DWORD after;
    } cases[] = {
        {"only properties: the file stays read-only", A | R, false, {}, true, A | R},
        {"the choice clears read-only: properties and times still go in", A | R, true, {&dlg->m_chkArchive}, true, A},
        {"Hidden and ReadOnly chosen together", A, true, {&dlg->m_chkHidden, &dlg->m_chkReadOnly}, true, A | H | R},
        {"made read-only, hidden and system cleared",
         A | H | S,
         true,
         {&dlg->m_chkArchive, &dlg->m_chkReadOnly},
         false,
         A | R},
        {"only times on a hidden read-only file", A | H | R, true, {}, false, A | H | R},
    };
    const std::wstring folder = temp.path() + L"folder";
    ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
    Click(IDC_REMOVE_ALL);
    Drop({first, folder});
    const std::vector<CMacCheckBox*> boxes = {&dlg->m_chkArchive, &dlg->m_chkReadOnly, &dlg->m_chkHidden,
                                              &dlg->m_chkSystem};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        ASSERT_TRUE(::SetFileAttributesW(first.c_str(), c.before & ~R));  // hidden and system first
        ASSERT_TRUE(SetTicks(first, TicksOfSeconds(kOld), TicksOfSeconds(kOld)));
        ASSERT_TRUE(::SetFileAttributesW(first.c_str(), c.before));
        ASSERT_EQ(::GetFileAttributesW(first.c_str()), c.before);
        dlg->m_chkSetFileTime.SetChecked(c.times);
        dlg->m_chkSetFileAttributes.SetChecked(!c.chosen.empty());
        for (CMacCheckBox* box : boxes)
            box->SetChecked(std::count(c.chosen.begin(), c.chosen.end(), box) ? TRUE : FALSE);
        dlg->m_chkOtherProperties.SetChecked(c.properties);
        dlg->m_mapPropertyValues = {{L"Summary_Title", L"Applied title"}};

        // Every line of the file succeeds. The folder has no property set, and Wine keeps no
        // read-only bit on a folder: the Apply's attribute line says so.
        const bool readOnlyChosen = std::count(c.chosen.begin(), c.chosen.end(), &dlg->m_chkReadOnly) != 0;
        const auto expectedLines = [&](const wchar_t* succeeded, const wchar_t* failed, bool folderWordHolds) {
            std::vector<std::wstring> lines;
            for (const std::wstring& path : {first, folder}) {
                const bool isFolder = path == folder;
                const auto line = [&](const wchar_t* group, bool ok) {
                    lines.push_back(path + L" -- file " + group + (ok ? succeeded : failed));
                };
                if (c.times)
                    line(L"time", true);
                if (!c.chosen.empty())
                    line(L"attributes", !isFolder || folderWordHolds);
                if (c.properties)
                    line(L"properties", !isFolder);
            }
            lines.push_back(kSeparator);
            return lines;
        };
        dlg->m_editOutput.SetWindowText(L"");
        Click(IDC_APPLY);
        EXPECT_EQ(OutputLines(), expectedLines(L" changed successfully!", L" change failed.",
                                               !(readOnlyChosen && RunningUnderWine())));
        EXPECT_EQ(::GetFileAttributesW(first.c_str()), c.after);
        EXPECT_EQ(WriteTicks(first) == TicksOfSeconds(kNew), c.times);
        EXPECT_EQ(Properties(first).at(L"Summary_Title"), c.properties ? L"Applied title" : L"First title");

        dlg->m_editOutput.SetWindowText(L"");
        Click(IDC_UNDO);
        EXPECT_EQ(OutputLines(), expectedLines(L" rollback successfully!", L" rollback failed.", true));
        EXPECT_EQ(::GetFileAttributesW(first.c_str()), c.before);
        if (c.times) {
            EXPECT_EQ(WriteTicks(first), TicksOfSeconds(kOld));
        }
        EXPECT_EQ(Properties(first).at(L"Summary_Title"), L"First title");
    }
}

}  // namespace

// A pass longer than the delay shows the please-wait window; a shorter one shows nothing; the
// pane's lines and the files come out the same either way.
TEST_F(ApplyUndoTest, APassPastTheDelayShowsThePleaseWaitWindowAndChangesNothingElse) {
    ChooseAllGroups();
    const CLongWorkProgress::Timing saved = CLongWorkProgress::Pacing();
    struct Outcome {
        std::vector<std::wstring> lines;
        DWORD attributes = 0;
        ULONGLONG writeTicks = 0;
        PropertyValues properties;
        int windows = 0;
    };
    const auto run = [&](ULONGLONG delayMs) {
        CLongWorkProgress::Pacing().delayMs = delayMs;
        dlg->m_editOutput.SetWindowText(L"");
        const int shownBefore = CLongWorkProgress::WindowsShown();
        Outcome outcome;
        // Undo's refresh loads the selected file's restored state into the boxes and the editor.
        if (!dlg->m_chkReadOnly.IsChecked())
            Click(IDC_READ_ONLY);
        dlg->m_mapPropertyValues[L"Summary_Title"] = L"Applied title";
        dlg->m_mapPropertyValues[L"Summary_Author"] = L"Applied author";
        Click(IDC_APPLY);
        outcome.attributes = ::GetFileAttributesW(second.c_str());
        outcome.writeTicks = WriteTicks(second);
        outcome.properties = Properties(second);
        Click(IDC_UNDO);
        outcome.lines = OutputLines();
        outcome.windows = CLongWorkProgress::WindowsShown() - shownBefore;
        for (int round = 0; round < 4000 && !GetPleaseWaitState().ended; ++round) {
            ::Sleep(5);
        }
        EXPECT_TRUE(GetPleaseWaitState().ended) << "the window ends with the pass";
        return outcome;
    };
    const Outcome quiet = run(~0ULL);
    const Outcome shown = run(0);
    CLongWorkProgress::Pacing() = saved;

    EXPECT_EQ(quiet.windows, 0);
    EXPECT_EQ(shown.windows, 2) << "one window for the Apply and one for the Undo";
    EXPECT_EQ(shown.lines, quiet.lines);
    EXPECT_EQ(quiet.lines.size(), 14u) << "six lines and the separator for each pass";
    EXPECT_EQ(shown.attributes, quiet.attributes);
    EXPECT_EQ(shown.writeTicks, quiet.writeTicks);
    EXPECT_EQ(shown.properties, quiet.properties);
}

// Out of memory anywhere in Apply or Undo: the pass stops and says so in the pane and the log,
// and Undo (once more after a stopped Undo) brings both files back to their state before Apply.
TEST_F(ApplyUndoTest, AnAllocationFailureLeavesEveryChangeUndoable) {
    struct State {
        ULONGLONG writeTicks;
        DWORD attributes;
        PropertyValues properties;
        bool operator==(const State&) const = default;
    };
    const auto stateOf = [&](const std::wstring& path) {
        return State{WriteTicks(path), ::GetFileAttributesW(path.c_str()), Properties(path)};
    };
    const auto logged = [] {
        const std::string log = ReadTestFile(GetErrorLogPath());
        std::size_t count = 0;
        for (std::size_t at = log.find("Out of memory"); at != std::string::npos;
             at = log.find("Out of memory", at + 1))
            ++count;
        return count;
    };
    ChooseAllGroups();
    const State before[] = {stateOf(first), stateOf(second)};
    // How many allocations a whole pass makes, to place the failure across it.
    long applyAllocations = 0;
    long undoAllocations = 0;
    {
        const ScopedAllocationFailure counting(0);
        dlg->OnApplyChanges();
        applyAllocations = counting.Count();
    }
    ASSERT_NE(stateOf(second), before[1]);
    {
        const ScopedAllocationFailure counting(0);
        dlg->OnUndoChanges();
        undoAllocations = counting.Count();
    }
    ASSERT_EQ(stateOf(first), before[0]);
    ASSERT_EQ(stateOf(second), before[1]);

    struct Case {
        const char* label;
        bool inUndo;
        double share;  // of the pass's allocations made before the failing one
    };
    const Case cases[] = {
        {"Apply: first allocation", false, 0.0}, {"Apply: a third in", false, 0.33},
        {"Apply: two thirds in", false, 0.66},   {"Apply: near the end", false, 0.95},
        {"Undo: first allocation", true, 0.0},   {"Undo: halfway", true, 0.5},
        {"Undo: near the end", true, 0.95},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        if (c.inUndo)
            dlg->OnApplyChanges();
        dlg->m_editOutput.SetWindowText(L"");
        const std::size_t loggedBefore = logged();
        const long total = c.inUndo ? undoAllocations : applyAllocations;
        {
            const ScopedAllocationFailure failing(1 + static_cast<long>(c.share * static_cast<double>(total - 1)));
            c.inUndo ? dlg->OnUndoChanges() : dlg->OnApplyChanges();
            ASSERT_TRUE(failing.Failed());
        }
        // Near the end the failing allocation may fall in a message the closing refresh sends (a
        // row's text), whose handler gives up alone: the pass itself then ends whole.
        const std::wstring text = dlg->m_editOutput.GetWindowText();
        const bool reported = text.find(L"Out of memory") != std::wstring::npos;
        const bool whole = OutputLines().size() == 7 && OutputLines().back() == kSeparator;
        EXPECT_TRUE(reported || (c.share > 0.9 && whole)) << Narrow(text);
        EXPECT_EQ(logged(), loggedBefore + (reported ? 1 : 0));
        for (int undo = 0; undo < 2 && dlg->m_btnUndo.IsWindowEnabled(); ++undo)
            dlg->OnUndoChanges();
        EXPECT_FALSE(dlg->m_btnUndo.IsWindowEnabled());
        EXPECT_EQ(stateOf(first), before[0]);
        EXPECT_EQ(stateOf(second), before[1]);
    }
}
