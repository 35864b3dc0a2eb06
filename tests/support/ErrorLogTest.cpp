#include "support/ErrorLog.h"

#include "TestSupport.h"
#include "support/Folders.h"

#include <gtest/gtest.h>

#include <regex>
#include <thread>
#include <vector>

namespace {

class ErrorLogTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = GetAppDataFolder() + L"Quillmark";
        log = folder + L"\\ErrorLog.txt";
        ASSERT_EQ(GetErrorLogPath(), log);
        FlushErrorLog();  // a fresh wait allowance, and nothing held from an earlier test
        ASSERT_TRUE(RemoveTree(folder));
        ASSERT_EQ(HeldErrorLogLines(), 0u);
        waitedMs = 0;
        SetErrorLogSleep([](unsigned ms) { waitedMs += ms; });
    }
    void TearDown() override {
        SetErrorLogSleep(nullptr);
        RemoveTree(folder);
    }

    // What the log asked to wait for a busy file; the tests do not really wait.
    static inline unsigned waitedMs = 0;

    // A log of `size` bytes whose last 2 MiB tell their own position (the rest is left sparse).
    void MakeLogOfSize(unsigned long long size) {
        EnsureDirectory(folder);
        const unsigned long long from = size > (2u << 20) ? size - (2u << 20) : 0;
        std::string bytes(static_cast<size_t>(size - from), '\0');
        for (size_t i = 0; i < bytes.size(); ++i) {
            bytes[i] = PatternAt(from + i);
        }
        HANDLE file = ::CreateFileW(log.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        LARGE_INTEGER start{};
        start.QuadPart = static_cast<LONGLONG>(from);
        DWORD written = 0;
        const bool ok = ::SetFilePointerEx(file, start, nullptr, FILE_BEGIN) &&
                        ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                        written == bytes.size();
        ::CloseHandle(file);
        ASSERT_TRUE(ok);
    }
    static char PatternAt(unsigned long long position) { return static_cast<char>('a' + position % 26); }
    // The message of every line, in file order.
    static std::vector<std::string> Messages(const std::string& text) {
        std::vector<std::string> messages;
        for (size_t at = 0, end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2) {
            const size_t start = text.find("] ", at);
            messages.push_back(start < end ? text.substr(start + 2, end - start - 2) : text.substr(at, end - at));
        }
        return messages;
    }

    std::wstring folder;
    std::wstring log;
};

TEST_F(ErrorLogTest, FirstCallCreatesTheFolderAndOneLine) {
    ASSERT_FALSE(PathExists(folder));
    LogError(L"(SetDirTime) Directory open failed, error: %d", 32);
    const std::string text = ReadTestFile(log);
    EXPECT_TRUE(std::regex_match(text, std::regex(R"(\[ver\.3\.01 \d\d/\d\d/\d{4} \d\d:\d\d:\d\d\] )"
                                                  R"(\(SetDirTime\) Directory open failed, error: 32\r\n)")))
        << text;
    LogError(L"%s and %u", L"second", 7u);
    EXPECT_EQ(Messages(ReadTestFile(log)).size(), 2u);
    EXPECT_NE(ReadTestFile(log).find("] second and 7\r\n"), std::string::npos);
}

TEST_F(ErrorLogTest, CharactersOutsideTheCodePageBecomeItsDefaultCharacter) {
    LogError(L"name \u4E2D\u6587.txt");
    EXPECT_NE(ReadTestFile(log).find("] name ??.txt\r\n"), std::string::npos);
}

TEST_F(ErrorLogTest, LongMessagesAreCutAtTheFormattingBuffer) {
    const std::wstring huge(5000, L'x');
    LogError(L"%s", huge.c_str());
    const std::string text = ReadTestFile(log);
    const size_t start = text.find("] ") + 2;
    const size_t length = text.size() - start - 2;
    EXPECT_GT(length, 1000u);
    EXPECT_LT(length, 1024u);
}

