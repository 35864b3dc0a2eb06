#include "update/UpdateRules.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(UpdateRulesTest, JudgesTheServerVersionAgainstTheRunningOne) {
    struct Case {
        const char* label;
        const wchar_t* server;
        ServerVersionVerdict expected;
    };
    const Case cases[] = {
        {"next hundredth", L"3.02", ServerVersionVerdict::Newer},
        {"one tenth is more than one hundredth", L"3.1", ServerVersionVerdict::Newer},
        {"same version", L"3.01", ServerVersionVerdict::NotNewer},
        {"same version with a line break", L"3.01\r\n", ServerVersionVerdict::NotNewer},
        {"same version with spaces and tabs", L" \t3.01 \n", ServerVersionVerdict::NotNewer},
        {"trailing zero of the fraction", L"3.010", ServerVersionVerdict::NotNewer},
        {"leading zeros of the whole part", L"003.01", ServerVersionVerdict::NotNewer},
        {"two-digit major version", L"10.0", ServerVersionVerdict::Newer},
        {"whole number alone", L"4", ServerVersionVerdict::Newer},
        {"older whole number", L"3", ServerVersionVerdict::NotNewer},
        {"older", L"2.99", ServerVersionVerdict::NotNewer},
        {"fraction just above", L"3.011", ServerVersionVerdict::Newer},
        {"fraction just below", L"3.009", ServerVersionVerdict::NotNewer},
        {"empty", L"", ServerVersionVerdict::NoAnswer},
        {"white space only", L" \r\n", ServerVersionVerdict::NoAnswer},
        {"ten characters", L"<html>abcd", ServerVersionVerdict::NoAnswer},
        {"nine characters of text", L"<html>abc", ServerVersionVerdict::NoAnswer},
        {"point without digits after", L"3.", ServerVersionVerdict::NoAnswer},
        {"point without digits before", L".5", ServerVersionVerdict::NoAnswer},
        {"three parts", L"3.0.1", ServerVersionVerdict::NoAnswer},
        {"sign", L"+4.0", ServerVersionVerdict::NoAnswer},
        {"space inside", L"3. 02", ServerVersionVerdict::NoAnswer},
        {"letter suffix", L"3.02b", ServerVersionVerdict::NoAnswer},
        {"full-width digits are not digits", L"\xFF14.0", ServerVersionVerdict::NoAnswer},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(JudgeServerVersion(c.server, L"3.01"), c.expected) << c.label;
    }
}

TEST(UpdateRulesTest, ComparesLongNumbersWithoutOverflow) {
    // Nine digits fit the text limit; the comparison must not depend on machine integers.
    const auto big = ParseDecimalVersion(L"999999999");
    const auto bigger = ParseDecimalVersion(L"0001000000000.5");
    ASSERT_TRUE(big && bigger);
    EXPECT_LT(CompareVersions(*big, *bigger), 0);
    EXPECT_GT(CompareVersions(*bigger, *big), 0);
    EXPECT_EQ(CompareVersions(*ParseDecimalVersion(L"0.0"), *ParseDecimalVersion(L"0")), 0);
}

TEST(UpdateRulesTest, BuildsTheEndpointsFromTheVendorOrAnOverride) {
    // The installer is the package of the server's version made for the running build.
    struct Case {
        const char* label;
        const wchar_t* overrideRoot;
        const wchar_t* serverVersion;
        const wchar_t* root;
        const wchar_t* installer32;
        const wchar_t* installer64;
        const wchar_t* host;
    };
    const Case cases[] = {
        {"no override", L"", L"3.02", L"https://www.larkwell.com/",
         L"https://www.larkwell.com/download/Quillmark-3.02-setup.exe",
         L"https://www.larkwell.com/download/Quillmark-3.02-x64-setup.exe", L"www.larkwell.com"},
        {"local server with a port", L"http://127.0.0.1:8080/", L"3.1", L"http://127.0.0.1:8080/",
         L"http://127.0.0.1:8080/download/Quillmark-3.1-setup.exe",
         L"http://127.0.0.1:8080/download/Quillmark-3.1-x64-setup.exe", L"127.0.0.1"},
        {"mirror without final slash", L"HTTPS://mirror.example.org/quill", L"10.0",
         L"HTTPS://mirror.example.org/quill/", L"HTTPS://mirror.example.org/quill/download/Quillmark-10.0-setup.exe",
         L"HTTPS://mirror.example.org/quill/download/Quillmark-10.0-x64-setup.exe", L"mirror.example.org"},
        {"version text with a line break and spaces", L"", L" 3.02\r\n", L"https://www.larkwell.com/",
         L"https://www.larkwell.com/download/Quillmark-3.02-setup.exe",
         L"https://www.larkwell.com/download/Quillmark-3.02-x64-setup.exe", L"www.larkwell.com"},
        {"other scheme ignored", L"file:///C:/updates/", L"4", L"https://www.larkwell.com/",
         L"https://www.larkwell.com/download/Quillmark-4-setup.exe",
         L"https://www.larkwell.com/download/Quillmark-4-x64-setup.exe", L"www.larkwell.com"},
        {"plain http to another host ignored", L"http://mirror.example.org/", L"3.02", L"https://www.larkwell.com/",
         L"https://www.larkwell.com/download/Quillmark-3.02-setup.exe",
         L"https://www.larkwell.com/download/Quillmark-3.02-x64-setup.exe", L"www.larkwell.com"},
        {"plain http to localhost by name ignored", L"http://localhost:8080/", L"3.02", L"https://www.larkwell.com/",
         L"https://www.larkwell.com/download/Quillmark-3.02-setup.exe",
         L"https://www.larkwell.com/download/Quillmark-3.02-x64-setup.exe", L"www.larkwell.com"},
        {"no host ignored", L"https://", L"3.02", L"https://www.larkwell.com/",
         L"https://www.larkwell.com/download/Quillmark-3.02-setup.exe",
         L"https://www.larkwell.com/download/Quillmark-3.02-x64-setup.exe", L"www.larkwell.com"},
    };
    for (const Case& c : cases) {
        const UpdateEndpoints endpoints = MakeUpdateEndpoints(c.overrideRoot);
        EXPECT_EQ(endpoints.strSiteRoot, c.root) << c.label;
        EXPECT_EQ(endpoints.strHost, c.host) << c.label;
        EXPECT_EQ(InstallerAddress(endpoints, c.serverVersion, InstallerBuild::Bits32), c.installer32) << c.label;
        EXPECT_EQ(InstallerAddress(endpoints, c.serverVersion, InstallerBuild::Bits64), c.installer64) << c.label;
    }
    EXPECT_EQ(LastSegment(L"https://h/download/Quillmark-3.02-setup.exe"), L"Quillmark-3.02-setup.exe");
    EXPECT_EQ(HostOfAddress(L"http://user@[::1]:81/x"), L"[::1]");
    EXPECT_EQ(HostOfAddress(L"no scheme"), L"");
}

