#include "filelist/Filter.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace {

struct Entry {
    std::wstring_view path;
    bool shown;
};

struct FilterCase {
    const char* label;
    std::wstring_view text;
    bool caseSensitive;
    bool exclusive;
    std::vector<Entry> entries;
};

void ExpectRows(const std::vector<FilterCase>& cases) {
    for (const FilterCase& c : cases) {
        SCOPED_TRACE(c.label);
        const CFileFilter filter(c.text, c.caseSensitive, c.exclusive);
        for (const Entry& entry : c.entries) {
            SCOPED_TRACE(std::wstring(entry.path));
            EXPECT_EQ(filter.Shows(entry.path), entry.shown);
        }
    }
}

constexpr bool kShown = true;
constexpr bool kHidden = false;

TEST(FileFilterTest, DocumentedRows) {
    ExpectRows({
        {"empty text, no options",
         L"",
         false,
         false,
         {{L"C:\\a.txt", kShown}, {L"C:\\", kShown}, {L"D:\\x\\REP.DOC", kShown}}},
        {"empty text, case sensitive", L"", true, false, {{L"C:\\a.txt", kShown}, {L"C:\\", kShown}}},
        {"empty text, exclusive", L"", false, true, {{L"C:\\a.txt", kShown}, {L"C:\\", kShown}}},
        {"empty text, both options", L"", true, true, {{L"C:\\a.txt", kShown}, {L"C:\\", kShown}}},
        {"txt",
         L"txt",
         false,
         false,
         {{L"C:\\mytxt.doc", kShown},
          {L"C:\\d\\a.txt", kShown},
          {L"C:\\TXT.bin", kShown},
          {L"C:\\a.doc", kHidden},
          {L"C:\\tx", kHidden}}},
        {"*.txt",
         L"*.txt",
         false,
         false,
         {{L"C:\\a.txt", kShown},
          {L"C:\\.txt", kShown},
          {L"C:\\B.TXT", kShown},
          {L"C:\\a.txt.bak", kHidden},
          {L"C:\\atxt", kHidden},
          {L"C:\\txt", kHidden}}},
        {"rep*",
         L"rep*",
         false,
         false,
         {{L"C:\\report.doc", kShown},
          {L"C:\\rep", kShown},
          {L"C:\\REPLY", kShown},
          {L"C:\\myrep.doc", kHidden},
          {L"C:\\re", kHidden}}},
        {"rep*.doc",
         L"rep*.doc",
         false,
         false,
         {{L"C:\\report.doc", kShown},
          {L"C:\\rep.doc", kShown},
          {L"C:\\report.txt", kHidden},
          {L"C:\\myrep.doc", kHidden},
          {L"C:\\rep.docx", kHidden}}},
        {"*.txt|*.doc|*.pdf",
         L"*.txt|*.doc|*.pdf",
         false,
         false,
         {{L"C:\\a.txt", kShown}, {L"C:\\b.doc", kShown}, {L"C:\\c.pdf", kShown}, {L"C:\\d.xls", kHidden}}},
        {"*.txt|*.doc, exclusive",
         L"*.txt|*.doc",
         false,
         true,
         {{L"C:\\a.txt", kHidden}, {L"C:\\b.doc", kHidden}, {L"C:\\c.pdf", kShown}, {L"C:\\d.txt.bak", kShown}}},
        {"ab*ba",
         L"ab*ba",
         false,
         false,
         {{L"C:\\aba", kShown},
          {L"C:\\abba", kShown},
          {L"C:\\abXba", kShown},
          {L"C:\\ab", kHidden},
          {L"C:\\ba", kHidden}}},
        // File names cannot hold "*" or "?"; the names that do show the characters are literal.
        {"a*b*c",
         L"a*b*c",
         false,
         false,
         {{L"C:\\abc", kHidden}, {L"C:\\a.b.c", kHidden}, {L"C:\\axbxc", kHidden}, {L"C:\\ab*c", kShown}}},
        {"question mark", L"?", false, false, {{L"C:\\a.txt", kHidden}, {L"C:\\a", kHidden}, {L"C:\\why?", kShown}}},
        {"|*.txt", L"|*.txt", false, false, {{L"C:\\a.txt", kHidden}, {L"C:\\b.doc", kHidden}}},
        {"|*.txt, exclusive", L"|*.txt", false, true, {{L"C:\\a.txt", kShown}, {L"C:\\b.doc", kShown}}},
        {"*.txt||*.doc", L"*.txt||*.doc", false, false, {{L"C:\\a.txt", kShown}, {L"C:\\b.doc", kHidden}}},
        {"*.txt|",
         L"*.txt|",
         false,
         false,
         {{L"C:\\a.txt", kShown}, {L"C:\\b.doc", kHidden}, {L"C:\\a.txt.bak", kHidden}}},
        {"*.txt| followed by a space",
         L"*.txt| ",
         false,
         false,
         {{L"C:\\a.txt", kShown},
          {L"C:\\my file.doc", kShown},
          {L"C:\\my dir\\b.doc", kHidden},
          {L"C:\\b.doc", kHidden}}},
        {"*.TXT", L"*.TXT", false, false, {{L"C:\\A.txt", kShown}, {L"C:\\b.TxT", kShown}}},
        {"*.TXT, case sensitive", L"*.TXT", true, false, {{L"C:\\A.txt", kHidden}, {L"C:\\B.TXT", kShown}}},
        {"docs", L"docs", false, false, {{L"C:\\docs\\a.bin", kHidden}, {L"C:\\x\\docs.txt", kShown}}},
        {"*", L"*", false, false, {{L"C:\\", kShown}, {L"C:\\a.txt", kShown}, {L"C:\\folder\\.x", kShown}}},
    });
}

