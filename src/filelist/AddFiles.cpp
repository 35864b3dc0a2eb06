// Adding paths: the file-open dialog, a chosen folder and its scan, and dropped files.
#include "filelist/AddFiles.h"

#include "app/MainDlg.h"
#include "app/OutOfMemory.h"
#include "dialogs/LongWorkProgress.h"
#include "filelist/FileStatus.h"
#include "framework/Abi.h"
#include "framework/Gdi.h"
#include "support/ErrorLog.h"
#include "support/Folders.h"
#include "support/PathLevels.h"

#include <commdlg.h>
#include <shlobj.h>

#include <cwctype>
#include <new>
#include <optional>
#include <vector>

QUILL_CHECK_SYSTEM_SIZE(OPENFILENAMEW, 88, 152);
QUILL_CHECK_SYSTEM_SIZE(BROWSEINFOW, 32, 64);
QUILL_CHECK_CALLBACK(BrowseCallbackProc, BFFCALLBACK);

std::wstring g_strBrowseFolder;
bool g_bBrowseAccepted = false;
std::wstring g_strBrowseSelected;

namespace {

constexpr DWORD kOpenResultChars = 65536;

// The paths of a multi-select file-open result: one full path, or a folder followed by names.
std::vector<std::wstring> SplitOpenResult(const std::vector<wchar_t>& buffer, WORD fileOffset) {
    std::vector<std::wstring> paths;
    const std::wstring first(buffer.data());
    if (fileOffset > 0 && fileOffset <= first.size() && buffer[fileOffset - 1] != L'\0') {
        paths.push_back(first);
        return paths;
    }
    const std::wstring folder = first.empty() || first.back() == L'\\' ? first : first + L"\\";
    for (size_t at = first.size() + 1; at < buffer.size() && buffer[at] != L'\0';) {
        const std::wstring name(buffer.data() + at);
        paths.push_back(folder + name);
        at += name.size() + 1;
    }
    return paths;
}

// The identity of a folder, to notice a link that leads back to a folder being scanned.
std::optional<FolderIdentity> IdentifyFolder(const std::wstring& folder) {
    const UniqueHandle handle(::CreateFileW(folder.c_str(), FILE_READ_ATTRIBUTES,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (handle.get() == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    const BOOL ok = ::GetFileInformationByHandle(handle.get(), &info);
    if (!ok || (info.nFileIndexHigh == 0 && info.nFileIndexLow == 0)) {
        return std::nullopt;
    }
    return FolderIdentity{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

// The progress of the Add Folder running on this thread, moved by the entries of the chosen
// folder itself as the scan finishes each of them, and how deep the scan is.
thread_local CLongWorkProgress* t_folderProgress = nullptr;
thread_local int t_scanDepth = 0;

// The entries the finder lists for `pattern`, the dot entries included.
int CountEntries(const std::wstring& pattern) {
    int count = 0;
    WIN32_FIND_DATAW data;
    HANDLE find = pattern.size() < MAX_PATH ? ::FindFirstFileW(pattern.c_str(), &data) : INVALID_HANDLE_VALUE;
    if (find != INVALID_HANDLE_VALUE) {
        do {
            ++count;
        } while (::FindNextFileW(find, &data));
    }
    return count;
}

bool IsSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

// "C:\" of a drive path, "\\server\share\" of a network path; empty for anything else.
std::wstring RootOf(const std::wstring& folder) {
    if (folder.size() >= 3 && folder[1] == L':' && IsSeparator(folder[2])) {
        return folder.substr(0, 2) + L"\\";
    }
    if (folder.size() > 2 && IsSeparator(folder[0]) && IsSeparator(folder[1])) {
        const size_t server = folder.find_first_of(L"\\/", 2);
        const size_t share = server == std::wstring::npos ? server : folder.find_first_of(L"\\/", server + 1);
        return share == std::wstring::npos ? WithTrailingSeparator(folder) : folder.substr(0, share + 1);
    }
    return {};
}

}  // namespace

std::optional<std::wstring> ResolveTypedFolder(const std::wstring& typed, const std::wstring& selected) {
    if (typed.empty()) {
        return std::nullopt;
    }
    const bool network = typed.size() >= 2 && IsSeparator(typed[0]) && IsSeparator(typed[1]);
    const bool drive = typed.size() >= 2 && typed[1] == L':' && std::iswalpha(typed[0]);
    std::wstring combined;
    if (network || (drive && typed.size() >= 3 && IsSeparator(typed[2]))) {
        combined = typed;
    } else {
        // Relative to what the user sees selected, never to the process's current folder.
        const std::wstring base = WithTrailingSeparator(selected);
        const std::wstring root = RootOf(base);
        if (root.empty()) {
            return std::nullopt;
        }
        if (IsSeparator(typed[0])) {
            combined = root + typed.substr(1);
        } else if (drive) {
            // "D:name": below the selected folder when it is on D, else below the root of D.
            const bool sameDrive = base[1] == L':' && std::towupper(base[0]) == std::towupper(typed[0]);
            combined = (sameDrive ? base : typed.substr(0, 2) + L"\\") + typed.substr(2);
        } else {
            combined = base + typed;
        }
    }
    // Only full paths reach this, so the current folder plays no part; "." and ".." go. A
    // result that does not fit the chooser's buffers is refused rather than cut.
    wchar_t full[MAX_PATH] = {};
    const DWORD length = ::GetFullPathNameW(combined.c_str(), MAX_PATH, full, nullptr);
    if (length == 0 || length >= MAX_PATH) {
        return std::nullopt;
    }
    return std::wstring(full, length);
}

BOOL BrowseForFolder(const std::wstring& title, HWND owner, std::wstring& folder) {
    const std::wstring shownTitle = title.empty() ? L"Please select folder:" : title;
    g_strBrowseFolder = folder;
    g_bBrowseAccepted = false;
    g_strBrowseSelected.clear();

    BROWSEINFOW info{};
    info.hwndOwner = owner;
    info.lpszTitle = shownTitle.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT | BIF_EDITBOX | BIF_VALIDATE;
    info.lpfn = BrowseCallbackProc;
    info.lParam = 0;
    if (PIDLIST_ABSOLUTE chosen = ::SHBrowseForFolderW(&info)) {
        wchar_t path[MAX_PATH] = {};
        const BOOL gotPath = ::SHGetPathFromIDListW(chosen, path);
        ::CoTaskMemFree(chosen);
        if (gotPath) {
            folder = path;
            return TRUE;
        }
    }
    if (g_bBrowseAccepted) {
        folder = g_strBrowseFolder;
        return TRUE;
    }
    return FALSE;
}

int CALLBACK BrowseCallbackProc(HWND hwnd, UINT message, LPARAM lParam, LPARAM) noexcept {
    try {
        std::wstring buffer = g_strBrowseFolder;
        switch (message) {
            case BFFM_INITIALIZED:
                ::SendMessageW(hwnd, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(buffer.c_str()));
                break;
            case BFFM_SELCHANGED: {
                wchar_t path[MAX_PATH] = {};
                g_strBrowseSelected.clear();
                if (lParam && ::SHGetPathFromIDListW(reinterpret_cast<PCIDLIST_ABSOLUTE>(lParam), path)) {
                    buffer = path;
                    g_strBrowseSelected = buffer;
                    ::SendMessageW(hwnd, BFFM_SETSTATUSTEXTW, 0, reinterpret_cast<LPARAM>(buffer.c_str()));
                }
                for (HWND child = ::GetWindow(hwnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
                    wchar_t className[256] = {};
                    ::GetClassNameW(child, className, 256);
                    if (::lstrcmpiW(className, L"Edit") == 0) {
                        ::SetWindowTextW(child, buffer.c_str());
                        break;
                    }
                }
                break;
            }
            case BFFM_VALIDATEFAILEDW: {
                const std::optional<std::wstring> typed =
                    ResolveTypedFolder(lParam ? reinterpret_cast<const wchar_t*>(lParam) : L"", g_strBrowseSelected);
                if (!typed || !EnsureDirectory(*typed)) {
                    return 1;  // keep the chooser open
                }
                g_bBrowseAccepted = true;
                g_strBrowseFolder = *typed;
                return 0;
            }
            default:
                break;
        }
    } catch (...) {
    }
    return 0;
}

void CMainDlg::OnAddFiles() {
    std::vector<wchar_t> result(kOpenResultChars, L'\0');
    // A last folder too long for the dialog's starting-folder buffer is not cut: the dialog
    // then starts where the system chooses.
    const std::wstring startFolder = m_strLastFolder.size() < MAX_PATH ? m_strLastFolder : std::wstring();

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = m_hWnd;
    dialog.lpstrFile = result.data();
    dialog.nMaxFile = kOpenResultChars;
    dialog.lpstrInitialDir = startFolder.empty() ? nullptr : startFolder.c_str();
    // The dialog would otherwise leave the process in the folder the user browsed to, and every
    // relative path after it would silently mean something else.
    dialog.Flags = OFN_ALLOWMULTISELECT | OFN_EXPLORER | OFN_NOCHANGEDIR;
    if (!::GetOpenFileNameW(&dialog)) {
        return;
    }
    for (const std::wstring& path : SplitOpenResult(result, dialog.nFileOffset)) {
        const size_t slash = path.rfind(L'\\');
        m_strLastFolder = slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
        m_arrFiles.AddUnique(path);
    }
    FillFileList();
}

void CMainDlg::OnAddFolder() {
    // Owned by the window, the chooser is modal to it: no second Add Folder, Remove All, Apply
    // or close can run while the user is choosing.
    if (!BrowseForFolder(L"", m_hWnd, m_strLastFolder)) {
        return;
    }
    m_arrFiles.Append(m_strLastFolder);
    if (m_strLastFolder.empty() || m_strLastFolder.back() != L'\\') {
        m_strLastFolder += L'\\';
    }
    const std::wstring pattern = m_strLastFolder + L"*.*";
    // The scan fills half the bar, the list built from its result the other half.
    CLongWorkProgress progress(L"Adding files\u2026", 2 * CountEntries(pattern), m_skin.GetTheme());
    t_folderProgress = &progress;
    ScanFolder(pattern);
    t_folderProgress = nullptr;
    FillFileList();
}

void CMainDlg::ScanFolder(const std::wstring& pattern) {
    const std::size_t listedBefore = m_arrFiles.GetSize();
    std::vector<FolderIdentity> descent;
    try {
        ScanFolderLevel(pattern, descent);
    } catch (const std::bad_alloc&) {
        // Each entry goes into the master list whole or not at all, so the scan stops between
        // two files; what it added stays listed.
        t_scanDepth = 0;
        const std::size_t listed = m_arrFiles.GetSize();
        ReportOutOfMemory(*this, L"Out of memory: Add Folder stopped after adding %u entries from %.600s.",
                          static_cast<unsigned>(listed > listedBefore ? listed - listedBefore : 0), pattern.c_str());
    }
}

void CMainDlg::ScanFolderLevel(const std::wstring& pattern, std::vector<FolderIdentity>& descent) {
    // A pattern too long for the finder finds nothing, as it would on the platform; it is not cut.
    if (pattern.size() >= MAX_PATH) {
        return;
    }
    const std::wstring folder = pattern.substr(0, pattern.rfind(L'\\') + 1);
    const std::optional<FolderIdentity> identity = IdentifyFolder(folder);
    if (identity) {
        for (const FolderIdentity& ancestor : descent) {
            if (ancestor == *identity) {
                return;  // a link back into the folders being scanned
            }
        }
        descent.push_back(*identity);
    }

    ++t_scanDepth;
    CLongWorkProgress* const progress = t_scanDepth == 1 ? t_folderProgress : nullptr;
    int entriesDone = 0;
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW(pattern.c_str(), &data);
    // Closed however the scan of this folder ends, running out of memory included.
    const UniqueFindHandle closeFind(find != INVALID_HANDLE_VALUE ? find : nullptr);
    if (find != INVALID_HANDLE_VALUE) {
        const bool subDirs = m_chkSubDir.IsChecked() != FALSE;
        const bool includePath = m_chkIncludePath.IsChecked() != FALSE;
        const bool pathOnly = m_chkPathOnly.IsChecked() != FALSE;
        do {
            if (progress) {
                progress->Step(entriesDone++);
            }
            const std::wstring name = data.cFileName;
            const bool dots = name == L"." || name == L"..";
            const bool isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            const std::wstring path = folder + name;
            // A sub-folder's contents enter the list before the sub-folder itself.
            if (subDirs && !dots && isFolder) {
                ScanFolderLevel(path + L"\\*.*", descent);
            }
            if (dots || (isFolder && !includePath)) {
                continue;
            }
            if (pathOnly && !isFolder) {
                m_arrFiles.RemoveEquivalents(path);
                continue;
            }
            ListedPath& added = m_arrFiles.AddUnique(path);
            if (StatusReadFindsPathAsGiven(path)) {
                added.m_status = StatusFromFindData(data);
                added.m_attributes = data.dwFileAttributes;
                added.m_values = ListedPath::Values::FromScan;
            }
        } while (::FindNextFileW(find, &data));
    }
    --t_scanDepth;
    if (identity) {
        descent.pop_back();
    }
}

void CMainDlg::OnDropFiles(HDROP drop) {
    if (!drop) {
        LogError(L"OnDropFiles: hDropInfo is NULL.");
        return;
    }
    const UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT index = 0; index < count; ++index) {
        // Asked for its length first, so a long path is taken whole.
        const UINT length = ::DragQueryFileW(drop, index, nullptr, 0);
        std::vector<wchar_t> path(length + 1, L'\0');
        const UINT copied = ::DragQueryFileW(drop, index, path.data(), length + 1);
        if (copied > 0) {
            m_arrFiles.Append(std::wstring(path.data(), copied));
        }
    }
    FillFileList();
    ::DragFinish(drop);
}
