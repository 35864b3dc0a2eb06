#include "update/UpdateChecker.h"

#include "dialogs/MessageBox.h"
#include "dialogs/PleaseWait.h"
#include "framework/TextConv.h"
#include "resources/Version.h"
#include "resources/resource.h"
#include "support/Endpoints.h"
#include "support/ErrorLog.h"
#include "support/Folders.h"
#include "update/InstallerSignature.h"
#include "update/UpdateRules.h"

#include "framework/Gdi.h"

#include <bcrypt.h>
#include <objbase.h>
#include <wininet.h>

#include <memory>
#include <optional>
#include <vector>

namespace {

// What one check works on: copies, so the automatic check's thread never reaches back into the
// component or the window that may be gone by the time it asks.
struct UpdateJob {
    bool bInteractive = false;
    std::wstring strProduct;
    int nTheme = 10;
    HWND hMainWnd = nullptr;
};

// Exactly the checked file: no search path, no file-type lookup.
bool StartInstallerProcess(const std::wstring& path) {
    std::wstring commandLine = L"\"" + path + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process)) {
        return false;
    }
    // Closed at once: nobody waits for the installer.
    const UniqueHandle thread(process.hThread);
    const UniqueHandle installer(process.hProcess);
    return true;
}

InstallerLauncher g_pfnLauncher = StartInstallerProcess;

// Every download gets a new folder of its own under the temporary folder, named by 64 random
// bits: nobody can prepare it, or guess it to swap the file between its check and its start.
constexpr wchar_t kDownloadFolderPrefix[] = L"Quillmark-update-";

std::wstring MakeDownloadFolder() {
    for (int attempt = 0; attempt < 4; ++attempt) {
        unsigned long long random = 0;
        if (!BCRYPT_SUCCESS(::BCryptGenRandom(nullptr, reinterpret_cast<PUCHAR>(&random), sizeof random,
                                              BCRYPT_USE_SYSTEM_PREFERRED_RNG))) {
            return {};
        }
        wchar_t name[32];
        ::wsprintfW(name, L"%08x%08x", static_cast<unsigned>(random >> 32), static_cast<unsigned>(random));
        const std::wstring folder = GetTempFolder() + kDownloadFolderPrefix + name + L"\\";
        if (::CreateDirectoryW(folder.c_str(), nullptr)) {
            return folder;
        }
    }
    return {};
}

// Deletes a download folder and what is in it; a file still in use (a running installer) keeps
// it until a later start.
void RemoveDownloadFolder(const std::wstring& folder) {
    WIN32_FIND_DATAW found{};
    if (const UniqueFindHandle search(::FindFirstFileW((folder + L"*").c_str(), &found));
        search.get() != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
                ::DeleteFileW((folder + found.cFileName).c_str());
            }
        } while (::FindNextFileW(search.get(), &found));
    }
    ::RemoveDirectoryW(folder.c_str());
}

void RemoveLeftoverDownloads() {
    const std::wstring temp = GetTempFolder();
    WIN32_FIND_DATAW found{};
    const UniqueFindHandle search(::FindFirstFileW((temp + kDownloadFolderPrefix + L"*").c_str(), &found));
    if (search.get() == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            RemoveDownloadFolder(temp + found.cFileName + L"\\");
        }
    } while (::FindNextFileW(search.get(), &found));
}