TEST(FileFilterTest, CaseFoldingTouchesOnlyAToZ) {
    ExpectRows({
        {"upper-case filter, accented name",
         L"\u00C9t\u00C9",
         false,
         false,
         {{L"C:\\\u00E9t\u00E9.txt", kHidden}, {L"C:\\\u00C9T\u00C9.txt", kShown}}},
        {"lower-case filter, accented name",
         L"\u00E9t\u00E9",
         false,
         false,
         {{L"C:\\\u00C9t\u00C9.txt", kHidden}, {L"C:\\\u00E9T\u00E9.txt", kShown}}},
        // The neighbours of A and Z ("@" before, "[" after) must not fold onto "`" and "{".
        {"neighbours of A to Z", L"`|{", false, false, {{L"C:\\@", kHidden}, {L"C:\\[", kHidden}, {L"C:\\`", kShown}}},
        {"A and Z themselves", L"a*z", false, false, {{L"C:\\AZ", kShown}, {L"C:\\A-Z", kShown}}},
        {"case sensitive leaves the name as it is",
         L"*.txt",
         true,
         false,
         {{L"C:\\A.TXT", kHidden}, {L"C:\\A.txt", kShown}}},
        {"case sensitive leaves the filter as it is",
         L"Rep*",
         true,
         false,
         {{L"C:\\report", kHidden}, {L"C:\\Report", kShown}}},
    });
}

