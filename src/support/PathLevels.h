// The folders along a path, shortest first, as they must be created one level at a time.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Every prefix of `path` that ends just before a "\" found at index 3 or later (a final "\" is
// assumed), so that a drive root such as C:\ is never among them.
std::vector<std::wstring> DirectoryLevels(std::wstring_view path);

// `folder` with a "\" appended unless it is empty or already ends in one.
std::wstring WithTrailingSeparator(std::wstring folder);
