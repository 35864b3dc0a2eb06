#include "support/SupportCommands.h"

#include "TestSupport.h"
#include "framework/TextConv.h"
#include "support/ErrorLog.h"
#include "support/Folders.h"
#include "support/MapiStandIn.h"

#include <mapi.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr wchar_t kFallbackNotice[] =
    L"Quillmark can not send the error report automatically through your email client. Please send the error "
    L"report using our web support https://help.larkwell.net/support/. Thank you";

// What the shell was asked to open, and the log's content at that moment.
struct Opened {
    std::wstring target;
    std::string logThen;
};
std::vector<Opened> g_opened;

void RecordOpen(const std::wstring& target) {
    g_opened.push_back({target, ReadTestFile(GetErrorLogPath())});
}

// The messages of the log's lines after the first `skip` bytes, without their time stamps.
std::vector<std::string> LogMessagesAfter(size_t skip) {
    const std::string log = ReadTestFile(GetErrorLogPath());
    std::vector<std::string> messages;
    size_t start = skip;
    while (start < log.size()) {
        const size_t end = log.find("\r\n", start);
        const std::string line = log.substr(start, end - start);
        const size_t stamp = line.find("] ");
        messages.push_back(stamp == std::string::npos ? line : line.substr(stamp + 2));
        if (end == std::string::npos) {
            break;
        }
        start = end + 2;
    }
    return messages;
}

class SupportCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_opened.clear();
        SetShellOpenFunction(RecordOpen);
        m_standIn = ::LoadLibraryW(StandInPath().c_str());
        ASSERT_NE(m_standIn, nullptr);
        m_record = reinterpret_cast<MapiStandInRecordFunction>(
            reinterpret_cast<void*>(::GetProcAddress(m_standIn, "StandInRecord")));
        m_setResult = reinterpret_cast<MapiStandInSetResultFunction>(
            reinterpret_cast<void*>(::GetProcAddress(m_standIn, "StandInSetResult")));
        ASSERT_TRUE(m_record && m_setResult);
    }
    void TearDown() override {
        SetShellOpenFunction(nullptr);
        SetMapiLibraryPath(L"");
        if (m_standIn) {
            ::FreeLibrary(m_standIn);
        }
    }
    static std::wstring StandInPath() { return GetModuleFolder() + L"mapi_standin.dll"; }

    HMODULE m_standIn = nullptr;
    MapiStandInRecordFunction m_record = nullptr;
    MapiStandInSetResultFunction m_setResult = nullptr;
};

TEST_F(SupportCommandsTest, ShellCommandsOpenTheirAddresses) {
    struct Case {
        const char* label;
        void (*command)();
        std::wstring expected;
    };
    const Case cases[] = {
        {"online help", ShowOnlineHelp, L"https://www.larkwell.com/quillmark/help/"},
        {"web site", OpenHomePage, L"https://www.larkwell.com/"},
        {"contact", OpenSupportPage, L"https://www.larkwell.com/support.htm"},
        {"error log", OpenErrorLog, GetErrorLogPath()},
        {"local help file", OpenLocalHelp, GetModuleFolder() + L"Quillmark.chm"},
    };
    for (const Case& c : cases) {
        g_opened.clear();
        c.command();
        ASSERT_EQ(g_opened.size(), 1u) << c.label;
        EXPECT_EQ(g_opened[0].target, c.expected) << c.label;
    }
}

