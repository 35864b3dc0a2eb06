#include "filelist/FileStatus.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <time.h>

namespace {

// 2003-05-06 07:08:09.1234567 UTC in file-time ticks.
constexpr ULONGLONG kTicks2003 = 126966784891234567ULL;

FILETIME FromTicks(ULONGLONG ticks) {
    return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}
ULONGLONG ToTicks(const FILETIME& time) {
    return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}
bool SetTimes(const std::wstring& path, const FILETIME* access, const FILETIME* write) {
    HANDLE file = ::CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    const BOOL ok = ::SetFileTime(file, nullptr, access, write);
    ::CloseHandle(file);
    return ok != FALSE;
}

bool GetTimes(const std::wstring& path, FILETIME& access, FILETIME& write) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
        return false;
    }
    access = data.ftLastAccessTime;
    write = data.ftLastWriteTime;
    return true;
}

class FileStatusTest : public ::testing::Test {
protected:
    void SetUp() override {
        file = temp.path() + L"times.txt";
        ASSERT_TRUE(WriteTestFile(file, "content"));
    }
    ScopedTempDir temp;
    std::wstring file;
};

TEST_F(FileStatusTest, ReadAndWriteBackKeepsTimesToTheSecond) {
    const FILETIME precise = FromTicks(kTicks2003);
    ASSERT_TRUE(SetTimes(file, &precise, &precise));
    FileStatus status;
    ASSERT_TRUE(GetFileStatus(file, status));
    EXPECT_EQ(status.m_mtime, 1052204889) << "2003-05-06 07:08:09 UTC, sub-second part dropped";
    EXPECT_EQ(status.m_atime, status.m_mtime);
    EXPECT_NE(status.m_ctime, 0) << "a creation time is always there";

    ASSERT_TRUE(WriteFileStatus(file, status));
    FILETIME access{};
    FILETIME write{};
    ASSERT_TRUE(GetTimes(file, access, write));
    EXPECT_EQ(ToTicks(write), kTicks2003 - kTicks2003 % 10000000) << "whole seconds come back";
    EXPECT_EQ(ToTicks(access), kTicks2003 - kTicks2003 % 10000000);
}

TEST_F(FileStatusTest, WritesOnlyTheTimesItIsGiven) {
    const FILETIME older = FromTicks(kTicks2003);
    ASSERT_TRUE(SetTimes(file, &older, &older));
    FileStatus status;
    status.m_mtime = 1262304000;  // 2010-01-01 00:00:00 UTC
    ASSERT_TRUE(WriteFileStatus(file, status));
    FILETIME access{};
    FILETIME write{};
    ASSERT_TRUE(GetTimes(file, access, write));
    EXPECT_EQ(ToTicks(write), 129067776000000000ULL);
    EXPECT_EQ(ToTicks(access), kTicks2003) << "an absent time is kept as the file has it";
}

TEST_F(FileStatusTest, NoLastWriteTimeWritesNothingAndNeverOpensTheFile) {
    HANDLE held = ::CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    FileStatus status;
    status.m_atime = 1262304000;
    EXPECT_TRUE(WriteFileStatus(file, status)) << "succeeds although the file cannot be opened";
    status.m_mtime = 1262304000;
    EXPECT_FALSE(WriteFileStatus(file, status)) << "with a time to write, the held file fails at the open";
    ::CloseHandle(held);
    EXPECT_FALSE(WriteFileStatus(temp.path() + L"missing.txt", status));
}

// Wine run by root opens read-only files for writing; ./test.sh runs this as another user.
class FileStatusPermissions : public FileStatusTest {};

