// Winsock before any header that brings windows.h.
#include "update/TestHttpServer.h"

#include "update/UpdateChecker.h"

#include "BoxAnswerer.h"
#include "MainDlgFixture.h"
#include "TestSupport.h"
#include "dialogs/MacMessageDlg.h"
#include "framework/TextConv.h"
#include "resources/resource.h"
#include "support/ErrorLog.h"
#include "support/Folders.h"
#include "update/InstallerSignature.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

const std::wstring kQuestion302 =
    L"A new version 3.02 is available, do you want to update your Quillmark now? (the current running Quillmark "
    L"will be closed.)";
constexpr wchar_t kLatestNotice[] = L"Your Quillmark is already the latest one.";
constexpr wchar_t kLocalConnectionNotice[] = L"Can not connect to 127.0.0.1. Please check your network connection.";
constexpr wchar_t kNotSignedNotice[] =
    L"The downloaded installer is not signed by the maker of Quillmark. It was deleted and nothing was run.";
constexpr wchar_t kNotInstallerNotice[] =
    L"The downloaded file is signed by the maker of Quillmark but is not its installer. It was deleted and nothing "
    L"was run.";
constexpr wchar_t kOtherVersionNotice[] =
    L"The downloaded installer is not the one of version 3.02. It was deleted and nothing was run.";

// What someone else could do to the file while the update is about to start it.
struct SwapAttempts {
    bool bWritten = true;
    bool bRenamed = true;
    bool bDeleted = true;
};
std::vector<std::wstring> g_launched;
SwapAttempts g_swap;
bool RecordLaunch(const std::wstring& path) {
    g_launched.push_back(path);
    const HANDLE writer =
        ::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                      OPEN_EXISTING, 0, nullptr);
    g_swap.bWritten = writer != INVALID_HANDLE_VALUE;
    if (g_swap.bWritten) {
        ::CloseHandle(writer);
    }
    g_swap.bRenamed = ::MoveFileW(path.c_str(), (path + L".swapped").c_str()) != 0;
    g_swap.bDeleted = ::DeleteFileW(path.c_str()) != 0;
    return true;
}

// The main window's stand-in counts the closes it is asked for, whichever loop dispatches them.
int g_closesPosted = 0;
LRESULT CALLBACK CountingWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_UPDATE_INSTALLER_STARTED) {
        ++g_closesPosted;
        return 0;
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

DWORD WINAPI WaitForEvent(LPVOID event) noexcept {
    return ::WaitForSingleObject(event, INFINITE);
}

std::string LogText() {
    return ReadTestFile(GetErrorLogPath());
}

void PumpUntilThreadEnds(HANDLE thread) {
    while (::MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
        PumpMessages();
    }
}

std::vector<std::wstring> Texts(const BoxAnswerer& answerer) {
    std::vector<std::wstring> texts;
    for (const BoxAnswerer::Box& box : answerer.boxes()) {
        texts.push_back(box.text);
    }
    return texts;
}

class UpdateCheckerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.started());
        PointAt(server.root());
        SetInstallerLauncher(RecordLaunch);
        g_launched.clear();
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = CountingWindowProc;
        windowClass.lpszClassName = L"UpdateTestMainWindow";
        ::RegisterClassW(&windowClass);
        window = ::CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr,
                                   nullptr);
        g_closesPosted = 0;
        checker.m_hMainWnd = window;
        checker.m_nTheme = 4;
    }
    void TearDown() override {
        ::SetEnvironmentVariableW(L"QUILLMARK_UPDATE_URL", nullptr);
        SetInstallerLauncher(nullptr);
        ::DestroyWindow(window);
    }
    static void PointAt(const std::wstring& root) { ::SetEnvironmentVariableW(L"QUILLMARK_UPDATE_URL", root.c_str()); }
    // The closes posted since the last call.
    int ClosesPosted() {
        PumpMessages();
        return std::exchange(g_closesPosted, 0);
    }
    // Runs one check, interactive on this thread or automatic on its own, answering the boxes.
    std::vector<std::wstring> Check(bool interactive, const std::wstring& product, std::deque<bool> answers,
                                    DWORD* boxThread = nullptr) {
        BoxAnswerer answerer(std::move(answers));
        if (interactive) {
            checker.CheckForUpdate(true, product);
        } else {
            checker.StartAutoUpdate(product);
            EXPECT_NE(checker.m_hAutoThread, nullptr);
            if (checker.m_hAutoThread) {
                PumpUntilThreadEnds(checker.m_hAutoThread);
            }
            EXPECT_FALSE(checker.IsAutoUpdateRunning());
        }
        if (boxThread && !answerer.boxes().empty()) {
            *boxThread = answerer.boxes()[0].thread;
        }
        return Texts(answerer);
    }

    TestHttpServer server;
    CUpdateChecker checker;
    HWND window = nullptr;
};

