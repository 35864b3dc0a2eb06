// The time group through the real window: composing the new time and setting it on files and
// folders.
#include "MainDlgFixture.h"
#include "filelist/FileStatus.h"
#include "resources/resource.h"
#include "support/ErrorLog.h"
#include "support/Folders.h"

namespace {

ULONGLONG TicksOf(TimeSeconds t) {
    return TicksOfSeconds(t);
}

struct Times {
    ULONGLONG created;
    ULONGLONG accessed;
    ULONGLONG written;
};
Times ReadTimes(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
    return {Ticks(data.ftCreationTime), Ticks(data.ftLastAccessTime), Ticks(data.ftLastWriteTime)};
}
void SetRawTimes(const std::wstring& path, ULONGLONG access, ULONGLONG write) {
    HANDLE file = ::CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    const FILETIME a{static_cast<DWORD>(access), static_cast<DWORD>(access >> 32)};
    const FILETIME w{static_cast<DWORD>(write), static_cast<DWORD>(write >> 32)};
    ::SetFileTime(file, nullptr, &a, &w);
    ::CloseHandle(file);
}

constexpr TimeSeconds kChosen = 1425445567;              // 2015-03-04 05:06:07 UTC
constexpr ULONGLONG kOldAccess = 126966784891234567ULL;  // 2003-05-06 07:08:09.1234567
constexpr ULONGLONG kOldWrite = 126966784901234567ULL;   // ten seconds later

class FileTimesTest : public MainDlgFixture {
protected:
    void SetUp() override {
        MainDlgFixture::SetUp();
        file = temp.path() + L"f.txt";
        folder = temp.path() + L"dir";
        ASSERT_TRUE(WriteTestFile(file, "x"));
        ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
        SetRawTimes(file, kOldAccess, kOldWrite);
        SetRawTimes(folder, kOldAccess, kOldWrite);
        // The date picker's own time of day plays no part, nor the time picker's date.
        const SYSTEMTIME date = MakeSystemTime(2015, 3, 4, 23);
        const SYSTEMTIME time = MakeSystemTime(2020, 1, 1, 5, 6, 7, 890);
        ASSERT_TRUE(dlg->m_dtpDate.SetTime(date));
        ASSERT_TRUE(dlg->m_dtpTime.SetTime(time));
        dlg->m_chkSetFileTime.SetChecked(TRUE);
    }
    void Kinds(bool create, bool modify, bool access) {
        dlg->m_chkCreateTime.SetChecked(create);
        dlg->m_chkModifyTime.SetChecked(modify);
        dlg->m_chkAccessTime.SetChecked(access);
    }

    ScopedTempDir temp;
    std::wstring file;
    std::wstring folder;
};

TEST_F(FileTimesTest, TheNewTimeTakesTheDateFromOnePickerAndTheClockFromTheOther) {
    EXPECT_EQ(dlg->ComposeNewTime(), std::optional<TimeSeconds>(kChosen));
    const SYSTEMTIME early = MakeSystemTime(1899, 12, 31);
    ASSERT_TRUE(dlg->m_dtpDate.SetTime(early));
    EXPECT_FALSE(dlg->ComposeNewTime().has_value()) << "a date the program cannot write is refused";
    Kinds(true, true, true);
    EXPECT_FALSE(dlg->ChangeFileTime(file));
    EXPECT_EQ(ReadTimes(file).written, kOldWrite);
}

TEST_F(FileTimesTest, SelectedKindsGetTheNewTimeAndTheOthersAreLeftAlone) {
    struct Case {
        const char* label;
        bool modify;
        bool access;
        ULONGLONG written;
        ULONGLONG accessed;
    };
    const Case cases[] = {
        {"both", true, true, TicksOf(kChosen), TicksOf(kChosen)},
        {"modify only: access untouched", true, false, TicksOf(kChosen), kOldAccess},
        {"access only: modify untouched", false, true, kOldWrite, TicksOf(kChosen)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        SetRawTimes(file, kOldAccess, kOldWrite);
        Kinds(false, c.modify, c.access);
        EXPECT_TRUE(dlg->ChangeFileTime(file));
        const Times after = ReadTimes(file);
        EXPECT_EQ(after.written, c.written);
        EXPECT_EQ(after.accessed, c.accessed);
    }
}

TEST_F(FileTimesTest, CreationTime) {
    Kinds(true, false, false);
    EXPECT_TRUE(dlg->ChangeFileTime(file));
    if (RunningUnderWine()) {
        GTEST_SKIP() << "Wine cannot set creation times (it reports the earlier of the write and change times)";
    }
    EXPECT_EQ(ReadTimes(file).created, TicksOf(kChosen));
}

TEST_F(FileTimesTest, NoKindChosenTouchesNothing) {
    DeleteFileIfExists(GetErrorLogPath());
    Kinds(false, false, false);
    EXPECT_FALSE(dlg->ChangeFileTime(file));
    EXPECT_EQ(ReadTimes(file).written, kOldWrite);
    EXPECT_FALSE(PathExists(GetErrorLogPath())) << "nothing is logged";
}

TEST_F(FileTimesTest, AFolderGoesThroughSetDirTime) {
    Kinds(false, true, true);
    EXPECT_TRUE(dlg->ChangeFileTime(folder));
    const Times after = ReadTimes(folder);
    EXPECT_EQ(after.written, TicksOf(kChosen));
    EXPECT_EQ(after.accessed, TicksOf(kChosen));
}

TEST_F(FileTimesTest, TimesThatWereNotReadAreNotWrittenAs1970) {
    // A trailing separator defeats the directory search but not the folder open.
    const std::wstring withSeparator = folder + L"\\";
    FileStatus probe;
    ASSERT_FALSE(GetFileStatus(withSeparator, probe));
    Kinds(false, true, false);
    EXPECT_TRUE(dlg->ChangeFileTime(withSeparator));
    const Times after = ReadTimes(folder);
    EXPECT_EQ(after.written, TicksOf(kChosen));
    EXPECT_EQ(after.accessed, kOldAccess) << "the access time the user did not choose is kept";
}

TEST_F(FileTimesTest, AFileHeldWithoutSharingFailsWithALogLine) {
    DeleteFileIfExists(GetErrorLogPath());
    Kinds(false, true, false);
    HANDLE held = ::CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(dlg->ChangeFileTime(file));
    ::CloseHandle(held);
    EXPECT_NE(ReadTestFile(GetErrorLogPath()).find("] (SetDirTime) Directory open failed, error: 32\r\n"),
              std::string::npos);
    EXPECT_EQ(ReadTimes(file).written, kOldWrite);

    // Held by a program that shares writing: the folder route gets through.
    held = ::CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                         nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(dlg->ChangeFileTime(file));
    ::CloseHandle(held);
    EXPECT_EQ(ReadTimes(file).written, TicksOf(kChosen));
}

TEST_F(FileTimesTest, AMissingFileFailsWithALogLine) {
    DeleteFileIfExists(GetErrorLogPath());
    Kinds(false, true, false);
    EXPECT_FALSE(dlg->ChangeFileTime(temp.path() + L"missing.txt"));
    EXPECT_NE(ReadTestFile(GetErrorLogPath()).find("(SetDirTime) Directory open failed, error: 2\r\n"),
              std::string::npos);
}

}  // namespace
