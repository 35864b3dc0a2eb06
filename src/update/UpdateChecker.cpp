#include "update/UpdateChecker.h"

#include "app/Version.h"
#include "dialogs/MessageBox.h"
#include "dialogs/PleaseWait.h"
#include "framework/TextConv.h"
#include "support/Endpoints.h"
#include "support/ErrorLog.h"
#include "support/Folders.h"
#include "update/InstallerSignature.h"
#include "update/UpdateRules.h"

#include <objbase.h>
#include <shellapi.h>

#include <memory>
#include <optional>

namespace {

// What one check works on: copies, so the automatic check's thread never reaches back into the
// component or the window that may be gone by the time it asks.
struct UpdateJob {
    bool bInteractive = false;
    std::wstring strProduct;
    int nTheme = 10;
    HWND hMainWnd = nullptr;
};

bool ShellOpenInstaller(const std::wstring& path) {
    const HINSTANCE result = ::ShellExecuteW(nullptr, L"open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

InstallerLauncher g_pfnLauncher = ShellOpenInstaller;

UpdateEndpoints CurrentEndpoints() {
    wchar_t value[512] = {};
    const std::wstring name = ToWide(kUpdateRootVariable);
    const DWORD length = ::GetEnvironmentVariableW(name.c_str(), value, 512);
    return MakeUpdateEndpoints(length > 0 && length < 512 ? std::wstring_view(value, length) : std::wstring_view());
}

std::wstring Trimmed(const std::wstring& text) {
    const size_t first = text.find_first_not_of(L" \t\r\n\v\f");
    if (first == std::wstring::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(L" \t\r\n\v\f") - first + 1);
}

// Downloads, checks and starts the installer of the server's version for this build; true when it runs.
bool DownloadAndStartInstaller(const UpdateJob& job, const std::wstring& serverVersion) {
    const std::wstring address = InstallerAddress(CurrentEndpoints(), serverVersion, kRunningBuild);
    const std::wstring localPath = GetTempFolder() + LastSegment(address);
    DeleteFileIfExists(localPath);

    StartPleaseWait(L"Downloading new version ...", 100, job.nTheme);
    CDownloadProgress progress;
    const HRESULT result =
        ::URLDownloadToFileW(nullptr, address.c_str(), localPath.c_str(), 0, &progress);
    StopPleaseWait();

    if (FAILED(result)) {
        LogError(L"(CUpdateChecker::CheckForUpdate) DownloadToFile failed on %s, file: %s, error: 0X%08X.",
                 address.c_str(), localPath.c_str(), static_cast<unsigned>(result));
        DeleteFileIfExists(localPath);
        MacMessageBox(L"The new version could not be downloaded. Please try again later.", job.nTheme);
        return false;
    }
    const SignatureCheck signature = CheckInstallerSignature(localPath);
    if (!signature.bTrusted) {
        DeleteFileIfExists(localPath);
        LogError(L"(CUpdateChecker::CheckForUpdate) The installer from %s is not signed by the vendor, "
                 L"error: 0X%08X. It was deleted.",
                 address.c_str(), static_cast<unsigned>(signature.nStatus));
        MacMessageBox(L"The downloaded installer is not signed by the maker of " + std::wstring(kProductName) +
                          L". It was deleted and nothing was run.",
                      job.nTheme);
        return false;
    }
    if (!g_pfnLauncher(localPath)) {
        LogError(L"(CUpdateChecker::CheckForUpdate) Unable to start %s.", localPath.c_str());
        MacMessageBox(L"The new version was downloaded to " + localPath + L" but could not be started.", job.nTheme);
        return false;
    }
    if (job.hMainWnd) {
        ::PostMessageW(job.hMainWnd, WM_UPDATE_INSTALLER_STARTED, 0, 0);
    }
    return true;
}

bool RunUpdateCheck(const UpdateJob& job) {
    const std::wstring product = job.strProduct.empty() ? std::wstring(kProductName) : job.strProduct;
    const std::wstring version = CUpdateChecker::ReadServerVersion(product);
    const ServerVersionVerdict verdict = JudgeServerVersion(version, kProgramVersion);
    if (verdict == ServerVersionVerdict::NoAnswer) {
        if (job.bInteractive) {
            MacMessageBox(L"Can not connect to " + CurrentEndpoints().strHost + L". Please check your network connection.",
                          job.nTheme);
        }
        return false;
    }
    if (verdict == ServerVersionVerdict::NotNewer) {
        if (job.bInteractive) {
            MacMessageBox(L"Your " + std::wstring(kProductName) + L" is already the latest one.", job.nTheme);
        }
        return false;
    }
    const std::wstring name = kProductName;
    if (!MacYesNoBox(L"A new version " + Trimmed(version) + L" is available, do you want to update your " + name +
                         L" now? (the current running " + name + L" will be closed.)",
                     job.nTheme, false, nullptr)) {
        return false;
    }
    DownloadAndStartInstaller(job, version);
    return true;
}

}  // namespace

void SetInstallerLauncher(InstallerLauncher launcher) {
    g_pfnLauncher = launcher ? launcher : ShellOpenInstaller;
}

HRESULT CDownloadProgress::QueryInterface(REFIID iid, void** object) {
    if (!object) {
        return E_POINTER;
    }
    if (iid == IID_IUnknown || iid == IID_IBindStatusCallback) {
        *object = static_cast<IBindStatusCallback*>(this);
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT CDownloadProgress::OnProgress(ULONG progress, ULONG progressMax, ULONG, LPCWSTR) {
    if (const std::optional<int> percent = DownloadPercent(progress, progressMax)) {
        SetPleaseWaitPos(*percent);
    }
    return S_OK;
}

CUpdateChecker::~CUpdateChecker() {
    if (m_hAutoThread) {
        ::CloseHandle(m_hAutoThread);
    }
}

bool CUpdateChecker::IsAutoUpdateRunning() {
    if (m_hAutoThread && ::WaitForSingleObject(m_hAutoThread, 0) != WAIT_TIMEOUT) {
        ::CloseHandle(m_hAutoThread);
        m_hAutoThread = nullptr;
    }
    return m_hAutoThread != nullptr;
}

bool CUpdateChecker::CheckForUpdate(bool interactive, const std::wstring& product) {
    if (interactive && IsAutoUpdateRunning()) {
        MacMessageBox(L"A check for a new version is already running. Please try again when it has finished.",
                      m_nTheme);
        return false;
    }
    return RunUpdateCheck({interactive, product, m_nTheme, m_hMainWnd});
}

void CUpdateChecker::StartAutoUpdate(const std::wstring& product) {
    if (IsAutoUpdateRunning()) {
        return;
    }
    m_strProduct = product;
    auto job = std::make_unique<UpdateJob>(UpdateJob{false, m_strProduct, m_nTheme, m_hMainWnd});
    m_hAutoThread = ::CreateThread(nullptr, 0, AutoUpdateThreadProc, job.get(), 0, nullptr);
    if (m_hAutoThread) {
        job.release();  // the thread owns it now
    }
}

DWORD WINAPI CUpdateChecker::AutoUpdateThreadProc(LPVOID parameter) noexcept {
    const std::unique_ptr<UpdateJob> job(static_cast<UpdateJob*>(parameter));
    // The download and the shell need COM on the thread that calls them.
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    try {
        RunUpdateCheck(*job);
    } catch (...) {
        LogError(L"(CUpdateChecker::AutoUpdateThreadProc) The update check stopped unexpectedly.");
    }
    if (SUCCEEDED(com)) {
        ::CoUninitialize();
    }
    return 0;
}

std::wstring CUpdateChecker::ReadServerVersion(const std::wstring& product) {
    std::wstring content;
    if (!ReadServerContent(CurrentEndpoints().strSiteRoot + product + L".ver", content) ||
        content.size() > kMaxVersionTextLength) {
        return {};
    }
    return content;
}

bool CUpdateChecker::ReadServerContent(const std::wstring& address, std::wstring& content) {
    content.clear();
    wchar_t tempPath[MAX_PATH] = {};
    if (::GetTempFileNameW(GetTempFolder().c_str(), L"svc", 0, tempPath) == 0) {
        LogError(L"(CUpdateChecker::ReadServerContent) DownloadToFile failed on %s, file: %s, error: 0X%08X.",
                 address.c_str(), L"", static_cast<unsigned>(HRESULT_FROM_WIN32(::GetLastError())));
        return false;
    }
    const HRESULT result = ::URLDownloadToFileW(nullptr, address.c_str(), tempPath, 0, nullptr);
    bool ok = false;
    if (FAILED(result)) {
        LogError(L"(CUpdateChecker::ReadServerContent) DownloadToFile failed on %s, file: %s, error: 0X%08X.",
                 address.c_str(), tempPath, static_cast<unsigned>(result));
    } else {
        std::string bytes;
        if (ReadWholeFile(tempPath, bytes) < 0) {
            bytes.clear();
        }
        content = ToWide(bytes);
        ok = true;
    }
    DeleteFileIfExists(tempPath);
    return ok;
}
