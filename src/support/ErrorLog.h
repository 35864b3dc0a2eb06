// The error log: one time-stamped line per call, appended to ErrorLog.txt in the application folder.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <string>

// The message is formatted by the platform's wvsprintf rules into at most 1,024 characters.
// Logging never fails loudly. A line that cannot be written now (another program holds the file,
// or it may not be written) is held in memory and written, in order, by the next call that can
// open the file or by FlushErrorLog.
void LogError(const wchar_t* format, ...);
void LogErrorV(const wchar_t* format, va_list args);

// Writes the lines held back, if the file can be opened now, and renews the time the log may
// spend waiting for a busy file. The end of every Apply and Undo pass calls it, and the program
// before it ends, so waiting for a held log is bounded per pass, not per line.
void FlushErrorLog();

// Between two flushes the log waits for a busy file at most this many times in all,
// kLogRetryDelayMs each; a held file then fails at once and its lines stay in memory.
inline constexpr unsigned kLogRetryBudget = 10;
inline constexpr unsigned kLogRetryDelayMs = 20;

// How many lines wait in memory for the file.
std::size_t HeldErrorLogLines();

// The wait between two attempts to open a busy log, ::Sleep unless replaced (tests count the
// waits through it); null restores ::Sleep.
using LogSleepFunction = void (*)(unsigned milliseconds);
void SetErrorLogSleep(LogSleepFunction sleep);

// ErrorLog.txt in the application folder; in the temporary folder's "Quillmark" when no
// application folder can be written (the settings are then not saved, and the log says why).
// Empty when neither is known.
std::wstring GetErrorLogPath();