TEST_F(UpdateCheckerTest, WhatEachServerVersionShows) {
    struct Case {
        const char* label;
        std::optional<std::string> versionFile;  // none: the server answers with its 404 page
        std::wstring interactiveShows;
        bool automaticAsks;
    };
    const Case cases[] = {
        {"next hundredth", "3.02", kQuestion302, true},
        {"one tenth", "3.1",
         L"A new version 3.1 is available, do you want to update your Quillmark now? (the current "
         L"running Quillmark will be closed.)",
         true},
        {"the same version", "3.01", kLatestNotice, false},
        {"the same version and a line break", "3.01\r\n", kLatestNotice, false},
        {"major version 10", "10.0",
         L"A new version 10.0 is available, do you want to update your Quillmark now? "
         L"(the current running Quillmark will be closed.)",
         true},
        {"ten characters", "0123456789", kLocalConnectionNotice, false},
        {"missing file", std::nullopt, kLocalConnectionNotice, false},
    };
    int n = 0;
    for (const Case& c : cases) {
        for (const bool interactive : {true, false}) {
            // A product name of its own per run: each version file is a fresh address.
            const std::wstring product = L"Case" + std::to_wstring(++n);
            if (c.versionFile) {
                server.Serve("/" + Narrow(product) + ".ver", *c.versionFile);
            }
            DWORD boxThread = 0;
            const std::vector<std::wstring> shown = Check(interactive, product, {false}, &boxThread);
            const bool asks = !c.interactiveShows.starts_with(L"A new version");
            std::vector<std::wstring> expected;
            if (interactive || (c.automaticAsks && !asks)) {
                expected.push_back(c.interactiveShows);
            }
            EXPECT_EQ(shown, expected) << c.label << (interactive ? " (interactive)" : " (automatic)");
            if (!expected.empty()) {
                EXPECT_EQ(boxThread == ::GetCurrentThreadId(), interactive) << c.label << ": the box's thread";
            }
            EXPECT_EQ(server.requests().back(), "/" + Narrow(product) + ".ver") << c.label;
            EXPECT_TRUE(g_launched.empty()) << c.label;
        }
    }
}

TEST_F(UpdateCheckerTest, NoServerLogsTheFailedDownload) {
    PointAt(L"http://127.0.0.1:1/");
    for (const bool interactive : {true, false}) {
        const size_t before = LogText().size();
        const std::vector<std::wstring> shown = Check(interactive, L"Quillmark", {});
        EXPECT_EQ(shown, interactive ? std::vector<std::wstring>{kLocalConnectionNotice} : std::vector<std::wstring>{});

        const std::string added = LogText().substr(before);
        const size_t stamp = added.find("] ");
        ASSERT_NE(stamp, std::string::npos) << added;
        const std::string line = added.substr(stamp + 2);
        const std::string head =
            "(CUpdateChecker::ReadServerContent) DownloadToFile failed on http://127.0.0.1:1/Quillmark.ver, file: " +
            ToAnsi(GetTempFolder()) + "svc";
        ASSERT_EQ(line.substr(0, head.size()), head) << line;
        const size_t tmp = line.find(".tmp, error: 0X", head.size());
        ASSERT_NE(tmp, std::string::npos) << line;
        const std::string code = line.substr(tmp + 15);
        ASSERT_EQ(code.size(), 11u) << line;  // eight digits, ".", CR LF
        EXPECT_EQ(code.find_first_not_of("0123456789ABCDEF"), 8u) << line;
        EXPECT_EQ(code.substr(8), ".\r\n") << line;
        // The temporary file is gone.
        const size_t file = line.find("file: ") + 6;
        EXPECT_FALSE(PathExists(ToWide(line.substr(file, tmp + 4 - file)))) << line;
    }
}

