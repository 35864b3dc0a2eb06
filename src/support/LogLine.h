// The error log's line text and its size bound, over the 8-bit bytes the file holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
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

// Where the kept part of a file of this size begins: the cut keeps its last kLogKeptSize bytes
// (all of a shorter file), without regard to lines, so the first line kept may be a fragment.
std::uint64_t LogTailStart(std::uint64_t fileSize);

// Lines that could not be written yet (another program holds the log, or it may not be written),
// oldest first, to be written in order once the file can be opened. They are bounded by the size
// a trim keeps: a line older than the newest kLogKeptSize bytes would be cut by the next trim
// anyway, so the oldest lines give way first.
class HeldLogLines {
public:
    void Add(std::string line);
    bool empty() const { return m_lines.empty(); }
    std::size_t count() const { return m_lines.size(); }
    std::size_t bytes() const { return m_bytes; }
    // Every held byte, in the order the lines were added.
    std::string Joined() const;
    // Forgets the first `written` bytes of Joined(); a line written in part keeps its rest, so a
    // short write is continued, not repeated.
    void Consume(std::size_t written);

private:
    std::deque<std::string> m_lines;
    std::size_t m_bytes = 0;
};
