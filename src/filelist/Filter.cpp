#include "filelist/Filter.h"

#include <algorithm>
#include <cstddef>
#include <limits>
#include <utility>

namespace {

// The C runtime's default locale lower-cases A to Z and nothing else, so without "Case
// sensitive" letters such as É and é still differ.
wchar_t FoldCase(wchar_t c) {
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

// Compares a character of the name with one of a pattern; the pattern is folded beforehand, so
// only the name's side needs folding here.
struct NameCharEquals {
    bool m_bFold;
    bool operator()(wchar_t fromName, wchar_t fromPattern) const {
        return (m_bFold ? FoldCase(fromName) : fromName) == fromPattern;
    }
};

bool StartsWith(std::wstring_view name, std::wstring_view part, NameCharEquals equals) {
    return part.size() <= name.size() && std::equal(name.begin(), name.begin() + part.size(), part.begin(), equals);
}

bool EndsWith(std::wstring_view name, std::wstring_view part, NameCharEquals equals) {
    return part.size() <= name.size() && std::equal(name.end() - part.size(), name.end(), part.begin(), equals);
}

bool Contains(std::wstring_view name, std::wstring_view part, NameCharEquals equals) {
    return std::search(name.begin(), name.end(), part.begin(), part.end(), equals) != name.end();
}

}  // namespace

std::wstring NextFilterToken(std::wstring_view text, int& position) {
    if (position < 0)
        return {};
    const auto start = static_cast<std::size_t>(position);
    if (start > text.size()) {
        position = -1;
        return {};
    }
    const std::size_t bar = text.find(L'|', start);
    if (bar == std::wstring_view::npos) {
        position = -1;
        return std::wstring(text.substr(start));
    }
    // A text too long for an int position ends at the first "|" it can no longer point past.
    position = bar < static_cast<std::size_t>(std::numeric_limits<int>::max()) ? static_cast<int>(bar) + 1 : -1;
    return std::wstring(text.substr(start, bar - start));
}

CFileFilter::CFileFilter(std::wstring_view text, bool caseSensitive, bool exclusive)
    : m_bEmptyText(text.empty()), m_bCaseSensitive(caseSensitive), m_bExclusive(exclusive) {
    int position = 0;
    for (std::wstring token = NextFilterToken(text, position); !token.empty();
         token = NextFilterToken(text, position)) {
        if (!caseSensitive)
            std::transform(token.begin(), token.end(), token.begin(), FoldCase);
        Pattern pattern;
        const std::size_t star = token.find(L'*');
        if (star == std::wstring::npos) {
            pattern.m_strHead = std::move(token);
        } else {
            pattern.m_bHasStar = true;
            pattern.m_strHead = token.substr(0, star);
            pattern.m_strTail = token.substr(star + 1);
        }
        m_arrPatterns.push_back(std::move(pattern));
    }
}

bool CFileFilter::IsEmpty() const {
    return m_bEmptyText;
}

bool CFileFilter::Shows(std::wstring_view fullPath) const {
    if (m_bEmptyText)
        return true;
    const std::size_t slash = fullPath.rfind(L'\\');
    const std::wstring_view name = slash == std::wstring_view::npos ? fullPath : fullPath.substr(slash + 1);
    // Every match sets the same answer, so the first one settles it.
    const bool matched = std::any_of(m_arrPatterns.begin(), m_arrPatterns.end(),
                                     [&](const Pattern& pattern) { return Matches(pattern, name); });
    return matched != m_bExclusive;
}

bool CFileFilter::Matches(const Pattern& pattern, std::wstring_view name) const {
    const NameCharEquals equals{!m_bCaseSensitive};
    if (!pattern.m_bHasStar)
        return Contains(name, pattern.m_strHead, equals);
    // Head and tail are tested separately, so they may share characters of the name ("ab*ba"
    // matches "aba"); an empty head or tail matches any name.
    return StartsWith(name, pattern.m_strHead, equals) && EndsWith(name, pattern.m_strTail, equals);
}
