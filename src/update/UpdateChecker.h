// The online update: compares the vendor's published version with ours and, if the user agrees,
// downloads the new installer, checks that the vendor signed it and starts it.
#pragma once

#include <windows.h>
#include <urlmon.h>

#include <string>

// Posted to the main window once a new installer runs: the window closes the program, between
// passes, never in the middle of one.
inline constexpr UINT WM_UPDATE_INSTALLER_STARTED = WM_APP + 0x71;

// Reports the installer download's progress to the please-wait window. Lives on the stack for
// the one download and is not reference-counted.
class CDownloadProgress : public IBindStatusCallback {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE OnStartBinding(DWORD, IBinding*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetPriority(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnLowResource(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnProgress(ULONG progress, ULONG progressMax, ULONG statusCode,
                                         LPCWSTR statusText) override;
    HRESULT STDMETHODCALLTYPE OnStopBinding(HRESULT, LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD*, BINDINFO*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnObjectAvailable(REFIID, IUnknown*) override { return E_NOTIMPL; }
};

class CUpdateChecker {
public:
    CUpdateChecker() = default;
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

// Opens the verified installer, ShellExecuteW's "open" unless replaced (tests record it);
// true when it started. Null restores the shell.
using InstallerLauncher = bool (*)(const std::wstring& path);
void SetInstallerLauncher(InstallerLauncher launcher);
