// The program's name and version, shared by the title, the error log and the update check.
#pragma once

inline constexpr wchar_t kProductName[] = L"Quillmark";
inline constexpr wchar_t kProgramVersion[] = L"3.01";
inline constexpr char kProgramVersionA[] = "3.01";
inline constexpr wchar_t kMainWindowTitle[] = L"Quillmark  3.01";