TEST_F(SupportCommandsTest, SendErrorReportMailsOrFallsBack) {
    enum class Library { StandIn, WithoutSendMail, Missing };
    struct Case {
        const char* label;
        Library library;
        ULONG sendResult;
        bool mailed;                     // the stand-in got the mail
        std::vector<std::string> lines;  // new log lines
        bool fallback;                   // log opened and notice shown
    };
    const Case cases[] = {
        {"sent", Library::StandIn, 0, true, {}, false},
        {"user closed the compose window",
         Library::StandIn,
         1,
         true,
         {"Unable to send the error report via email: 1."},
         true},
        {"other failure code", Library::StandIn, 2, true, {"Unable to send the error report via email: 2."}, true},
        {"library without MAPISendMail", Library::WithoutSendMail, 0, false, {}, true},
        {"no MAPI at all", Library::Missing, 0, false, {"Unable to load mapi32.dll."}, true},
    };
    LogError(L"a line that is there before");
    for (const Case& c : cases) {
        g_opened.clear();
        m_setResult(c.sendResult);
        const int callsBefore = m_record()->nCalls;
        switch (c.library) {
            case Library::StandIn:
                SetMapiLibraryPath(StandInPath());
                break;
            case Library::WithoutSendMail:  // a real library that exports no such function
                SetMapiLibraryPath(GetModuleFolder() + L"win_tests.exe");
                break;
            case Library::Missing:
                SetMapiLibraryPath(GetModuleFolder() + L"no-such-folder\\mapi32.dll");
                break;
        }
        const size_t logBefore = ReadTestFile(GetErrorLogPath()).size();
        EXPECT_EQ(SendErrorReport(), !c.fallback) << c.label;

        EXPECT_EQ(m_record()->nCalls - callsBefore, c.mailed ? 1 : 0) << c.label;
        EXPECT_EQ(LogMessagesAfter(logBefore), c.lines) << c.label;
        if (!c.fallback) {
            EXPECT_TRUE(g_opened.empty()) << c.label;
            continue;
        }
        ASSERT_EQ(g_opened.size(), 1u) << c.label;
        EXPECT_EQ(g_opened[0].target, GetErrorLogPath()) << c.label;
        // The failure is in the log by the time the log is opened.
        EXPECT_EQ(g_opened[0].logThen.size(), ReadTestFile(GetErrorLogPath()).size()) << c.label;
    }
    EXPECT_EQ(ErrorReportFallbackNotice(), kFallbackNotice);
}

TEST_F(SupportCommandsTest, TheMailHasExactlyTheFieldsOfAReport) {
    SetMapiLibraryPath(StandInPath());
    m_setResult(0);
    EXPECT_TRUE(SendErrorReport());
    const MapiStandInCall& call = *m_record();
    EXPECT_EQ(call.session, 0u);
    EXPECT_EQ(call.uiParam, 0u);
    EXPECT_EQ(call.flags, static_cast<ULONG>(MAPI_DIALOG));
    EXPECT_EQ(call.reserved, 0u);
    EXPECT_EQ(call.messageReserved, 0u);
    EXPECT_EQ(call.messageFlags, 0u);
    EXPECT_TRUE(call.nullFields);
    EXPECT_STREQ(call.subject, "Error report from Larkwell");
    EXPECT_EQ(call.recipCount, 1u);
    EXPECT_EQ(call.recipReserved, 0u);
    EXPECT_EQ(call.recipClass, static_cast<ULONG>(MAPI_TO));
    EXPECT_STREQ(call.recipName, "Support");
    EXPECT_STREQ(call.recipAddress, "SMTP:support@larkwell.com");
    EXPECT_EQ(call.recipEntryIdSize, 0u);
    EXPECT_TRUE(call.recipEntryIdNull);
    EXPECT_EQ(call.fileCount, 1u);
    EXPECT_EQ(call.fileReserved, 0u);
    EXPECT_EQ(call.fileFlags, 0u);
    EXPECT_EQ(call.filePosition, 0xFFFFFFFFu);
    EXPECT_EQ(std::string(call.filePath), ToAnsi(GetErrorLogPath()));
    EXPECT_STREQ(call.fileName, "ErrorLog.txt");
    EXPECT_TRUE(call.fileTypeNull);
}

TEST_F(SupportCommandsTest, AttachmentPathOutsideTheCodePageStillNamesTheFile) {
    ScopedTempDir dir;
    // Cyrillic, Greek and Han together: no single ANSI code page has all three.
    const std::wstring folder = dir.path() + L"\x0416\x03A9\x4E2D report";
    ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
    const std::wstring path = folder + L"\\ErrorLog.txt";
    ASSERT_TRUE(WriteTestFile(path, "line\r\n"));
    ASSERT_NE(ToWide(ToAnsi(path)), path) << "the code page holds every character; nothing to show";

    const std::string handed = MapiAttachmentPath(path);
    EXPECT_NE(::GetFileAttributesA(handed.c_str()), INVALID_FILE_ATTRIBUTES) << handed;
    // A path the code page can spell is handed over as it is.
    const std::wstring plain = dir.path() + L"ErrorLog.txt";
    EXPECT_EQ(MapiAttachmentPath(plain), ToAnsi(plain));
}

}  // namespace
