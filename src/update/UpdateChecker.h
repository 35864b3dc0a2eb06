// The online update: compares the vendor's published version with ours and, if the user agrees,
// downloads the new installer, checks that the vendor signed it and starts it.
#pragma once

#include <windows.h>

#include <string>

class CPleaseWait;

// Downloads `address` to the file `path` without the system's cache, following redirects only
// to addresses the update trusts (HTTPS; see IsTrustedUpdateAddress), at most five: the system's
// URL download would follow any, to plain HTTP too, without a word. `refused` receives the
// address of a redirect that was not followed. `window`, if any, shows the progress.
HRESULT DownloadToFileSecurely(const std::wstring& address, const std::wstring& path, CPleaseWait* window,
                               std::wstring& refused);

class CUpdateChecker {
public:
    // Removes the download folders that earlier runs left behind (an installer they started
    // was still running when they ended).
    CUpdateChecker();
    // Neither stops nor waits for a running automatic check: it owns everything it uses.
    ~CUpdateChecker();
    CUpdateChecker(const CUpdateChecker&) = delete;
    CUpdateChecker& operator=(const CUpdateChecker&) = delete;

    int m_nTheme = 10;
    std::wstring m_strProduct;
    HANDLE m_hAutoThread = nullptr;
    // Told with WM_UPDATE_INSTALLER_STARTED when the new installer runs.
    HWND m_hMainWnd = nullptr;

    // True when the user accepted the download. An interactive check shows why nothing is
    // offered; while the automatic check runs, an interactive one is refused with a notice.
    bool CheckForUpdate(bool interactive, const std::wstring& product);
    // Starts the automatic check on a thread of its own unless one is running.
    void StartAutoUpdate(const std::wstring& product);
    bool IsAutoUpdateRunning();

    // The automatic check's thread; its parameter is the check's own copy of what it needs.
    static DWORD WINAPI AutoUpdateThreadProc(LPVOID parameter) noexcept;
    // The server's version text for the product, or empty (no answer, or 10 characters or more).
    static std::wstring ReadServerVersion(const std::wstring& product);
    // Downloads an address through a temporary file; a failed download is logged.
    static bool ReadServerContent(const std::wstring& address, std::wstring& content);
};

// Starts the verified installer at `path` (CreateProcessW of exactly that file) unless replaced
// (tests record it); true when it started. Called while the file is still held open against
// writing, renaming and deleting. Null restores CreateProcessW.
using InstallerLauncher = bool (*)(const std::wstring& path);
void SetInstallerLauncher(InstallerLauncher launcher);