TEST_F(UpdateCheckerTest, OnlyTheVendorsInstallerOfTheOfferedVersionIsStarted) {
    struct Case {
        const char* label;
        const wchar_t* installer;  // built beside the tests
        bool interactive;
        bool started;
        std::wstring notice;  // after the question
        const char* logged;   // part of the new log line
    };
    const Case cases[] = {
        {"signed by the vendor", L"installer-vendor.exe", true, true, L"", nullptr},
        {"signed by the vendor, automatic check", L"installer-vendor.exe", false, true, L"", nullptr},
        {"signed with the vendor's next key", L"installer-next.exe", true, true, L"", nullptr},
        {"signed by another signer", L"installer-other.exe", true, false, kNotSignedNotice,
         "is not the vendor's installer of version 3.02 (), error: 0X"},  // Wine: 0, no trusted root needed
        {"not signed", L"installer-unsigned.exe", true, false, kNotSignedNotice, "error: 0X800B0100. It was deleted."},
        {"not signed, automatic check", L"installer-unsigned.exe", false, false, kNotSignedNotice,
         "is not the vendor's installer"},
        {"signed by the vendor, then one byte changed", L"installer-tampered.exe", true, false, kNotSignedNotice,
         "error: 0X80096010. It was deleted."},
        {"the vendor's installer of 3.01", L"installer-older.exe", true, false, kOtherVersionNotice,
         "(signed as \"Quillmark installer\", Quillmark 3.01, Quillmark-3.01-"},
        {"the vendor's uninstaller", L"uninstaller-vendor.exe", true, false, kNotInstallerNotice,
         "(signed as \"Quillmark uninstaller\", Quillmark 3.02"},
        {"the vendor's program", L"program-vendor.exe", false, false, kNotInstallerNotice,
         "(signed as \"Quillmark\", Quillmark 3.02"},
    };
    // The package of the server's version built for this program's word size.
    const std::string name = sizeof(void*) == 8 ? "Quillmark-3.02-x64-setup.exe" : "Quillmark-3.02-setup.exe";
    const std::wstring prefix = GetTempFolder() + L"Quillmark-update-";
    int n = 0;
    for (const Case& c : cases) {
        g_launched.clear();
        g_swap = SwapAttempts{};
        const std::wstring product = L"Sign" + std::to_wstring(++n);
        server.Serve("/" + Narrow(product) + ".ver", "3.02");
        server.Serve("/download/" + name, ReadTestFile(GetModuleFolder() + c.installer));
        const size_t logBefore = LogText().size();

        const std::vector<std::wstring> shown = Check(c.interactive, product, {true});
        std::vector<std::wstring> expected{kQuestion302};
        if (!c.notice.empty()) {
            expected.push_back(c.notice);
        }
        EXPECT_EQ(shown, expected) << c.label;
        EXPECT_EQ(server.requests().back(), "/download/" + name) << c.label;
        ASSERT_EQ(g_launched.size(), c.started ? 1u : 0u) << c.label;
        EXPECT_EQ(ClosesPosted(), c.started ? 1 : 0) << c.label;
        const std::string added = LogText().substr(logBefore);
        if (c.logged) {
            EXPECT_NE(added.find(c.logged), std::string::npos) << c.label << ": " << added;
        } else {
            EXPECT_EQ(added, "") << c.label;
        }
        if (c.started) {
            // A folder of its own with a name of 16 random hexadecimal digits, the file under its
            // own name; held against every change until it had started.
            const std::wstring& path = g_launched[0];
            ASSERT_EQ(path.substr(0, prefix.size()), prefix) << c.label;
            EXPECT_EQ(path.find_first_not_of(L"0123456789abcdef", prefix.size()), prefix.size() + 16) << Narrow(path);
            EXPECT_EQ(path.substr(prefix.size() + 16), L"\\" + ToWide(name)) << c.label;
            EXPECT_FALSE(g_swap.bWritten || g_swap.bRenamed || g_swap.bDeleted) << c.label << ": the file was changed";
            EXPECT_TRUE(PathExists(path)) << c.label << ": the started installer stays until the next start";
            CUpdateChecker nextStart;
            EXPECT_FALSE(PathExists(path.substr(0, prefix.size() + 16))) << c.label << ": gone at the next start";
        }
        WIN32_FIND_DATAW found{};
        const HANDLE left = ::FindFirstFileW((prefix + L"*").c_str(), &found);
        EXPECT_EQ(left, INVALID_HANDLE_VALUE) << c.label << ": a download folder was left: " << Narrow(found.cFileName);
        if (left != INVALID_HANDLE_VALUE) {
            ::FindClose(left);
        }
    }
}

