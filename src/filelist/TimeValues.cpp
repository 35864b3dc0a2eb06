#include "filelist/TimeValues.h"

namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

bool IsLeapYear(std::int64_t year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Days since 1970-01-01 of a proleptic Gregorian date, counted in 400-year eras so that dates
// before 1970 need no special case.
std::int64_t DaysFromCivil(std::int64_t year, int month, int day) {
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const std::int64_t yearOfEra = year - era * 400;
    const std::int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

CalendarTime CivilFromSeconds(std::int64_t seconds) {
    std::int64_t days = seconds / kSecondsPerDay;
    std::int64_t secondOfDay = seconds % kSecondsPerDay;
    if (secondOfDay < 0) {
        secondOfDay += kSecondsPerDay;
        --days;
    }
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const std::int64_t dayOfEra = days - era * 146097;
    const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;
    CalendarTime fields;
    fields.nDay = static_cast<int>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
    fields.nMonth = static_cast<int>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
    fields.nYear = static_cast<int>(yearOfEra + era * 400 + (fields.nMonth <= 2 ? 1 : 0));
    fields.nHour = static_cast<int>(secondOfDay / 3600);
    fields.nMinute = static_cast<int>(secondOfDay / 60 % 60);
    fields.nSecond = static_cast<int>(secondOfDay % 60);
    return fields;
}

// Only for fields already checked to lie in the calendar.
std::int64_t SecondsFromCivil(const CalendarTime& fields) {
    return DaysFromCivil(fields.nYear, fields.nMonth, fields.nDay) * kSecondsPerDay + fields.nHour * 3600 +
           fields.nMinute * 60 + fields.nSecond;
}

bool IsClockValid(const CalendarTime& fields) {
    return fields.nHour >= 0 && fields.nHour <= 23 && fields.nMinute >= 0 && fields.nMinute <= 59 &&
           fields.nSecond >= 0 && fields.nSecond <= 59;
}

void AppendTwoDigits(std::wstring& text, int value) {
    text.push_back(static_cast<wchar_t>(L'0' + value / 10));
    text.push_back(static_cast<wchar_t>(L'0' + value % 10));
}

}  // namespace

bool IsRepresentable(TimeSeconds t) {
    return t >= kMinTimeSeconds && t <= kMaxTimeSeconds;
}

std::optional<CalendarTime> SplitFileTime(std::uint64_t ticks) {
    if (ticks >> 63 != 0)
        return std::nullopt;
    return CivilFromSeconds(static_cast<std::int64_t>(ticks / kTicksPerSecond) - kSecondsFrom1601To1970);
}

std::optional<std::uint64_t> ComposeFileTime(const CalendarTime& fields) {
    if (fields.nYear < 1601 || fields.nYear > 30827 || fields.nMonth < 1 || fields.nMonth > 12 || fields.nDay < 1 ||
        fields.nDay > DaysInMonth(fields.nYear, fields.nMonth) || !IsClockValid(fields))
        return std::nullopt;
    return static_cast<std::uint64_t>(SecondsFromCivil(fields) + kSecondsFrom1601To1970) * kTicksPerSecond;
}

std::optional<CalendarTime> SplitTimeSecondsUtc(TimeSeconds t) {
    if (!IsRepresentable(t))
        return std::nullopt;
    return CivilFromSeconds(t);
}

std::optional<TimeSeconds> AcceptLocalTime(const CalendarTime& fields, std::int64_t converted) {
    if (fields.nYear < 1900)
        return 0;
    if (!IsRepresentable(converted))
        return std::nullopt;
    return converted;
}

std::optional<TimeSeconds> FileTimeToTimeSeconds(std::uint64_t ticks) {
    const std::optional<CalendarTime> fields = SplitFileTime(ticks);
    if (!fields)
        return 0;
    return AcceptLocalTime(*fields, SecondsFromCivil(*fields));
}

std::optional<std::uint64_t> TimeSecondsToFileTime(TimeSeconds t) {
    const std::optional<CalendarTime> fields = SplitTimeSecondsUtc(t);
    if (!fields)
        return std::nullopt;
    return ComposeFileTime(*fields);
}

void FillMissingTimes(FileStatus& status) {
    if (status.m_ctime == 0)
        status.m_ctime = status.m_mtime;
    if (status.m_atime == 0)
        status.m_atime = status.m_mtime;
}

std::tm ToMktimeInput(const CalendarTime& fields) {
    std::tm broken{};
    broken.tm_year = fields.nYear - 1900;
    broken.tm_mon = fields.nMonth - 1;
    broken.tm_mday = fields.nDay;
    broken.tm_hour = fields.nHour;
    broken.tm_min = fields.nMinute;
    broken.tm_sec = fields.nSecond;
    broken.tm_isdst = -1;
    return broken;
}

CalendarTime FromTm(const std::tm& broken) {
    CalendarTime fields;
    fields.nYear = broken.tm_year + 1900;
    fields.nMonth = broken.tm_mon + 1;
    fields.nDay = broken.tm_mday;
    fields.nHour = broken.tm_hour;
    fields.nMinute = broken.tm_min;
    fields.nSecond = broken.tm_sec;
    return fields;
}

std::wstring FormatListTimeFields(const CalendarTime& fields) {
    if (fields.nYear < 1900 || fields.nYear > 9999 || fields.nMonth < 1 || fields.nMonth > 12 || fields.nDay < 1 ||
        fields.nDay > 31 || !IsClockValid(fields))
        return {};
    std::wstring text;
    AppendTwoDigits(text, fields.nMonth);
    text.push_back(L'/');
    AppendTwoDigits(text, fields.nDay);
    text.push_back(L'/');
    AppendTwoDigits(text, fields.nYear % 100);
    text.push_back(L' ');
    AppendTwoDigits(text, fields.nHour);
    text.push_back(L':');
    AppendTwoDigits(text, fields.nMinute);
    text.push_back(L':');
    AppendTwoDigits(text, fields.nSecond);
    return text;
}
