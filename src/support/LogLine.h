// The error log's line text and its size bound, over the 8-bit bytes the file holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The local time of a line, with the four-digit year, month 1 to 12 and a 24-hour clock.
struct LogTime {
    int nYear = 0;
    int nMonth = 0;
    int nDay = 0;
    int nHour = 0;
    int nMinute = 0;
    int nSecond = 0;
};

// A file larger than this is cut before the next line is appended.
inline constexpr std::uint64_t kLogSizeLimit = 1048576;
// What the cut keeps: 1 MiB less 1 KiB.
inline constexpr std::size_t kLogKeptSize = 1047552;

// "[ver.<version> MM/DD/YYYY HH:MM:SS] <message>\r\n". Each number has at least two digits, so
// the year keeps all four. Like a C-string field, version and message end at a zero byte.
std::string FormatLogLine(std::string_view version, const LogTime& time, std::string_view message);

// Whether the file, at the size found when it is opened for a new line, is cut first; the
// line about to be written does not count.
bool NeedsLogTrim(std::uint64_t fileSize);

// The last kLogKeptSize bytes (all of a shorter text), cut without regard to lines, so the
// first line kept may be a fragment.
std::string_view LogTailToKeep(std::string_view contents);
