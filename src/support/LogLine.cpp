#include "support/LogLine.h"

#include <cstdio>

namespace {

std::string_view UpToZero(std::string_view text) {
    return text.substr(0, text.find('\0'));
}

} // namespace

std::string FormatLogLine(std::string_view version, const LogTime& time, std::string_view message) {
    char stamp[80];
    const int length = std::snprintf(stamp, sizeof stamp, " %02d/%02d/%02d %02d:%02d:%02d] ", time.nMonth,
                                     time.nDay, time.nYear, time.nHour, time.nMinute, time.nSecond);
    std::string line = "[ver.";
    line += UpToZero(version);
    line.append(stamp, static_cast<std::size_t>(length));
    line += UpToZero(message);
    line += "\r\n";
    return line;
}

bool NeedsLogTrim(std::uint64_t fileSize) {
    return fileSize > kLogSizeLimit;
}

std::string_view LogTailToKeep(std::string_view contents) {
    return contents.size() > kLogKeptSize ? contents.substr(contents.size() - kLogKeptSize) : contents;
}