TEST(UpdateRulesTest, OnlyHttpsOrTheLoopbackAddressIsFetched) {
    const struct {
        const wchar_t* address;
        bool trusted;
    } cases[] = {
        {L"https://www.larkwell.com/download/x.exe", true},
        {L"HTTPS://mirror.example.org:8443/x", true},
        {L"http://127.0.0.1:1/", true},
        {L"http://[::1]:81/x", true},
        {L"http://www.larkwell.com/download/x.exe", false},
        {L"http://localhost/x", false},
        {L"http://127.0.0.1.example.org/x", false},
        {L"http://user@127.0.0.1@evil.example.org/x", false},
        {L"ftp://www.larkwell.com/x", false},
        {L"https://", false},
        {L"", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsTrustedUpdateAddress(c.address), c.trusted) << ::testing::PrintToString(std::wstring(c.address));
    }
}

TEST(UpdateRulesTest, DownloadPercentFollowsTheBytes) {
    struct Case {
        std::uint32_t progress;
        std::uint32_t maximum;
        std::optional<int> expected;
    };
    const Case cases[] = {
        {0, 0, std::nullopt},    {8192, 0, std::nullopt},         {0, 1048576, 0},
        {8192, 1048576, 0},      {524288, 1048576, 50},           {1048575, 1048576, 99},
        {1048576, 1048576, 100}, {4294967295u, 4294967295u, 100}, {200, 100, 100},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DownloadPercent(c.progress, c.maximum), c.expected) << c.progress << "/" << c.maximum;
    }
}

}  // namespace

TEST(UpdateRulesTest, RedirectsAreReadAndResolved) {
    const struct {
        const wchar_t* label;
        const wchar_t* headers;
        const wchar_t* from;
        const wchar_t* next;
    } cases[] = {
        {L"absolute", L"HTTP/1.1 302 Found\r\nlocation:  http://elsewhere/x \r\nContent-Length: 0\r\n\r\n",
         L"https://www.larkwell.com/download/a.exe", L"http://elsewhere/x"},
        {L"path from the root", L"HTTP/1.1 301 Moved\r\nLocation: /mirror/a.exe\r\n",
         L"https://www.larkwell.com:8443/download/a.exe", L"https://www.larkwell.com:8443/mirror/a.exe"},
        {L"no location", L"HTTP/1.1 302 Found\r\nX-Location: /x\r\n", L"https://h/a", L""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ResolveRedirect(c.from, RedirectLocation(c.headers)), c.next)
            << ::testing::PrintToString(std::wstring(c.label));
    }
}

TEST(UpdateRulesTest, TheSignedDescriptionIsReadInBothForms) {
    using namespace std::string_literals;
    const struct {
        const char* label;
        std::string der;
        std::optional<std::wstring> name;
    } cases[] = {
        // As osslsigncode writes it: SEQUENCE { [0] { [1] IA5String "Quill" } }
        {"ASCII", "\x30\x09\xA0\x07\x81\x05Quill"s, L"Quill"},
        {"UTF-16", "\x30\x08\xA0\x06\x80\x04\x00Q\x00i"s, L"Qi"},
        {"with a link after it", "\x30\x0D\xA0\x04\x81\x02Qu\xA1\x05\x80\x03x.y"s, L"Qu"},
        {"no program name", "\x30\x05\xA1\x03\x80\x01x"s, std::nullopt},
        {"cut short", "\x30\x09\xA0\x07\x81\x05Qu"s, std::nullopt},
        {"odd UTF-16", "\x30\x07\xA0\x05\x80\x03\x00Q\x00"s, std::nullopt},
        {"empty", ""s, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(OpusProgramName(c.der), c.name) << c.label;
    }
}
