// The error log: one time-stamped line per call, appended to ErrorLog.txt in the per-user folder.
#pragma once

#include <cstdarg>
#include <string>

// The message is formatted by the platform's wvsprintf rules into at most 1,024 characters.
// Logging never fails loudly: a line that cannot be written is dropped.
void LogError(const wchar_t* format, ...);
void LogErrorV(const wchar_t* format, va_list args);

// ErrorLog.txt in the per-user folder.
std::wstring GetErrorLogPath();
