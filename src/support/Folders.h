// The program's folders and whole-file input and output. No state; every call asks the system.
#pragma once

#include <string>

// Folder paths end in "\"; GetAppDataFolder is empty when the system cannot tell it.
std::wstring GetAppDataFolder();
std::wstring GetModuleFolder();
std::wstring GetTempFolder();

// The application folder: where the settings files and the error log live.
struct ApplicationFolder {
    // Ends in "\"; empty when no folder can hold the settings, which are then not saved.
    std::wstring path;
    // Why the usual folder is not used, for the error log; empty when it is.
    std::wstring notice;
};
// The application-data folder followed by "Quillmark\". When the system cannot tell the
// application-data folder, the executable's folder if a file can be created there, else none:
// never a folder relative to the current directory, which may be anywhere.
// A portable copy keeps its settings in the executable's folder, and falls back to the
// application-data folder (with a notice) only when no file can be created there.
ApplicationFolder ChooseApplicationFolder(const std::wstring& appDataFolder, const std::wstring& moduleFolder,
                                          bool portable = false);
// A file (not a folder) named "portable" in the executable's folder marks a portable copy.
inline constexpr wchar_t kPortableMarker[] = L"portable";
bool HasPortableMarker(const std::wstring& moduleFolder);
// The choice made for this user and this executable.
ApplicationFolder GetApplicationFolder();
// True when a new file can be created (and is then removed) in the folder.
bool CanCreateFileIn(const std::wstring& folder);

bool PathExists(const std::wstring& path);
// Creates every missing folder along the path (with or without a final "\"). Nonzero when the
// last folder was newly created; zero when it existed already or a level could not be made.
int EnsureDirectory(const std::wstring& path);
void DeleteFileIfExists(const std::wstring& path);

// Files larger than this are refused rather than read into memory.
constexpr long long kMaxWholeFileBytes = 64LL * 1024 * 1024;
// The byte count read (0 for an empty file, leaving `bytes` as it was); -1 when the file
// cannot be opened, is too large, or is not read completely.
long long ReadWholeFile(const std::wstring& path, std::string& bytes);
// Creates or replaces the file with exactly `bytes`. The new content is written beside the
// file and then moved over it, so a failed write never leaves a half-written file.
bool WriteWholeFile(const std::wstring& path, const std::string& bytes);

// The text in the thread's ANSI code page.
std::string ToAnsi(const std::wstring& text);
