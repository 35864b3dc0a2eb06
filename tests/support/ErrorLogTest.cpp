#include "support/ErrorLog.h"

#include "TestSupport.h"
#include "support/Folders.h"

#include <gtest/gtest.h>

#include <regex>
#include <thread>

namespace {

class ErrorLogTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = GetAppDataFolder() + L"Quillmark";
        ASSERT_TRUE(RemoveTree(folder));
        log = folder + L"\\ErrorLog.txt";
    }
    void TearDown() override { RemoveTree(folder); }

    // A log of `size` bytes whose bytes tell their own position.
    void MakeLogOfSize(size_t size) {
        EnsureDirectory(folder);
        std::string bytes(size, '\0');
        for (size_t i = 0; i < size; ++i) {
            bytes[i] = static_cast<char>('a' + i % 26);
        }
        ASSERT_TRUE(WriteTestFile(log, bytes));
    }
    size_t CountLines(const std::string& text) const {
        size_t lines = 0;
        for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2)) {
            ++lines;
        }
        return lines;
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
    EXPECT_EQ(CountLines(ReadTestFile(log)), 2u);
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
        size_t before;
        size_t kept;
    };
    const Case cases[] = {
        {"exactly 1,048,576 bytes is kept whole", 1048576, 1048576},
        {"1,048,577 bytes is cut to its tail", 1048577, 1047552},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        MakeLogOfSize(c.before);
        LogError(L"after the cut");
        const std::string text = ReadTestFile(log);
        const std::string line = text.substr(c.kept);
        EXPECT_EQ(text.size(), c.kept + line.size());
        EXPECT_EQ(line.rfind("[ver.3.01 ", 0), 0u) << "the new line follows the kept bytes";
        // The kept bytes are the old file's last ones.
        const size_t firstKept = c.before - c.kept;
        EXPECT_EQ(text[0], static_cast<char>('a' + firstKept % 26));
        EXPECT_EQ(text[c.kept - 1], static_cast<char>('a' + (c.before - 1) % 26));
    }
}

TEST_F(ErrorLogTest, AFileTooLargeToReadIsKeptAndAppendedTo) {
    // Larger than a whole-file read takes: the cut cannot read it, so nothing may be lost.
    ASSERT_NE(EnsureDirectory(folder), 0);
    HANDLE file = ::CreateFileW(log.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    LARGE_INTEGER size{};
    size.QuadPart = kMaxWholeFileBytes + 1;
    ::SetFilePointerEx(file, size, nullptr, FILE_BEGIN);
    ::SetEndOfFile(file);
    ::CloseHandle(file);

    LogError(L"kept");
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(::GetFileAttributesExW(log.c_str(), GetFileExInfoStandard, &data));
    const ULONGLONG after = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    EXPECT_GT(after, static_cast<ULONGLONG>(size.QuadPart)) << "the old content stays and the line is added";
}

TEST_F(ErrorLogTest, WritersOfBothThreadsKeepTheirLines) {
    constexpr int kLinesEach = 40;
    std::thread worker([] {
        for (int i = 0; i < kLinesEach; ++i) LogError(L"worker %d", i);
    });
    for (int i = 0; i < kLinesEach; ++i) LogError(L"window %d", i);
    worker.join();
    EXPECT_EQ(CountLines(ReadTestFile(log)), 2u * kLinesEach);
}

TEST_F(ErrorLogTest, ABrieflyLockedFileIsWaitedFor) {
    LogError(L"first");
    HANDLE held = ::CreateFileW(log.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    std::thread release([held] {
        ::Sleep(60);
        ::CloseHandle(held);
    });
    LogError(L"second");
    release.join();
    EXPECT_NE(ReadTestFile(log).find("] second\r\n"), std::string::npos);
}

}  // namespace