// What the user is told, and the log says, when a downloaded file is refused.
std::wstring RefusalNotice(InstallerVerdict verdict, const std::wstring& version) {
    const std::wstring name = kProductName;
    switch (verdict) {
        case InstallerVerdict::NotAnInstaller:
            return L"The downloaded file is signed by the maker of " + name +
                   L" but is not its installer. It was "
                   L"deleted and nothing was run.";
        case InstallerVerdict::OtherVersion:
            return L"The downloaded installer is not the one of version " + version +
                   L". It was deleted and nothing "
                   L"was run.";
        default:
            return L"The downloaded installer is not signed by the maker of " + name +
                   L". It was deleted and nothing "
                   L"was run.";
    }
}

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
    if (ReadTrustedKeys().empty()) {
        // A developer's build: nothing it downloads could be verified, so nothing is downloaded.
        LogError(
            L"(CUpdateChecker::CheckForUpdate) This copy was built without the vendor's key; the installer "
            L"at %s was not downloaded.",
            address.c_str());
        MacMessageBox(L"This copy of " + std::wstring(kProductName) +
                          L" cannot verify updates: it was built without its maker's signing key. Please download "
                          L"the new version from " +
                          CurrentEndpoints().strHost + L".",
                      job.nTheme);
        return false;
    }
    const std::wstring folder = MakeDownloadFolder();
    if (folder.empty()) {
        LogError(L"(CUpdateChecker::CheckForUpdate) No folder for the download in %s, error: %u.",
                 GetTempFolder().c_str(), static_cast<unsigned>(::GetLastError()));
        MacMessageBox(L"The new version could not be downloaded. Please try again later.", job.nTheme);
        return false;
    }
    const std::wstring localPath = folder + LastSegment(address);

    // The download's own window: a pass running meanwhile keeps its own.
    CPleaseWait window;
    window.Start(L"Downloading new version ...", 100, job.nTheme);
    std::wstring refused;
    const HRESULT result = DownloadToFileSecurely(address, localPath, &window, refused);
    window.Stop();

    if (!refused.empty()) {
        LogError(
            L"(CUpdateChecker::CheckForUpdate) The download from %s was redirected to %s, which is not an "
            L"HTTPS address. Nothing was run.",
            address.c_str(), refused.c_str());
        RemoveDownloadFolder(folder);
        MacMessageBox(
            L"The server sent the download of the new version to an address that is not secure (not "
            L"HTTPS). Nothing was downloaded or run.",
            job.nTheme);
        return false;
    }
    if (FAILED(result)) {
        LogError(L"(CUpdateChecker::CheckForUpdate) DownloadToFile failed on %s, file: %s, error: 0X%08X.",
                 address.c_str(), localPath.c_str(), static_cast<unsigned>(result));
        RemoveDownloadFolder(folder);
        MacMessageBox(L"The new version could not be downloaded. Please try again later.", job.nTheme);
        return false;
    }
    // Held from the check until the installer has started: nobody may write, rename or delete
    // the file in between, so the file that runs is the file that was checked.
    UniqueHandle held(::CreateFileW(localPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    const std::wstring version = Trimmed(serverVersion);
    const InstallerCheck check = held.get() == INVALID_HANDLE_VALUE
                                     ? InstallerCheck{}
                                     : CheckInstaller(held.get(), localPath, {version, LastSegment(address)});
    if (check.verdict != InstallerVerdict::Accepted) {
        held.reset();
        RemoveDownloadFolder(folder);
        LogError(
            L"(CUpdateChecker::CheckForUpdate) The installer from %s is not the vendor's installer of version "
            L"%s (%s), error: 0X%08X. It was deleted.",
            address.c_str(), version.c_str(), check.strFound.c_str(), static_cast<unsigned>(check.nStatus));
        MacMessageBox(RefusalNotice(check.verdict, version), job.nTheme);
        return false;
    }
    const bool started = g_pfnLauncher(localPath);
    held.reset();
    if (!started) {
        LogError(L"(CUpdateChecker::CheckForUpdate) Unable to start %s, error: %u.", localPath.c_str(),
                 static_cast<unsigned>(::GetLastError()));
        RemoveDownloadFolder(folder);
        MacMessageBox(L"The new version was downloaded but could not be started. Please try again later.", job.nTheme);
        return false;
    }
    // The folder goes at the next start: the installer runs from it now.
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
            MacMessageBox(
                L"Can not connect to " + CurrentEndpoints().strHost + L". Please check your network connection.",
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
    g_pfnLauncher = launcher ? launcher : StartInstallerProcess;
}

namespace {

struct InternetHandleCloser {
    void operator()(HINTERNET handle) const { ::InternetCloseHandle(handle); }
};
using UniqueInternetHandle = std::unique_ptr<void, InternetHandleCloser>;

HRESULT LastErrorResult() {
    return HRESULT_FROM_WIN32(::GetLastError());
}

// One request, no redirect followed: S_OK with the body in `path`, S_FALSE with `redirect` set.
HRESULT DownloadOnce(const std::wstring& address, const std::wstring& path, CPleaseWait* window,
                     std::wstring& redirect) {
    const UniqueInternetHandle session(
        ::InternetOpenW(kProductName, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!session) {
        return LastErrorResult();
    }
    const DWORD flags = INTERNET_FLAG_NO_AUTO_REDIRECT | INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                        INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_UI;
    const UniqueInternetHandle request(::InternetOpenUrlW(session.get(), address.c_str(), nullptr, 0, flags, 0));
    if (!request) {
        return LastErrorResult();
    }
    DWORD status = 0;
    DWORD size = sizeof status;
    if (!::HttpQueryInfoW(request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr)) {
        return LastErrorResult();
    }
    if (status >= 300 && status <= 399) {
        wchar_t location[2048] = {};
        size = sizeof location - sizeof(wchar_t);
        redirect = ::HttpQueryInfoW(request.get(), HTTP_QUERY_LOCATION, location, &size, nullptr) && location[0]
                       ? std::wstring(location)
                       : std::wstring(L"(no address)");
        return S_FALSE;
    }
    if (status != HTTP_STATUS_OK) {
        return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_HTTP, status);
    }
    DWORD total = 0;
    size = sizeof total;
    if (!::HttpQueryInfoW(request.get(), HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &total, &size, nullptr)) {
        total = 0;  // unknown: the bar waits
    }
    const UniqueHandle file(
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        return LastErrorResult();
    }
    std::vector<char> buffer(64 * 1024);
    DWORD done = 0;
    for (;;) {
        DWORD read = 0;
        if (!::InternetReadFile(request.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &read)) {
            return LastErrorResult();
        }
        if (read == 0) {
            return S_OK;
        }
        DWORD written = 0;
        if (!::WriteFile(file.get(), buffer.data(), read, &written, nullptr) || written != read) {
            return LastErrorResult();
        }
        done += read;
        const std::optional<int> percent = DownloadPercent(done, total);
        if (percent && window) {
            window->SetPos(*percent);
        }
    }
}

}  // namespace

HRESULT DownloadToFileSecurely(const std::wstring& address, const std::wstring& path, CPleaseWait* window,
                               std::wstring& refused) {
    refused.clear();
    std::wstring current = address;
    for (int hop = 0;; ++hop) {
        std::wstring redirect;
        const HRESULT result = DownloadOnce(current, path, window, redirect);
        if (result != S_FALSE) {
            return result;
        }
        const std::wstring next = ResolveRedirect(current, redirect);
        if (!IsTrustedUpdateAddress(next) || hop == 5) {
            refused = next;
            return E_ACCESSDENIED;
        }
        current = next;
    }
}

CUpdateChecker::CUpdateChecker() {
    RemoveLeftoverDownloads();
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
    std::wstring refused;
    const HRESULT result = DownloadToFileSecurely(address, tempPath, nullptr, refused);
    bool ok = false;
    if (!refused.empty()) {
        LogError(L"(CUpdateChecker::ReadServerContent) %s was redirected to %s, which is not an HTTPS address.",
                 address.c_str(), refused.c_str());
    } else if (FAILED(result)) {
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
