#include "filelist/PathIndex.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace {

using Paths = std::vector<std::wstring>;

Paths Listed(CPathIndex& index) {
    Paths paths;
    for (const ListedPath& entry : index)
        paths.push_back(entry.m_path);
    return paths;
}

TEST(PathIndexTest, FoldsOnlyAToZ) {
    struct Case {
        const char* label;
        const wchar_t* path;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {"drive, folder and name", L"C:\\A\\X.TXT", L"c:\\a\\x.txt"},
        {"already lower", L"c:\\a\\x.txt", L"c:\\a\\x.txt"},
        {"neighbours of A and Z", L"@[`{", L"@[`{"},
        {"first and last letter", L"AZ", L"az"},
        {"accented capital kept", L"C:\\\u00C9T\u00C9", L"c:\\\u00C9t\u00C9"},
        {"fullwidth capital kept", L"\uFF21", L"\uFF21"},
        {"empty", L"", L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(FoldPathCase(c.path), c.expected);
    }
}

TEST(PathIndexTest, KeepsTheListAsOneAddAtATimeWould) {
    struct Case {
        const char* label;
        std::function<void(CPathIndex&)> act;
        Paths expected;
        Paths absent;  // paths that no entry may equal, ignoring case
    };
    const Case cases[] = {
        {"same file spelt two ways over two commands",
         [](CPathIndex& index) {
             index.AddUnique(L"C:\\A\\x.txt");
             index.AddUnique(L"C:\\B\\y.txt");
             index.AddUnique(L"C:\\a\\X.TXT");
         },
         {L"C:\\B\\y.txt", L"C:\\a\\X.TXT"},
         {}},
        {"path added again moves to the end",
         [](CPathIndex& index) {
             index.AddUniqueAll(Paths{L"a", L"b", L"c"});
             index.AddUnique(L"a");
         },
         {L"b", L"c", L"a"},
         {}},
        {"repeat inside one batch keeps the last spelling in the last place",
         [](CPathIndex& index) {
             index.AddUniqueAll(Paths{L"x", L"Y", L"X", L"z"});
         },
         {L"Y", L"X", L"z"},
         {}},
        {"same folder added twice: files once, folder entry twice",
         [](CPathIndex& index) {
             for (int pass = 0; pass < 2; ++pass) {
                 index.AppendAll(Paths{L"C:\\D"});
                 index.AddUniqueAll(Paths{L"C:\\D\\1.txt", L"C:\\D\\2.txt"});
             }
         },
         {L"C:\\D", L"C:\\D", L"C:\\D\\1.txt", L"C:\\D\\2.txt"},
         {}},
        {"removing equivalents alone drops a listed file",
         [](CPathIndex& index) {
             index.AddUniqueAll(Paths{L"C:\\D\\f.txt", L"C:\\other"});
             index.AppendAll(Paths{L"C:\\D"});
             index.RemoveEquivalents(L"C:\\D\\F.TXT");
         },
         {L"C:\\other", L"C:\\D"},
         {L"C:\\D\\f.txt"}},
        {"removing equivalents of a path not listed",
         [](CPathIndex& index) {
             index.AddUniqueAll(Paths{L"x", L"y"});
             index.RemoveEquivalents(L"z");
         },
         {L"x", L"y"},
         {L"z"}},
        {"removing equivalents takes plain appends too",
         [](CPathIndex& index) {
             index.AppendAll(Paths{L"x", L"y", L"X", L"x"});
             index.RemoveEquivalents(L"x");
         },
         {L"y"},
         {L"x"}},
        {"plain appends keep equal entries",
         [](CPathIndex& index) {
             index.AppendAll(Paths{L"p", L"p", L"P"});
         },
         {L"p", L"p", L"P"},
         {}},
        {"one add removes every equal entry",
         [](CPathIndex& index) {
             index.AppendAll(Paths{L"p", L"q", L"p", L"P"});
             index.AddUnique(L"P");
         },
         {L"q", L"P"},
         {}},
        {"equal entries of other paths stay",
         [](CPathIndex& index) {
             index.AppendAll(Paths{L"q", L"q"});
             index.AddUnique(L"z");
         },
         {L"q", L"q", L"z"},
         {}},
        {"letters beyond A to Z keep their case",
         [](CPathIndex& index) {
             index.AddUnique(L"C:\\\u00C9.txt");
             index.AddUnique(L"C:\\\u00E9.txt");
         },
         {L"C:\\\u00C9.txt", L"C:\\\u00E9.txt"},
         {}},
        {"remove takes the first exact match",
         [](CPathIndex& index) {
             index.AppendAll(Paths{L"a", L"b", L"a"});
             index.RemoveEach(Paths{L"a"});
         },
         {L"b", L"a"},
         {}},
        {"single remove takes the first exact match",
         [](CPathIndex& index) {
             index.AppendAll(Paths{L"A", L"a", L"b", L"a"});
             index.Remove(L"a");
         },
         {L"A", L"b", L"a"},
         {}},
        {"many removals of one path among many equal entries",
         [](CPathIndex& index) {
             index.AppendAll(Paths(1000, L"C:\\dropped.txt"));
             index.AppendAll(Paths{L"C:\\other.txt"});
             index.AppendAll(Paths(10, L"C:\\dropped.txt"));
             index.RemoveEach(Paths(1005, L"C:\\dropped.txt"));
         },
         {L"C:\\other.txt", L"C:\\dropped.txt", L"C:\\dropped.txt", L"C:\\dropped.txt", L"C:\\dropped.txt",
          L"C:\\dropped.txt"},
         {}},
        {"remove compares letter case",
         [](CPathIndex& index) {
             index.AddUnique(L"C:\\A.txt");
             index.RemoveEach(Paths{L"C:\\a.txt"});
         },
         {L"C:\\A.txt"},
         {}},
        {"path named twice in a removal takes two entries",
         [](CPathIndex& index) {
             index.AppendAll(Paths{L"a", L"b", L"a", L"a"});
             index.RemoveEach(Paths{L"a", L"a"});
         },
         {L"b", L"a"},
         {}},
        {"selected rows removed last row first",
         [](CPathIndex& index) {
             index.AddUniqueAll(Paths{L"1", L"2", L"3", L"4", L"5"});
             index.RemoveEach(Paths{L"5", L"3", L"1"});
         },
         {L"2", L"4"},
         {L"1", L"3", L"5"}},
        {"removals beyond the entries there are",
         [](CPathIndex& index) {
             index.AppendAll(Paths{L"a"});
             index.RemoveEach(Paths{L"a", L"a", L"missing"});
         },
         {},
         {L"a", L"missing"}},
        {"remove all, then add again",
         [](CPathIndex& index) {
             index.AddUniqueAll(Paths{L"a", L"b"});
             index.RemoveAll();
             index.AddUnique(L"B");
         },
         {L"B"},
         {L"a"}},
        {"empty batches change nothing",
         [](CPathIndex& index) {
             index.AddUnique(L"a");
             index.AddUniqueAll(Paths{});
             index.AppendAll(Paths{});
             index.RemoveEach(Paths{});
             index.Remove(L"");
         },
         {L"a"},
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        CPathIndex index;
        c.act(index);
        EXPECT_EQ(Listed(index), c.expected);
        EXPECT_EQ(index.GetSize(), c.expected.size());
        for (const std::wstring& path : c.expected)
            EXPECT_TRUE(index.Contains(FoldPathCase(path)));
        for (const std::wstring& path : c.absent)
            EXPECT_FALSE(index.Contains(path));
    }
}

// The list kept the slow way: one path at a time, every entry compared.
class NaiveList {
public:
    void Append(const Paths& paths) { m_paths.insert(m_paths.end(), paths.begin(), paths.end()); }
    void RemoveEquivalents(const std::wstring& added) {
        const std::wstring key = FoldPathCase(added);
        std::erase_if(m_paths, [&](const std::wstring& path) { return FoldPathCase(path) == key; });
    }
    void Remove(const Paths& paths) {
        for (const std::wstring& path : paths) {
            for (auto it = m_paths.begin(); it != m_paths.end(); ++it) {
                if (*it == path) {
                    m_paths.erase(it);
                    break;
                }
            }
        }
    }
    bool Contains(const std::wstring& path) const {
        for (const std::wstring& entry : m_paths) {
            if (FoldPathCase(entry) == FoldPathCase(path))
                return true;
        }
        return false;
    }
    Paths m_paths;
};

TEST(PathIndexTest, MatchesOneAtATimeListOverRandomCommands) {
    const Paths spellings = {L"C:\\a", L"C:\\A", L"c:\\a", L"C:\\b", L"C:\\B", L"C:\\c", L"C:\\\u00C9", L"C:\\\u00E9"};
    std::mt19937 random(20081207);
    std::uniform_int_distribution<std::size_t> pickPath(0, spellings.size() - 1);
    std::uniform_int_distribution<int> pickCommand(0, 20);
    std::uniform_int_distribution<std::size_t> pickCount(0, 6);

    CPathIndex index;
    NaiveList naive;
    // Rows point at entries: an entry taken out must stay as it was until ReleaseRemoved.
    std::vector<std::pair<const ListedPath*, std::wstring>> rows;
    for (int round = 0; round < 5000; ++round) {
        if (round % 7 == 0) {
            index.ReleaseRemoved();
            rows.clear();
            for (const ListedPath& entry : index)
                rows.emplace_back(&entry, entry.m_path);
        }
        const int command = pickCommand(random);
        const std::wstring& path = spellings[pickPath(random)];
        Paths batch(pickCount(random));
        for (std::wstring& entry : batch)
            entry = spellings[pickPath(random)];

        if (command < 5) {
            index.Append(path);
            naive.Append({path});
        } else if (command < 10) {
            index.AddUnique(path);
            naive.RemoveEquivalents(path);
            naive.Append({path});
        } else if (command < 12) {
            index.RemoveEquivalents(path);
            naive.RemoveEquivalents(path);
        } else if (command < 15) {
            index.Remove(path);
            naive.Remove({path});
        } else if (command < 17) {
            index.RemoveEach(batch);
            naive.Remove(batch);
        } else if (command < 19) {
            index.AppendAll(batch);
            naive.Append(batch);
        } else if (command < 20) {
            index.AddUniqueAll(batch);
            for (const std::wstring& entry : batch) {
                naive.RemoveEquivalents(entry);
                naive.Append({entry});
            }
        } else if (round % 5 == 0) {
            index.RemoveAll();
            naive.m_paths.clear();
        }
        for (const auto& [entry, spelt] : rows)
            ASSERT_EQ(entry->m_path, spelt) << "after round " << round;
        ASSERT_EQ(Listed(index), naive.m_paths) << "after round " << round << ", command " << command;
        ASSERT_EQ(index.GetSize(), naive.m_paths.size()) << "after round " << round;
        for (const std::wstring& probe : spellings)
            ASSERT_EQ(index.Contains(probe), naive.Contains(probe)) << "after round " << round;
    }
}

}  // namespace
