#include "support/LogLine.h"

#include <cstdio>
#include <utility>

namespace {

std::string_view UpToZero(std::string_view text) {
    return text.substr(0, text.find('\0'));
}

}  // namespace

std::string FormatLogLine(std::string_view version, const LogTime& time, std::string_view message) {
    char stamp[80];
    const int length = std::snprintf(stamp, sizeof stamp, " %02d/%02d/%02d %02d:%02d:%02d] ", time.nMonth, time.nDay,
                                     time.nYear, time.nHour, time.nMinute, time.nSecond);
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

std::uint64_t LogTailStart(std::uint64_t fileSize) {
    return fileSize > kLogKeptSize ? fileSize - kLogKeptSize : 0;
}

void HeldLogLines::Add(std::string line) {
    m_bytes += line.size();
    m_lines.push_back(std::move(line));
    while (m_bytes > kLogKeptSize && m_lines.size() > 1) {
        m_bytes -= m_lines.front().size();
        m_lines.pop_front();
    }
}

std::string HeldLogLines::Joined() const {
    std::string joined;
    joined.reserve(m_bytes);
    for (const std::string& line : m_lines) {
        joined += line;
    }
    return joined;
}

void HeldLogLines::Consume(std::size_t written) {
    while (written > 0 && !m_lines.empty()) {
        std::string& first = m_lines.front();
        const std::size_t part = written < first.size() ? written : first.size();
        first.erase(0, part);
        m_bytes -= part;
        written -= part;
        if (first.empty()) {
            m_lines.pop_front();
        }
    }
}
