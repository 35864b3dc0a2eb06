#include "support/LogLine.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace {

TEST(LogLineTest, FormatsVersionStampAndMessage) {
    using namespace std::string_view_literals;
    struct Case {
        const char* label;
        std::string_view version;
        LogTime time;
        std::string_view message;
        const char* expected;
    };
    const Case cases[] = {
        {"month before day, four-digit year, padded clock",
         "3.01",
         {2008, 3, 7, 9, 5, 3},
         "Unable to load mapi32.dll.",
         "[ver.3.01 03/07/2008 09:05:03] Unable to load mapi32.dll.\r\n"},
        {"fields of two digits need no padding",
         "3.01",
         {2026, 12, 31, 23, 59, 58},
         "x",
         "[ver.3.01 12/31/2026 23:59:58] x\r\n"},
        {"midnight on the first", "3.01", {2000, 1, 1, 0, 0, 0}, "m", "[ver.3.01 01/01/2000 00:00:00] m\r\n"},
        {"year below 100 padded to two digits", "3.01", {5, 1, 1, 0, 0, 0}, "m", "[ver.3.01 01/01/05 00:00:00] m\r\n"},
        {"year of five digits kept whole",
         "3.01",
         {30827, 1, 1, 0, 0, 0},
         "m",
         "[ver.3.01 01/01/30827 00:00:00] m\r\n"},
        {"empty message still ends the line", "3.01", {2008, 3, 7, 9, 5, 3}, "", "[ver.3.01 03/07/2008 09:05:03] \r\n"},
        {"message bytes of the code page kept",
         "3.01",
         {2008, 3, 7, 9, 5, 3},
         "caf\xE9 ?",
         "[ver.3.01 03/07/2008 09:05:03] caf\xE9 ?\r\n"},
        {"percent signs in the message are text",
         "3.01",
         {2008, 3, 7, 9, 5, 3},
         "100% %d %s",
         "[ver.3.01 03/07/2008 09:05:03] 100% %d %s\r\n"},
        {"message ends at a zero byte",
         "3.01",
         {2008, 3, 7, 9, 5, 3},
         "cut\0here"sv,
         "[ver.3.01 03/07/2008 09:05:03] cut\r\n"},
        {"version ends at a zero byte",
         "3.01\0x"sv,
         {2008, 3, 7, 9, 5, 3},
         "m",
         "[ver.3.01 03/07/2008 09:05:03] m\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(FormatLogLine(c.version, c.time, c.message), c.expected);
    }
}

TEST(LogLineTest, TrimsOnlyAFileLargerThanOneMebibyte) {
    struct Case {
        const char* label;
        std::uint64_t size;
        bool trimmed;
    };
    const Case cases[] = {
        {"empty", 0, false},
        {"just below the kept size", 1047551, false},
        {"exactly the kept size", 1047552, false},
        {"one byte below 1 MiB", 1048575, false},
        {"exactly 1 MiB", 1048576, false},
        {"one byte over 1 MiB", 1048577, true},
        {"far over, beyond 4 GiB", 0x100000000ULL + 10, true},
        {"exactly 4 GiB, whose low word is 0", 0x100000000ULL, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(NeedsLogTrim(c.size), c.trimmed);
    }
}

TEST(LogLineTest, KeepsTheLastBytesWithoutRegardToLines) {
    struct Case {
        const char* label;
        std::uint64_t size;
        std::uint64_t start;
    };
    const Case cases[] = {
        {"empty", 0, 0},
        {"shorter than the kept size", 1000, 0},
        {"exactly the kept size", 1047552, 0},
        {"exactly 1 MiB", 1048576, 1024},
        {"one byte over 1 MiB", 1048577, 1025},
        {"70 MiB", 70ULL << 20, (70ULL << 20) - 1047552},
        {"beyond 4 GiB", 0x100000000ULL + 10, 0x100000000ULL + 10 - 1047552},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(LogTailStart(c.size), c.start);
    }

    // A 1,048,577-byte log of 64-byte lines is cut inside a line, and the new line follows the cut.
    const std::string line = FormatLogLine("3.01", {2008, 3, 7, 9, 5, 3}, std::string(31, 'x'));
    ASSERT_EQ(line.size(), 64u);
    std::string log;
    while (log.size() < 1048577)
        log += line;
    log.resize(1048577);
    ASSERT_TRUE(NeedsLogTrim(log.size()));
    std::string after = log.substr(static_cast<std::size_t>(LogTailStart(log.size())));
    after += line;
    EXPECT_EQ(after.size(), 1047552u + 64u);
    // 1,025 bytes go: sixteen whole lines and the first byte of the next.
    EXPECT_EQ(after.substr(0, 63), line.substr(1));
    EXPECT_EQ(after.substr(after.size() - 64), line);
}

TEST(LogLineTest, HeldLinesKeepTheirOrderWithinTheKeptSize) {
    // Lines of 1 KiB less their number's digits, so that the bound falls between whole lines.
    const auto numbered = [](int n) {
        std::string text = std::to_string(n);
        text.resize(1024, '.');
        return text;
    };
    struct Case {
        const char* label;
        int added;
        std::size_t written;  // bytes then reported written
        std::string expectedStart;
        std::size_t expectedCount;
    };
    const Case cases[] = {
        {"nothing written keeps all", 3, 0, numbered(0), 3},
        {"a whole line written goes", 3, 1024, numbered(1), 2},
        {"a part written keeps the rest of that line", 3, 1030, numbered(1).substr(6), 2},
        {"everything written leaves none", 3, 3 * 1024, "", 0},
        {"exactly the kept size stays whole", 1023, 0, numbered(0), 1023},
        {"past the kept size the oldest go", 1030, 0, numbered(7), 1023},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        HeldLogLines held;
        for (int n = 0; n < c.added; ++n)
            held.Add(numbered(n));
        ASSERT_LE(held.bytes(), kLogKeptSize);
        held.Consume(c.written);
        EXPECT_EQ(held.count(), c.expectedCount);
        const std::string joined = held.Joined();
        EXPECT_EQ(joined.size(), held.bytes());
        EXPECT_EQ(joined.substr(0, c.expectedStart.size()), c.expectedStart);
        if (c.expectedCount > 0) {
            EXPECT_EQ(joined.substr(joined.size() - 1024), numbered(c.added - 1)) << "the newest line is last";
        }
    }
}

}  // namespace
