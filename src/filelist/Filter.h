// The file list's filter: "|"-separated patterns matched against the name part of each path.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The pattern that starts at position and runs up to the next "|". Afterwards position points
// just past that "|", or is -1 once the text is used up. A negative position yields an empty
// pattern and stays as it is.
std::wstring NextFilterToken(std::wstring_view text, int& position);

// The filter text and its two options, split once per list rebuild so that deciding each of
// many entries costs no further splitting and no allocation.
class CFileFilter {
public:
    CFileFilter(std::wstring_view text, bool caseSensitive, bool exclusive);

    // An empty filter text shows every entry.
    bool IsEmpty() const;

    // Whether the entry with this path gets a row.
    bool Shows(std::wstring_view fullPath) const;

private:
    // A pattern without "*" is kept whole in m_strHead; otherwise the text before the first "*"
    // is in m_strHead and the text after it in m_strTail.
    struct Pattern {
        bool m_bHasStar = false;
        std::wstring m_strHead;
        std::wstring m_strTail;
    };

    bool Matches(const Pattern& pattern, std::wstring_view name) const;

    std::vector<Pattern> m_arrPatterns;  // those before the first empty one, case-folded as needed
    bool m_bEmptyText;
    bool m_bCaseSensitive;
    bool m_bExclusive;
};
