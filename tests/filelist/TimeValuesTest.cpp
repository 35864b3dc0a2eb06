#include "filelist/TimeValues.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

namespace {

constexpr std::uint64_t kEpochTicks = 116444736000000000;  // 1970-01-01 00:00:00 UTC
constexpr std::uint64_t kLastFileTime = 0x7FFFFFFFFFFFFFFF;

constexpr std::uint64_t TicksAt(TimeSeconds t) {
    return kEpochTicks + static_cast<std::uint64_t>(t) * kTicksPerSecond;
}

TEST(TimeValuesTest, ReadsFileTimeAsWholeSecondsWithinTheSpan) {
    struct Case {
        const char* label;
        std::uint64_t ticks;
        std::optional<TimeSeconds> expected;
    };
    const Case cases[] = {
        {"zero file time lies in 1601, before 1900", 0, 0},
        {"last second of 1899", 94354847990000000, 0},
        {"first second of 1900 is before the span", 94354848000000000, std::nullopt},
        {"last tick before 1970", kEpochTicks - 1, std::nullopt},
        {"1970 start is the no-time value", kEpochTicks, 0},
        {"sub-second part of the first second dropped", kEpochTicks + 9999999, 0},
        {"one second", TicksAt(1), 1},
        {"one and a half seconds truncated", TicksAt(1) + 5000000, 1},
        {"2008-03-07 09:05:03.9999999", 128493543030000000 + 9999999, 1204880703},
        {"leap day 2000-02-29 12:34:56", 125963012960000000, 951827696},
        {"last second of 3000, last tick", TicksAt(kMaxTimeSeconds) + 9999999, kMaxTimeSeconds},
        {"first second of 3001", TicksAt(kMaxTimeSeconds + 1), std::nullopt},
        {"largest file time, year 30828", kLastFileTime, std::nullopt},
        {"top bit set is not a file time", kLastFileTime + 1, 0},
        {"all bits set is not a file time", ~std::uint64_t{0}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(FileTimeToTimeSeconds(c.ticks), c.expected);
    }
}

TEST(TimeValuesTest, WritesTimeAsFileTimeWithinTheSpan) {
    struct Case {
        const char* label;
        TimeSeconds t;
        std::optional<std::uint64_t> expected;
    };
    const Case cases[] = {
        {"1970 start", 0, kEpochTicks},
        {"one second", 1, kEpochTicks + 10000000},
        {"2008-03-07 09:05:03", 1204880703, 128493543030000000},
        {"leap day 2000-02-29 12:34:56", 951827696, 125963012960000000},
        {"last second of 3000", kMaxTimeSeconds, TicksAt(kMaxTimeSeconds)},
        {"before 1970", -1, std::nullopt},
        {"after 3000", kMaxTimeSeconds + 1, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(TimeSecondsToFileTime(c.t), c.expected);
    }
}

TEST(TimeValuesTest, TimeSurvivesWriteThenRead) {
    const TimeSeconds samples[] = {1,
                                   59,
                                   86399,
                                   86400,
                                   951782399,
                                   951782400,
                                   1204880703,
                                   4107542399,
                                   4107542400,
                                   kMaxTimeSeconds - 86400,
                                   kMaxTimeSeconds};
    for (TimeSeconds t : samples) {
        SCOPED_TRACE(t);
        const std::optional<std::uint64_t> ticks = TimeSecondsToFileTime(t);
        ASSERT_TRUE(ticks.has_value());
        EXPECT_EQ(FileTimeToTimeSeconds(*ticks), t);
    }
}

TEST(TimeValuesTest, SplitsAndComposesFileTimeFields) {
    struct Case {
        const char* label;
        std::uint64_t ticks;
        CalendarTime fields;
    };
    const Case cases[] = {
        {"file time zero", 0, {1601, 1, 1, 0, 0, 0}},
        {"1900-03-01, 1900 not a leap year", 94405824000000000, {1900, 3, 1, 0, 0, 0}},
        {"1970 start", kEpochTicks, {1970, 1, 1, 0, 0, 0}},
        {"leap day 2000", 125963012960000000, {2000, 2, 29, 12, 34, 56}},
        {"2008-03-07 09:05:03", 128493543030000000, {2008, 3, 7, 9, 5, 3}},
        {"last second of 3000", TicksAt(kMaxTimeSeconds), {3000, 12, 31, 23, 59, 59}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(SplitFileTime(c.ticks), c.fields);
        EXPECT_EQ(SplitFileTime(c.ticks + 9999999), c.fields);
        EXPECT_EQ(ComposeFileTime(c.fields), c.ticks);
    }

    EXPECT_EQ(SplitFileTime(kLastFileTime), (CalendarTime{30828, 9, 14, 2, 48, 5}));
    EXPECT_EQ(SplitFileTime(kLastFileTime + 1), std::nullopt);
}

TEST(TimeValuesTest, RefusesFieldsOutsideTheCalendar) {
    struct Case {
        const char* label;
        CalendarTime fields;
    };
    const Case cases[] = {
        {"year 1600", {1600, 12, 31, 23, 59, 59}},
        {"year 30828", {30828, 1, 1, 0, 0, 0}},
        {"month 0", {2008, 0, 1, 0, 0, 0}},
        {"month 13", {2008, 13, 1, 0, 0, 0}},
        {"day 0", {2008, 3, 0, 0, 0, 0}},
        {"April 31", {2008, 4, 31, 0, 0, 0}},
        {"February 29 of 1900", {1900, 2, 29, 0, 0, 0}},
        {"February 29 of 2001", {2001, 2, 29, 0, 0, 0}},
        {"February 30 of 2000", {2000, 2, 30, 0, 0, 0}},
        {"hour 24", {2008, 3, 7, 24, 0, 0}},
        {"negative hour", {2008, 3, 7, -1, 0, 0}},
        {"minute 60", {2008, 3, 7, 0, 60, 0}},
        {"second 60", {2008, 3, 7, 0, 0, 60}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(ComposeFileTime(c.fields), std::nullopt);
    }
    EXPECT_TRUE(ComposeFileTime({30827, 12, 31, 23, 59, 59}).has_value());
    EXPECT_TRUE(ComposeFileTime({2000, 2, 29, 0, 0, 0}).has_value());
}

TEST(TimeValuesTest, SplitsTimeInUtc) {
    struct Case {
        const char* label;
        TimeSeconds t;
        std::optional<CalendarTime> expected;
    };
    const Case cases[] = {
        {"1970 start", 0, CalendarTime{1970, 1, 1, 0, 0, 0}},
        {"end of the first day", 86399, CalendarTime{1970, 1, 1, 23, 59, 59}},
        {"2008-03-07 09:05:03", 1204880703, CalendarTime{2008, 3, 7, 9, 5, 3}},
        {"last second of 3000", kMaxTimeSeconds, CalendarTime{3000, 12, 31, 23, 59, 59}},
        {"before 1970", -1, std::nullopt},
        {"after 3000", kMaxTimeSeconds + 1, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(SplitTimeSecondsUtc(c.t), c.expected);
    }
}

TEST(TimeValuesTest, AcceptsLocalConversionOnlyWithinTheSpan) {
    struct Case {
        const char* label;
        CalendarTime fields;
        std::int64_t converted;
        std::optional<TimeSeconds> expected;
    };
    const Case cases[] = {
        {"year 1899 gives no time whatever the runtime says", {1899, 12, 31, 23, 0, 0}, -1, 0},
        {"year 1601 gives no time", {1601, 1, 1, 0, 0, 0}, 12345, 0},
        {"runtime failure in 1900", {1900, 1, 1, 0, 0, 0}, -1, std::nullopt},
        {"1969 in a zone east of UTC", {1970, 1, 1, 0, 30, 0}, -1800, std::nullopt},
        {"1970 start", {1970, 1, 1, 0, 0, 0}, 0, 0},
        {"2008 in a zone west of UTC", {2008, 3, 7, 9, 5, 3}, 1204898703, 1204898703},
        {"last second of 3000", {3000, 12, 31, 23, 59, 59}, kMaxTimeSeconds, kMaxTimeSeconds},
        {"local 3000 end beyond UTC 3000 end", {3000, 12, 31, 23, 59, 59}, kMaxTimeSeconds + 3600, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(AcceptLocalTime(c.fields, c.converted), c.expected);
    }
}

TEST(TimeValuesTest, MissingCreationAndAccessTakeLastWrite) {
    struct Case {
        const char* label;
        FileStatus read;
        FileStatus expected;
    };
    const Case cases[] = {
        {"all present", {10, 20, 30}, {10, 20, 30}},      {"creation missing", {0, 20, 30}, {20, 20, 30}},
        {"access missing", {10, 20, 0}, {10, 20, 20}},    {"both missing", {0, 20, 0}, {20, 20, 20}},
        {"last write missing too", {0, 0, 0}, {0, 0, 0}}, {"only last write missing", {10, 0, 30}, {10, 0, 30}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        FileStatus status = c.read;
        FillMissingTimes(status);
        EXPECT_EQ(status.m_ctime, c.expected.m_ctime);
        EXPECT_EQ(status.m_mtime, c.expected.m_mtime);
        EXPECT_EQ(status.m_atime, c.expected.m_atime);
    }
}

TEST(TimeValuesTest, MapsFieldsToAndFromBrokenDownTime) {
    const CalendarTime fields{2008, 3, 7, 9, 5, 3};
    const std::tm broken = ToMktimeInput(fields);
    EXPECT_EQ(broken.tm_year, 108);
    EXPECT_EQ(broken.tm_mon, 2);
    EXPECT_EQ(broken.tm_mday, 7);
    EXPECT_EQ(broken.tm_hour, 9);
    EXPECT_EQ(broken.tm_min, 5);
    EXPECT_EQ(broken.tm_sec, 3);
    EXPECT_EQ(broken.tm_isdst, -1);
    EXPECT_EQ(FromTm(broken), fields);
}

TEST(TimeValuesTest, FormatsListTime) {
    struct Case {
        const char* label;
        CalendarTime fields;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {"2020-07-15 noon", {2020, 7, 15, 12, 0, 0}, L"07/15/20 12:00:00"},
        {"two-digit fields padded", {2008, 3, 7, 9, 5, 3}, L"03/07/08 09:05:03"},
        {"year 2000 shows 00", {2000, 12, 31, 23, 59, 59}, L"12/31/00 23:59:59"},
        {"year 1999", {1999, 1, 2, 3, 4, 5}, L"01/02/99 03:04:05"},
        {"last second of 3000", {3000, 12, 31, 23, 59, 59}, L"12/31/00 23:59:59"},
        {"month 0", {2008, 0, 7, 9, 5, 3}, L""},
        {"month 13", {2008, 13, 7, 9, 5, 3}, L""},
        {"day 0", {2008, 3, 0, 9, 5, 3}, L""},
        {"day 32", {2008, 3, 32, 9, 5, 3}, L""},
        {"hour 24", {2008, 3, 7, 24, 5, 3}, L""},
        {"minute 60", {2008, 3, 7, 9, 60, 3}, L""},
        {"second 60", {2008, 3, 7, 9, 5, 60}, L""},
        {"year 1899", {1899, 3, 7, 9, 5, 3}, L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(FormatListTimeFields(c.fields), c.expected);
    }

    const std::optional<CalendarTime> zero = SplitTimeSecondsUtc(0);
    ASSERT_TRUE(zero.has_value());
    EXPECT_EQ(FormatListTimeFields(*zero), L"01/01/70 00:00:00");
}

}  // namespace
