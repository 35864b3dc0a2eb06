// The master list of added paths, in insertion order, with an index of the paths folded to
// lower case, so that removing duplicates costs time in proportion to the entries involved
// rather than to the length of the list. A whole drive may be added, so the index keeps no
// second copy of a path: it is keyed by a hash of the folded path and points into the list.
#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// The path with A to Z lower-cased and every other character kept: the runtime's default
// locale folds nothing else, so É and é stay different paths.
std::wstring FoldPathCase(std::wstring_view path);

// A hash of FoldPathCase(path), computed without making the folded copy.
std::uint64_t HashFoldedPath(std::wstring_view path);

class CPathIndex {
public:
    using const_iterator = std::list<std::wstring>::const_iterator;

    // Appends as given: equal entries may result. When memory runs out nothing is appended.
    void Append(const std::wstring& path);
    void AppendAll(const std::vector<std::wstring>& paths);

    // Removes every entry equal to the path ignoring the case of A to Z, then appends the path as
    // spelt, so a path added again moves to the end. When memory runs out the list is unchanged.
    void AddUnique(const std::wstring& path);
    void AddUniqueAll(const std::vector<std::wstring>& paths);

    // The removing half of AddUnique on its own.
    void RemoveEquivalents(std::wstring_view path);

    // Removes the first entry exactly equal to the path (letter case matters), if there is one.
    void Remove(std::wstring_view path);
    // Each path removes one entry as Remove does; a path given twice removes two equal entries.
    void RemoveEach(const std::vector<std::wstring>& paths);

    void RemoveAll();

    std::size_t GetSize() const { return m_lstPaths.size(); }
    const_iterator begin() const { return m_lstPaths.begin(); }
    const_iterator end() const { return m_lstPaths.end(); }

    // Whether an entry equals the path ignoring the case of A to Z.
    bool Contains(std::wstring_view path) const;

private:
    using Entries = std::vector<std::list<std::wstring>::iterator>;
    // The key is already a hash.
    struct KeepHash {
        std::size_t operator()(std::uint64_t hash) const { return static_cast<std::size_t>(hash); }
    };

    // Removes the entries equal to the path ignoring case, but not the last `keepLast` entries of
    // its hash (the ones just appended).
    void RemoveEquivalents(std::wstring_view path, std::size_t keepLast);
    // Removes the first `count` entries exactly equal to the path.
    void RemoveFirst(std::wstring_view path, std::size_t count);

    std::list<std::wstring> m_lstPaths;
    // Hash of the folded path to the entries with that hash, in list order (entries of different
    // paths whose hashes collide share a key); a hash without entries has no key.
    std::unordered_map<std::uint64_t, Entries, KeepHash> m_mapEntries;
};
