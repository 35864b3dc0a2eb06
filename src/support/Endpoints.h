// Every address the program talks to, in one place. All web addresses are HTTPS.
#pragma once

// The help menu's pages.
inline constexpr wchar_t kOnlineHelpAddress[] = L"https://www.larkwell.com/quillmark/help/";
inline constexpr wchar_t kHomePageAddress[] = L"https://www.larkwell.com/";
inline constexpr wchar_t kSupportPageAddress[] = L"https://www.larkwell.com/support.htm";
// The error report's recipient, as Simple MAPI wants it.
inline constexpr char kSupportMailbox[] = "SMTP:support@larkwell.com";
// Named in the notice when the report cannot be mailed.
inline constexpr wchar_t kWebSupportAddress[] = L"https://help.larkwell.net/support/";

// The online update: the version file is the root + product name + ".ver", the installer the
// root + kInstallerFolder + the package's file name for the server's version and this build:
// "Quillmark-<version>-setup.exe" (32-bit) or "Quillmark-<version>-x64-setup.exe" (64-bit), as
// tools/package.sh names them. The environment variable names another root (a mirror, a test server).
inline constexpr wchar_t kUpdateSiteRoot[] = L"https://www.larkwell.com/";
inline constexpr wchar_t kInstallerFolder[] = L"download/";
inline constexpr wchar_t kInstallerEnding32[] = L"-setup.exe";
inline constexpr wchar_t kInstallerEnding64[] = L"-x64-setup.exe";
inline constexpr char kUpdateRootVariable[] = "QUILLMARK_UPDATE_URL";
