// The times in a zone with daylight saving, through the conversions the list, the pickers and
// the writes use.
#include "TestSupport.h"
#include "filelist/FileStatus.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <time.h>

#include <optional>
#include <string>

namespace {

// The C runtime's zone, set for one test and put back after it. Only the runtime's zone can be
// set inside a process: under Wine the system's zone, which the file-time calls follow, is
// fixed when the process starts (SetTimeZoneInformation is refused, and a child process keeps
// the parent's zone whatever its environment says). The runtime takes the offset and the
// daylight-saving dates (the US rules) from TZ, but the size of the shift from _dstbias, which
// a TZ value leaves as the zone before set it: 0 after a zone without daylight saving. So the
// shift is set as a zone with daylight saving sets it.
class ScopedRuntimeZone {
public:
    explicit ScopedRuntimeZone(const std::wstring& zone) {
        const wchar_t* saved = _wgetenv(L"TZ");
        m_savedZone = saved ? saved : L"";
        m_savedShift = _dstbias;
        _wputenv((L"TZ=" + zone).c_str());
        _tzset();
        _dstbias = -3600;
    }
    ~ScopedRuntimeZone() {
        _wputenv((L"TZ=" + m_savedZone).c_str());
        _tzset();
        _dstbias = m_savedShift;
    }
    ScopedRuntimeZone(const ScopedRuntimeZone&) = delete;
    ScopedRuntimeZone& operator=(const ScopedRuntimeZone&) = delete;

private:
    std::wstring m_savedZone;
    long m_savedShift = 0;
};

// The instant of UTC calendar fields, by the zone-free arithmetic.
TimeSeconds Utc(const CalendarTime& fields) {
    const std::optional<std::uint64_t> ticks = ComposeFileTime(fields);
    return ticks ? FileTimeToTimeSeconds(*ticks).value_or(-1) : -1;
}

// A file time shown in the system's local time, as the list would show it after reading it.
std::wstring SystemLocalText(const FILETIME& utc) {
    FILETIME local{};
    SYSTEMTIME fields{};
    if (!::FileTimeToLocalFileTime(&utc, &local) || !::FileTimeToSystemTime(&local, &fields)) {
        return L"(no time)";
    }
    return FormatListTimeFields(
        {fields.wYear, fields.wMonth, fields.wDay, fields.wHour, fields.wMinute, fields.wSecond});
}

TEST(DaylightSavingTest, WinterSummerAndTheHoursAcrossAChange) {
    ScopedTempDir temp;
    const std::wstring file = temp.path() + L"timed.txt";
    ASSERT_TRUE(WriteTestFile(file, "t"));
    // New York: UTC-5, and UTC-4 from the second Sunday of March 02:00 to the first Sunday of
    // November 02:00.
    const ScopedRuntimeZone zone(L"EST5EDT");
    struct Case {
        const char* label;
        CalendarTime local;  // as the pickers give it
        CalendarTime utc;    // the instant the program holds
        std::wstring shown;  // in the list, and what a write puts on the file
    };
    const Case cases[] = {
        {"winter: standard time", {2021, 1, 15, 12, 0, 0}, {2021, 1, 15, 17, 0, 0}, L"01/15/21 12:00:00"},
        {"summer: daylight time", {2021, 7, 15, 12, 0, 0}, {2021, 7, 15, 16, 0, 0}, L"07/15/21 12:00:00"},
        {"the last second before the clocks go forward",
         {2021, 3, 14, 1, 59, 59},
         {2021, 3, 14, 6, 59, 59},
         L"03/14/21 01:59:59"},
        {"the first second after it, one second later",
         {2021, 3, 14, 3, 0, 0},
         {2021, 3, 14, 7, 0, 0},
         L"03/14/21 03:00:00"},
        {"a time the change skips is taken as standard time",
         {2021, 3, 14, 2, 30, 0},
         {2021, 3, 14, 6, 30, 0},
         L"03/14/21 01:30:00"},
        {"the last second of daylight time", {2021, 11, 7, 0, 59, 59}, {2021, 11, 7, 4, 59, 59}, L"11/07/21 00:59:59"},
        {"the hour that comes twice is taken as standard time",
         {2021, 11, 7, 1, 30, 0},
         {2021, 11, 7, 6, 30, 0},
         L"11/07/21 01:30:00"},
        {"the first second after the change", {2021, 11, 7, 2, 0, 0}, {2021, 11, 7, 7, 0, 0}, L"11/07/21 02:00:00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const std::optional<TimeSeconds> held = LocalFieldsToTimeSeconds(c.local);
        ASSERT_TRUE(held.has_value());
        EXPECT_EQ(*held, Utc(c.utc));
        EXPECT_EQ(FormatListTime(*held), c.shown);

        // The system's zone is the one the process started in; whatever it is, the time written
        // is the one shown, in that zone's local time.
        const std::optional<FILETIME> written = TimeToFileTime(*held);
        ASSERT_TRUE(written.has_value());
        EXPECT_EQ(SystemLocalText(*written), c.shown);

        // Written and read back at once, a time is unchanged.
        ASSERT_TRUE(WriteFileStatus(file, FileStatus{0, *held, *held}));
        FileStatus read;
        GetFileStatus(file, read);
        EXPECT_EQ(read.m_mtime, *held);
        EXPECT_EQ(read.m_atime, *held);
    }
}

}  // namespace