TEST_F(UpdateCheckerTest, ARedirectAwayFromHttpsIsRefused) {
    const std::string name = sizeof(void*) == 8 ? "Quillmark-3.02-x64-setup.exe" : "Quillmark-3.02-setup.exe";
    const std::string elsewhere = "http://localhost:" + Narrow(server.root().substr(17));  // "http://127.0.0.1:" cut
    server.Serve("/Redirected.ver", "3.02");
    server.Redirect("/download/" + name, elsewhere + "plain/" + name);
    server.Serve("/plain/" + name, ReadTestFile(GetModuleFolder() + L"installer-vendor.exe"));
    server.Redirect("/Sent.ver", elsewhere + "plain/Sent.ver");
    server.Serve("/plain/Sent.ver", "3.02");
    const size_t logBefore = LogText().size();

    EXPECT_EQ(Check(true, L"Redirected", {true}),
              (std::vector<std::wstring>{kQuestion302,
                                         L"The server sent the download of the new version to an address "
                                         L"that is not secure (not HTTPS). Nothing was downloaded or run."}));
    EXPECT_EQ(Check(true, L"Sent", {true}), std::vector<std::wstring>{kLocalConnectionNotice}) << "the version file";
    for (const std::string& path : server.requests()) {
        EXPECT_NE(path.substr(0, 7), "/plain/") << "the redirect was followed";
    }
    EXPECT_TRUE(g_launched.empty());
    const std::string added = LogText().substr(logBefore);
    EXPECT_NE(added.find("was redirected to " + elsewhere + "plain/" + name + ", which is not an HTTPS address"),
              std::string::npos)
        << added;
    EXPECT_NE(added.find("was redirected to " + elsewhere + "plain/Sent.ver"), std::string::npos) << added;
}

TEST_F(UpdateCheckerTest, InteractiveCheckIsRefusedWhileTheAutomaticOneRuns) {
    server.Serve("/Busy.ver", "3.01");
    // A thread standing in for a running automatic check.
    const HANDLE release = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    const HANDLE busy = ::CreateThread(nullptr, 0, WaitForEvent, release, 0, nullptr);
    ASSERT_NE(busy, nullptr);
    checker.m_hAutoThread = busy;

    EXPECT_EQ(Check(true, L"Busy", {}),
              std::vector<std::wstring>{L"A check for a new version is already running. Please try again when it has "
                                        L"finished."});
    checker.StartAutoUpdate(L"Busy");
    EXPECT_EQ(checker.m_hAutoThread, busy) << "no second automatic check";
    EXPECT_TRUE(server.requests().empty());

    ::SetEvent(release);
    ::WaitForSingleObject(busy, INFINITE);
    EXPECT_EQ(Check(true, L"Busy", {}), std::vector<std::wstring>{kLatestNotice});
    EXPECT_EQ(checker.m_hAutoThread, nullptr);
    ::CloseHandle(release);
}

TEST_F(UpdateCheckerTest, AutomaticCheckOutlivesItsComponent) {
    server.Serve("/Orphan.ver", "3.02");
    BoxAnswerer answerer({false});
    HANDLE thread = nullptr;
    {
        auto owner = std::make_unique<CUpdateChecker>();
        owner->m_nTheme = 9;
        owner->StartAutoUpdate(L"Orphan");
        ASSERT_TRUE(::DuplicateHandle(::GetCurrentProcess(), owner->m_hAutoThread, ::GetCurrentProcess(), &thread, 0,
                                      FALSE, DUPLICATE_SAME_ACCESS));
    }  // destroyed while its check runs
    PumpUntilThreadEnds(thread);
    DWORD code = 1;
    ::GetExitCodeThread(thread, &code);
    ::CloseHandle(thread);
    EXPECT_EQ(code, 0u);
    ASSERT_EQ(answerer.boxes().size(), 1u);
    EXPECT_EQ(answerer.boxes()[0].text, kQuestion302);
    EXPECT_EQ(answerer.boxes()[0].theme, 9);
}