TEST_F(ErrorLogTest, TrimsOnlyAFileLargerThanOneMebibyte) {
    struct Case {
        const char* label;
        unsigned long long before;
        size_t kept;
    };
    const Case cases[] = {
        {"exactly 1,048,576 bytes is kept whole", 1048576, 1048576},
        {"1,048,577 bytes is cut to its tail", 1048577, 1047552},
        {"70 MiB, more than a whole-file read takes, is cut to its tail", 70ULL << 20, 1047552},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        MakeLogOfSize(c.before);
        LogError(L"after the cut");
        const std::string text = ReadTestFile(log);
        ASSERT_GT(text.size(), c.kept);
        const std::string line = text.substr(c.kept);
        EXPECT_EQ(line.rfind("[ver.3.01 ", 0), 0u) << "the new line follows the kept bytes";
        EXPECT_EQ(line.find("\r\n"), line.size() - 2) << "and is the only line after them";
        // The kept bytes are the old file's last ones.
        const unsigned long long firstKept = c.before - c.kept;
        for (size_t i = 0; i < c.kept; i += 4093) {
            ASSERT_EQ(text[i], PatternAt(firstKept + i)) << "at " << i;
        }
        EXPECT_EQ(text[c.kept - 1], PatternAt(c.before - 1));
    }
}

TEST_F(ErrorLogTest, WritersOfBothThreadsKeepTheirLines) {
    constexpr int kLinesEach = 40;
    std::thread worker([] {
        for (int i = 0; i < kLinesEach; ++i)
            LogError(L"worker %d", i);
    });
    for (int i = 0; i < kLinesEach; ++i)
        LogError(L"window %d", i);
    worker.join();
    EXPECT_EQ(Messages(ReadTestFile(log)).size(), 2u * kLinesEach);
}

TEST_F(ErrorLogTest, AHeldLogLosesNoLineAndWaitsBoundedInAll) {
    for (const bool endsWithAWrite : {true, false}) {
        SCOPED_TRACE(endsWithAWrite ? "written by the next line" : "written at the end of the pass");
        FlushErrorLog();
        DeleteFileIfExists(log);
        waitedMs = 0;
        LogError(L"first");
        std::vector<std::string> expected{"first"};
        // Another program holds the log without sharing while a pass writes its lines.
        HANDLE held = ::CreateFileW(log.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        for (int i = 0; i < 30; ++i) {
            LogError(L"held %d", i);
            expected.push_back("held " + std::to_string(i));
        }
        EXPECT_EQ(HeldErrorLogLines(), 30u);
        ::CloseHandle(held);
        EXPECT_GT(waitedMs, 0u) << "a busy log is waited for a little";
        EXPECT_LE(waitedMs, kLogRetryBudget * kLogRetryDelayMs) << "the waits of all the lines together are bounded";
        EXPECT_EQ(Messages(ReadTestFile(log)).size(), 1u);

        if (endsWithAWrite) {
            LogError(L"after");
            expected.push_back("after");
        } else {
            FlushErrorLog();
        }
        EXPECT_EQ(HeldErrorLogLines(), 0u);
        EXPECT_EQ(Messages(ReadTestFile(log)), expected) << "every line, in the order it was logged";
    }
}

class ErrorLogPermissions : public ErrorLogTest {};

TEST_F(ErrorLogPermissions, ALogTheUserMayNotWriteKeepsItsLines) {
    SKIP_UNLESS_READONLY_ENFORCED();
    LogError(L"first");
    ASSERT_TRUE(::SetFileAttributesW(log.c_str(), FILE_ATTRIBUTE_READONLY));
    LogError(L"refused %d", 1);
    LogError(L"refused %d", 2);
    EXPECT_EQ(HeldErrorLogLines(), 2u);
    EXPECT_EQ(waitedMs, 0u) << "access denied is not waited for";
    EXPECT_EQ(Messages(ReadTestFile(log)), std::vector<std::string>{"first"});

    ASSERT_TRUE(::SetFileAttributesW(log.c_str(), FILE_ATTRIBUTE_NORMAL));
    FlushErrorLog();
    EXPECT_EQ(Messages(ReadTestFile(log)), (std::vector<std::string>{"first", "refused 1", "refused 2"}));
}

}  // namespace
