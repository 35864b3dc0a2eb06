// The program's name and version, shared by the title, the error log, the update check, the
// version resource, the build and the packaging scripts (tools/version.sh reads the line below).
#pragma once

#define QUILLMARK_VERSION "3.01"
// The same version as the resource's four numbers.
#define QUILLMARK_VERSION_NUMBERS 3, 1, 0, 0

#ifndef RC_INVOKED
inline constexpr wchar_t kProductName[] = L"Quillmark";
inline constexpr wchar_t kProgramVersion[] = L"" QUILLMARK_VERSION;
inline constexpr char kProgramVersionA[] = QUILLMARK_VERSION;
inline constexpr wchar_t kMainWindowTitle[] = L"Quillmark  " QUILLMARK_VERSION;
#endif