// This test program carries the test vendor's keys the way a release carries its certificate's.
TEST(InstallerCheckTest, OnlyTheTrustedKeysSignatureIsAccepted) {
    // A program built without a certificate: the unsigned sample has no key resources.
    const std::wstring keyless = GetModuleFolder() + L"installer-unsigned.exe";
    const HMODULE noKeys = ::LoadLibraryExW(keyless.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(noKeys, nullptr);
    struct Case {
        const char* label;
        HMODULE program;
        const wchar_t* file;
        InstallerVerdict expected;
        const wchar_t* offeredVersion = L"3.02";
        bool otherWordSize = false;  // the offer names the other build's installer
    };
    const Case cases[] = {
        {"current key", nullptr, L"installer-vendor.exe", InstallerVerdict::Accepted},
        {"next key", nullptr, L"installer-next.exe", InstallerVerdict::Accepted},
        {"another signer", nullptr, L"installer-other.exe", InstallerVerdict::OtherSigner},
        {"unsigned", nullptr, L"installer-unsigned.exe", InstallerVerdict::BadSignature},
        {"changed after signing", nullptr, L"installer-tampered.exe", InstallerVerdict::BadSignature},
        {"a build without a key, vendor's file", noKeys, L"installer-vendor.exe", InstallerVerdict::NoTrustedKey},
        {"3.02 offered, 3.01 sent", nullptr, L"installer-older.exe", InstallerVerdict::OtherVersion},
        {"3.01 offered, 3.02 sent", nullptr, L"installer-vendor.exe", InstallerVerdict::OtherVersion, L"3.01"},
        {"3.1 offered, 3.02 sent", nullptr, L"installer-vendor.exe", InstallerVerdict::OtherVersion, L"3.1"},
        {"the other word size's installer", nullptr, L"installer-vendor.exe", InstallerVerdict::NotAnInstaller, L"3.02",
         true},
        {"signed as the uninstaller", nullptr, L"uninstaller-vendor.exe", InstallerVerdict::NotAnInstaller},
        {"signed as the program", nullptr, L"program-vendor.exe", InstallerVerdict::NotAnInstaller},
    };
    EXPECT_EQ(ReadTrustedKeys().size(), 2u) << "the current and the next key";
    EXPECT_TRUE(ReadTrustedKeys(noKeys).empty());
    for (const Case& c : cases) {
        const std::wstring path = GetModuleFolder() + c.file;
        const HANDLE file =
            ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE) << c.label;
        const bool bits64 = (sizeof(void*) == 8) != c.otherWordSize;
        const OfferedInstaller offer{c.offeredVersion, L"Quillmark-" + std::wstring(c.offeredVersion) +
                                                           (bits64 ? L"-x64-setup.exe" : L"-setup.exe")};
        EXPECT_EQ(CheckInstaller(file, path, offer, c.program).verdict, c.expected) << c.label;
        ::CloseHandle(file);
    }
    ::FreeLibrary(noKeys);
}

// The main window closes for a started installer, but never inside a pass.
class UpdateCloseTest : public MainDlgFixture {};

TEST_F(UpdateCloseTest, ClosesBetweenPassesOnly) {
    dlg->m_skin.m_bNoExitPrompt = FALSE;  // an exit question would show as a box: there must be none
    // A pass that shows a box pumps messages: the close arrives inside it and waits for its end.
    bool visibleInsidePass = false;
    {
        BoxAnswerer answerer;
        answerer.onBox = [&](const BoxAnswerer::Box&) { visibleInsidePass = dlg->IsWindowVisible(); };
        dlg->PostMessage(WM_UPDATE_INSTALLER_STARTED);
        dlg->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_APPLY, BN_CLICKED), 0);  // no files: a notice
        ASSERT_EQ(answerer.boxes().size(), 1u);
    }
    EXPECT_TRUE(visibleInsidePass);
    EXPECT_FALSE(dlg->IsWindowVisible()) << "closed once the pass ended";
}

TEST_F(UpdateCloseTest, ClosesAtOnceWhenIdle) {
    BoxAnswerer answerer;
    dlg->PostMessage(WM_UPDATE_INSTALLER_STARTED);
    PumpMessages();
    EXPECT_FALSE(dlg->IsWindowVisible());
    EXPECT_TRUE(answerer.boxes().empty()) << "no exit question";
}

}  // namespace
