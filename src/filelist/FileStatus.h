// Reading, writing and showing a file's three times.
#pragma once

#include "filelist/TimeValues.h"

#include <windows.h>

#include <optional>
#include <string>

// Stored for a time the file has but the program cannot hold (before 1970, or after the
// year 3000): it shows as an empty text and is never written.
inline constexpr TimeSeconds kUnrepresentableTime = -1;

// A time no write passes on: "no time", or one the program could not hold when it read it.
constexpr bool IsAbsentTime(TimeSeconds t) {
    return t == 0 || t == kUnrepresentableTime;
}

// Fills the three times of a file or folder; true whenever it is found. False, with the status
// untouched, when the path is too long or cannot be found. A time the program cannot hold
// is filled with kUnrepresentableTime.
bool GetFileStatus(const std::wstring& path, FileStatus& status);

// The three times a search result gives, as GetFileStatus fills them.
FileStatus StatusFromFindData(const WIN32_FIND_DATAW& data);

// Whether GetFileStatus of the path looks up the path exactly as spelt, so a folder search's
// entry for it says what the read would: not so for a path too long to read, or one the
// platform rewrites first (a trailing dot or space, a "..", a forward slash).
bool StatusReadFindsPathAsGiven(const std::wstring& path);

// Writes the times of a regular file; an absent time is left as the file has it, and a status
// whose last-write time is 0 writes nothing. The attributes are left as they are.
bool WriteFileStatus(const std::wstring& path, const FileStatus& status);

// The UTC file time of t, through the local fields of t and the offset in force now.
std::optional<FILETIME> TimeToFileTime(TimeSeconds t);

// The local calendar fields of a time through the local-time rule; empty outside the span.
std::optional<TimeSeconds> LocalFieldsToTimeSeconds(const CalendarTime& fields);

// The list's text of a time in local time, "MM/DD/YY HH:MM:SS"; empty when it cannot be formed.
std::wstring FormatListTime(TimeSeconds t);
