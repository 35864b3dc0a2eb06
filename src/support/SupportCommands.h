// The help menu's commands: web pages, the error log, and the error report by mail.
#pragma once

#include <string>

// Each hands an address or a file to the shell's "open" verb; a failure is silent.
void ShowOnlineHelp();
void OpenHomePage();
void OpenSupportPage();
void OpenErrorLog();
// "Quillmark.chm" in the program's folder: the application's help file.
void OpenLocalHelp();

// Mails ErrorLog.txt to support through the mail client's Simple MAPI, the user reviewing the
// mail before it goes. When that is not possible the log is opened and the result is false: the
// caller, which knows the window and its theme, then shows ErrorReportFallbackNotice(), which
// names the web support page.
bool SendErrorReport();
std::wstring ErrorReportFallbackNotice();

// The 8-bit path handed to the mail client for `path`: its ANSI form, or when that loses
// characters, the ANSI form of its short (8.3) path if that keeps them all.
std::string MapiAttachmentPath(const std::wstring& path);

// The shell's "open" hand-over, ShellExecuteW unless replaced; null restores it.
using ShellOpenFunction = void (*)(const std::wstring& target);
void SetShellOpenFunction(ShellOpenFunction open);

// Simple MAPI is loaded by full path from the system folder only, never from the program's
// folder or the current one, where anyone may put a "mapi32.dll". A non-empty path replaces the
// library (a stand-in that records the call); empty restores the system's.
void SetMapiLibraryPath(const std::wstring& path);
