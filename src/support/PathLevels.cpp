#include "support/PathLevels.h"

std::vector<std::wstring> DirectoryLevels(std::wstring_view path) {
    std::wstring copy(path);
    if (copy.empty() || copy.back() != L'\\') {
        copy.push_back(L'\\');
    }
    std::vector<std::wstring> levels;
    for (size_t found = copy.find(L'\\', 3); found != std::wstring::npos; found = copy.find(L'\\', found + 1)) {
        levels.emplace_back(copy, 0, found);
    }
    return levels;
}

std::wstring WithTrailingSeparator(std::wstring folder) {
    if (!folder.empty() && folder.back() != L'\\') {
        folder.push_back(L'\\');
    }
    return folder;
}