TEST_F(FileStatusPermissions, ReadOnlyFileFailsAtTheOpen) {
    SKIP_UNLESS_READONLY_ENFORCED();
    ASSERT_TRUE(::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY));
    FileStatus status;
    status.m_mtime = 1262304000;
    EXPECT_FALSE(WriteFileStatus(file, status));
    ::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(FileStatusTest, PathsThatCannotBeReadLeaveTheStatusAlone) {
    const struct {
        const char* label;
        std::wstring path;
    } cases[] = {
        {"missing file", temp.path() + L"missing.txt"},
        {"empty path", L""},
        {"260 characters", temp.path() + std::wstring(260 - temp.path().size(), L'x')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        FileStatus status{7, 8, 9};
        EXPECT_FALSE(GetFileStatus(c.path, status));
        EXPECT_EQ(status.m_ctime, 7);
        EXPECT_EQ(status.m_mtime, 8);
        EXPECT_EQ(status.m_atime, 9);
    }
    FileStatus folder;
    EXPECT_TRUE(GetFileStatus(temp.path().substr(0, temp.path().size() - 1), folder)) << "a folder has times too";
    EXPECT_NE(folder.m_mtime, 0);
}

TEST(LocalTimeRuleTest, YearsBefore1900GiveNoTime) {
    // Files cannot carry such dates here (Wine cannot set creation times and ext4 stores
    // nothing before 1901), so the rule that turns them into "no time", which the read then
    // replaces by the last-write time, is checked on the fields.
    EXPECT_EQ(LocalFieldsToTimeSeconds({1850, 6, 1, 12, 0, 0}), TimeSeconds{0});
    EXPECT_EQ(LocalFieldsToTimeSeconds({1899, 12, 31, 23, 59, 59}), TimeSeconds{0});
    EXPECT_FALSE(LocalFieldsToTimeSeconds({1900, 1, 1, 0, 0, 0}).has_value()) << "1900 to 1969 cannot be held";
    EXPECT_EQ(LocalFieldsToTimeSeconds({2003, 5, 6, 7, 8, 9}), TimeSeconds{1052204889});
}

TEST_F(FileStatusTest, TimesThatCannotBeHeldAreMarkedAndLeftAlone) {
    const ULONGLONG sixties = TicksOfSystemTime(MakeSystemTime(1960, 6, 1));
    const struct {
        const char* label;
        bool writeIsOld;
    } cases[] = {{"access time before 1970", false}, {"last-write time before 1970", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const FILETIME old = FromTicks(sixties);
        const FILETIME recent = FromTicks(kTicks2003);
        ASSERT_TRUE(SetTimes(file, c.writeIsOld ? &recent : &old, c.writeIsOld ? &old : &recent));
        FileStatus status;
        EXPECT_TRUE(GetFileStatus(file, status)) << "the file is found";
        TimeSeconds& unheld = c.writeIsOld ? status.m_mtime : status.m_atime;
        TimeSeconds& held = c.writeIsOld ? status.m_atime : status.m_mtime;
        EXPECT_EQ(unheld, kUnrepresentableTime);
        EXPECT_EQ(held, 1052204889) << "the other time is still read";
        EXPECT_EQ(FormatListTime(unheld), L"");

        // Written back, the time the program could not hold is left as it is; the other is written.
        held = 1262304000;  // 2010-01-01 00:00:00 UTC
        ASSERT_TRUE(WriteFileStatus(file, status));
        FILETIME access{};
        FILETIME written{};
        ASSERT_TRUE(GetTimes(file, access, written));
        EXPECT_EQ(ToTicks(c.writeIsOld ? written : access), sixties);
        EXPECT_EQ(ToTicks(c.writeIsOld ? access : written), 129067776000000000ULL);
    }
}

TEST(FormatListTimeTest, MatchesTheRuntimesDefaultLocaleForm) {
    EXPECT_EQ(FormatListTime(0), L"01/01/70 00:00:00") << "under TZ=UTC";
    EXPECT_EQ(FormatListTime(kMaxTimeSeconds + 1), L"");
    for (const TimeSeconds t :
         {TimeSeconds{1}, TimeSeconds{1052204889}, TimeSeconds{1594814400}, TimeSeconds{4102444799}, kMaxTimeSeconds}) {
        SCOPED_TRACE(t);
        std::tm broken{};
        const __time64_t value = t;
        ASSERT_EQ(_localtime64_s(&broken, &value), 0);
        wchar_t expected[128] = {};
        ASSERT_GT(wcsftime(expected, 128, L"%c", &broken), 0u);
        EXPECT_EQ(FormatListTime(t), expected);
    }
}

TEST(TimeToFileTimeTest, RoundTripsThroughTheLocalFields) {
    for (const TimeSeconds t : {TimeSeconds{1}, TimeSeconds{1052204889}, TimeSeconds{4102444799}}) {
        SCOPED_TRACE(t);
        const std::optional<FILETIME> time = TimeToFileTime(t);
        ASSERT_TRUE(time.has_value());
        EXPECT_EQ(ToTicks(*time), (static_cast<ULONGLONG>(t) + 11644473600ULL) * 10000000ULL);
    }
    EXPECT_FALSE(TimeToFileTime(-5).has_value());
}

}  // namespace
