// The program's single form of a point in time, and the arithmetic between it, file times and
// calendar fields. The conversions that need the local time zone stay with the Windows code;
// what is here is the part that does not depend on it.
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>

// Whole seconds since 1970-01-01 00:00:00 UTC; 0 stands for "no time".
using TimeSeconds = std::int64_t;

// The span the runtime's 64-bit local-time conversions accept: 1970-01-01 00:00:00 to
// 3000-12-31 23:59:59 UTC.
inline constexpr TimeSeconds kMinTimeSeconds = 0;
inline constexpr TimeSeconds kMaxTimeSeconds = 32535215999;

// A file time counts 100 ns ticks from 1601-01-01 00:00:00 UTC.
inline constexpr std::uint64_t kTicksPerSecond = 10000000;
inline constexpr std::int64_t kSecondsFrom1601To1970 = 11644473600;

// Calendar fields as a system-time record or a broken-down time carries them: month 1 to 12,
// day 1 to 31, 24-hour clock, no sub-second part.
struct CalendarTime {
    int nYear = 1970;
    int nMonth = 1;
    int nDay = 1;
    int nHour = 0;
    int nMinute = 0;
    int nSecond = 0;
    bool operator==(const CalendarTime&) const = default;
};

// A file's three times. Readers zero them first, so a failed read leaves zeros.
struct FileStatus {
    TimeSeconds m_ctime = 0;  // creation
    TimeSeconds m_mtime = 0;  // last write, shown as "Modify"
    TimeSeconds m_atime = 0;  // last access
};

bool IsRepresentable(TimeSeconds t);

// The file time broken into fields with the sub-second part dropped, as FileTimeToSystemTime
// does; a tick count with the top bit set is not a file time.
std::optional<CalendarTime> SplitFileTime(std::uint64_t ticks);

// The fields as a file time, as SystemTimeToFileTime does; fields outside the calendar, or a
// year outside 1601 to 30827, fail.
std::optional<std::uint64_t> ComposeFileTime(const CalendarTime& fields);

// The fields of t in UTC; what _localtime64_s gives when the zone is UTC.
std::optional<CalendarTime> SplitTimeSecondsUtc(TimeSeconds t);

// The rule around the runtime's local-time conversion of fields (mktime with the
// daylight-saving state left to it) that produced `converted`: a year before 1900 gives 0, and
// a result outside the span (the runtime's -1 failure included) cannot be held.
std::optional<TimeSeconds> AcceptLocalTime(const CalendarTime& fields, std::int64_t converted);

// The read of one file time in a zone without offset: not a file time gives 0, a year before
// 1900 gives 0, whole seconds truncated, anything else outside the span fails.
std::optional<TimeSeconds> FileTimeToTimeSeconds(std::uint64_t ticks);

// The write of one time in a zone without offset; a time outside the span fails.
std::optional<std::uint64_t> TimeSecondsToFileTime(TimeSeconds t);

// A creation or access time of 0 takes the last-write time.
void FillMissingTimes(FileStatus& status);

// The runtime's broken-down form: tm_year counts from 1900, tm_mon from 0. For mktime the
// daylight-saving state is left undecided (tm_isdst -1), so it is judged for the date itself.
std::tm ToMktimeInput(const CalendarTime& fields);
CalendarTime FromTm(const std::tm& broken);

// The list's time text, as wcsftime "%c" writes it in the runtime's default locale:
// "MM/DD/YY HH:MM:SS". Fields no conversion produces (a month of 13, a year outside 1900 to
// 9999) give an empty text, as a failed formatting does.
std::wstring FormatListTimeFields(const CalendarTime& fields);
