// The folder chooser used by Add Folder.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

// What tells two folders apart on one machine, whatever path reaches them.
struct FolderIdentity {
    DWORD volume;
    DWORD indexHigh;
    DWORD indexLow;
    bool operator==(const FolderIdentity&) const = default;
};

// Shows the chooser with `folder` preselected. TRUE with the chosen folder in `folder`, or the
// typed folder that the chooser created; FALSE, with `folder` unchanged, when cancelled.
BOOL BrowseForFolder(const std::wstring& title, HWND owner, std::wstring& folder);
int CALLBACK BrowseCallbackProc(HWND hwnd, UINT message, LPARAM lParam, LPARAM data) noexcept;

// The folder a name typed in the chooser stands for: a full path as it is, anything else
// relative to `selected` (the folder selected in the chooser; a leading "\" means its root).
// Nothing when a relative name has no selected folder to go by, or when the result would not
// fit in 260 characters.
std::optional<std::wstring> ResolveTypedFolder(const std::wstring& typed, const std::wstring& selected);

// The chooser's state during one choice: the folder shown first, and after a typed folder was
// accepted, that folder; and the folder selected in it (empty while the selection is no folder).
extern std::wstring g_strBrowseFolder;
extern bool g_bBrowseAccepted;
extern std::wstring g_strBrowseSelected;
