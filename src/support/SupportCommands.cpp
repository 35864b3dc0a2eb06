#include "support/SupportCommands.h"

#include "framework/TextConv.h"
#include "resources/Version.h"
#include "support/Endpoints.h"
#include "support/ErrorLog.h"
#include "support/Folders.h"

#include <windows.h>
#include <mapi.h>
#include <shellapi.h>

#include <vector>

namespace {

void ShellOpen(const std::wstring& target) {
    ::ShellExecuteW(nullptr, L"open", target.c_str(), nullptr, nullptr, SW_SHOW);
}

ShellOpenFunction g_pfnShellOpen = ShellOpen;
std::wstring g_strMapiLibrary;

std::wstring SystemMapiPath() {
    wchar_t folder[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return {};
    }
    std::wstring path(folder, length);
    if (path.back() != L'\\') {
        path += L'\\';
    }
    return path + L"mapi32.dll";
}

HMODULE LoadMapi() {
    const std::wstring path = g_strMapiLibrary.empty() ? SystemMapiPath() : g_strMapiLibrary;
    if (path.empty()) {
        return nullptr;
    }
    // A full path, and the library's own imports resolved from its folder.
    return ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace

void SetShellOpenFunction(ShellOpenFunction open) {
    g_pfnShellOpen = open ? open : ShellOpen;
}

void SetMapiLibraryPath(const std::wstring& path) {
    g_strMapiLibrary = path;
}

void ShowOnlineHelp() {
    g_pfnShellOpen(kOnlineHelpAddress);
}

void OpenHomePage() {
    g_pfnShellOpen(kHomePageAddress);
}

void OpenSupportPage() {
    g_pfnShellOpen(kSupportPageAddress);
}

void OpenErrorLog() {
    g_pfnShellOpen(GetErrorLogPath());
}

void OpenLocalHelp() {
    g_pfnShellOpen(GetModuleFolder() + kProductName + L".chm");
}

std::string MapiAttachmentPath(const std::wstring& path) {
    const std::string ansi = ToAnsi(path);
    if (ToWide(ansi) == path) {
        return ansi;
    }
    // The short form names the same file in plain characters where the file system keeps one.
    const DWORD needed = ::GetShortPathNameW(path.c_str(), nullptr, 0);
    if (needed == 0) {
        return ansi;
    }
    std::vector<wchar_t> buffer(needed);
    const DWORD length = ::GetShortPathNameW(path.c_str(), buffer.data(), needed);
    if (length == 0 || length >= needed) {
        return ansi;
    }
    const std::wstring shortPath(buffer.data(), length);
    const std::string shortAnsi = ToAnsi(shortPath);
    return ToWide(shortAnsi) == shortPath ? shortAnsi : ansi;
}

bool SendErrorReport() {
    const std::wstring logPath = GetErrorLogPath();
    bool sent = false;
    if (const HMODULE mapi = LoadMapi(); !mapi) {
        LogError(L"Unable to load mapi32.dll.");
    } else {
        const auto sendMail =
            reinterpret_cast<LPMAPISENDMAIL>(reinterpret_cast<void*>(::GetProcAddress(mapi, "MAPISendMail")));
        if (sendMail) {
            std::string subject = "Error report from Larkwell";
            std::string recipientName = "Support";
            std::string recipientAddress = kSupportMailbox;
            std::string attachmentPath = MapiAttachmentPath(logPath);
            std::string attachmentName = "ErrorLog.txt";

            MapiRecipDesc recipient{};
            recipient.ulRecipClass = MAPI_TO;
            recipient.lpszName = recipientName.data();
            recipient.lpszAddress = recipientAddress.data();

            MapiFileDesc attachment{};
            attachment.nPosition = static_cast<ULONG>(-1);  // not placed inside the note text
            attachment.lpszPathName = attachmentPath.data();
            attachment.lpszFileName = attachmentName.data();

            MapiMessage message{};
            message.lpszSubject = subject.data();
            message.nRecipCount = 1;
            message.lpRecips = &recipient;
            message.nFileCount = 1;
            message.lpFiles = &attachment;

            // MAPI_DIALOG: the mail client shows the mail, and the user reviews and sends it.
            const ULONG result = sendMail(0, 0, &message, MAPI_DIALOG, 0);
            if (result != SUCCESS_SUCCESS) {
                LogError(L"Unable to send the error report via email: %d.", static_cast<int>(result));
            }
            sent = result == SUCCESS_SUCCESS;
        }
        ::FreeLibrary(mapi);
    }
    if (!sent) {
        g_pfnShellOpen(logPath);
    }
    return sent;
}

std::wstring ErrorReportFallbackNotice() {
    return std::wstring(kProductName) +
           L" can not send the error report automatically through your email client. Please send the error report "
           L"using our web support " +
           kWebSupportAddress + L". Thank you";
}