TEST(FileFilterTest, NameAndPatternEdges) {
    ExpectRows({
        {"a drive root has an empty name", L"C", false, false, {{L"C:\\", kHidden}}},
        {"an empty name is not rejected by a pattern it fails", L"txt", false, true, {{L"C:\\", kShown}}},
        {"without a backslash the whole path is the name",
         L"C:*",
         false,
         false,
         {{L"C:/docs/a.bin", kShown}, {L"D:/C.bin", kHidden}}},
        {"only the last backslash counts",
         L"*sub",
         false,
         false,
         {{L"C:\\sub\\file", kHidden}, {L"C:\\file\\sub", kShown}}},
        {"parts longer than the name",
         L"*.markdown|verylongprefix*|abc*xyz",
         false,
         false,
         {{L"C:\\a", kHidden}, {L"C:\\abxyz", kHidden}, {L"C:\\abcxyz", kShown}}},
        // The characters around the name must never take part, even where they would match.
        {"a tail reaching into the folder part", L"*x\\a", false, false, {{L"C:\\x\\a", kHidden}}},
        {"the path view ends before its buffer does",
         L"abc*|abc",
         false,
         false,
         {{std::wstring_view(L"C:\\abc", 4), kHidden}}},
        {"head and tail may share the whole name", L"a*a", false, false, {{L"C:\\a", kShown}, {L"C:\\ab", kHidden}}},
        {"a leading star takes the rest literally", L"**", false, false, {{L"C:\\a*", kShown}, {L"C:\\a", kHidden}}},
        {"a text of one separator", L"|", false, false, {{L"C:\\a.txt", kHidden}}},
        {"a text of one separator, exclusive", L"|", false, true, {{L"C:\\a.txt", kShown}}},
        {"any match rejects when exclusive",
         L"x|*.txt",
         false,
         true,
         {{L"C:\\a.txt", kHidden}, {L"C:\\x.doc", kHidden}, {L"C:\\b.doc", kShown}}},
        {"a later pattern than the first can select",
         L"x|y|*.pdf",
         false,
         false,
         {{L"C:\\c.pdf", kShown}, {L"C:\\c.doc", kHidden}}},
    });
}

TEST(FileFilterTest, IsEmptyOnlyForAnEmptyText) {
    EXPECT_TRUE(CFileFilter(L"", false, false).IsEmpty());
    EXPECT_FALSE(CFileFilter(L"|", false, false).IsEmpty());
    EXPECT_FALSE(CFileFilter(L" ", true, true).IsEmpty());
}

TEST(FileFilterTest, CopyOutlivesTheOriginal) {
    std::vector<CFileFilter> kept;
    {
        std::wstring text = L"*.txt|rep*";
        const CFileFilter original(text, false, false);
        kept.push_back(original);
        text.assign(text.size(), L'#');
    }
    EXPECT_TRUE(kept.front().Shows(L"C:\\a.TXT"));
    EXPECT_TRUE(kept.front().Shows(L"C:\\report.doc"));
    EXPECT_FALSE(kept.front().Shows(L"C:\\a.doc"));
}

struct Step {
    std::wstring_view token;
    int positionAfter;
};

struct TokenCase {
    const char* label;
    std::wstring_view text;
    int start;
    std::vector<Step> steps;
};

TEST(NextFilterTokenTest, WalksTheText) {
    const std::vector<TokenCase> cases = {
        {"two patterns", L"a|b", 0, {{L"a", 2}, {L"b", -1}, {L"", -1}}},
        {"empty text", L"", 0, {{L"", -1}, {L"", -1}}},
        {"trailing separator", L"*.txt|", 0, {{L"*.txt", 6}, {L"", -1}}},
        {"leading separator", L"|*.txt", 0, {{L"", 1}, {L"*.txt", -1}}},
        {"double separator", L"a||b", 0, {{L"a", 2}, {L"", 3}, {L"b", -1}}},
        {"a space is a pattern", L"*.txt| ", 0, {{L"*.txt", 6}, {L" ", -1}}},
        {"start inside the text", L"ab|cd", 1, {{L"b", 3}, {L"cd", -1}}},
        {"start on a separator", L"ab|cd", 2, {{L"", 3}, {L"cd", -1}}},
        {"start at the end", L"ab", 2, {{L"", -1}}},
        {"start past the end", L"ab|c", 9, {{L"", -1}}},
        {"negative start", L"a|b", -1, {{L"", -1}}},
        {"other negative start stays", L"a|b", -5, {{L"", -5}}},
    };
    for (const TokenCase& c : cases) {
        SCOPED_TRACE(c.label);
        int position = c.start;
        for (std::size_t i = 0; i < c.steps.size(); ++i) {
            SCOPED_TRACE("call " + std::to_string(i + 1));
            EXPECT_EQ(NextFilterToken(c.text, position), c.steps[i].token);
            EXPECT_EQ(position, c.steps[i].positionAfter);
        }
    }
}

}  // namespace
