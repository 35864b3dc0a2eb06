#include "framework/TextConv.h"

#include <climits>

std::string ToNarrow(std::wstring_view text, UINT codePage) {
    if (text.empty() || text.size() > INT_MAX) {
        return {};
    }
    const int length = static_cast<int>(text.size());
    const int needed = ::WideCharToMultiByte(codePage, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) {
        return {};
    }
    std::string result(static_cast<size_t>(needed), '\0');
    ::WideCharToMultiByte(codePage, 0, text.data(), length, result.data(), needed, nullptr, nullptr);
    return result;
}

std::wstring ToWide(std::string_view text, UINT codePage) {
    if (text.empty() || text.size() > INT_MAX) {
        return {};
    }
    const int length = static_cast<int>(text.size());
    const int needed = ::MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
    if (needed <= 0) {
        return {};
    }
    std::wstring result(static_cast<size_t>(needed), L'\0');
    ::MultiByteToWideChar(codePage, 0, text.data(), length, result.data(), needed);
    return result;
}
