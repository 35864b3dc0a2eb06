// Conversion between the program's UTF-16 strings and 8-bit strings of a code page.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

// Characters the code page lacks become its default character.
std::string ToNarrow(std::wstring_view text, UINT codePage = CP_ACP);
std::wstring ToWide(std::string_view text, UINT codePage = CP_ACP);
