// The folder chooser used by Add Folder.
#pragma once

#include <windows.h>

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

// The chooser's state during one choice: the folder shown first, and after a typed folder was
// accepted, that folder.
extern std::wstring g_strBrowseFolder;
extern bool g_bBrowseAccepted;
