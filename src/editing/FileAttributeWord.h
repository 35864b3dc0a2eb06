// Writing a file's attribute word so that what is reported is what the file got, and lifting
// its read-only bit for a write of the program's own.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

// Sets the word and reads it back: true when the call succeeded and every read-only, hidden
// and system bit of the word is on the file.
bool SetAttributeWord(const std::wstring& path, DWORD word);

// Clears the read-only bit of a file that has it. The file's word before, to be put back with
// SetAttributeWord, when the bit was lifted; nothing when there was none or it could not be.
std::optional<DWORD> LiftReadOnly(const std::wstring& path);
