// The master list of added paths, in insertion order, with an index of the paths folded to
// lower case, so that removing duplicates costs time in proportion to the entries involved
// rather than to the length of the list. A whole drive may be added, so an entry is the only
// copy of its path: the index links the entries of a hash bucket through the entries
// themselves, and the rows of the file list point at entries rather than copy them.
#pragma once

#include "filelist/TimeValues.h"

#include <cstddef>
#include <cstdint>
#include <list>
#include <string>
#include <string_view>
#include <vector>

// The path with A to Z lower-cased and every other character kept: the runtime's default
// locale folds nothing else, so É and é stay different paths.
std::wstring FoldPathCase(std::wstring_view path);

// A hash of FoldPathCase(path), computed without making the folded copy.
std::uint64_t HashFoldedPath(std::wstring_view path);

// One entry of the master list: the path as added, and what the row made from it shows of the
// file, kept with it so that a row costs no more than a pointer.
class ListedPath {
public:
    enum class Values : std::uint8_t {
        Unread,    // read from the disk when the row is first shown
        Read,      // read, and kept until the list is filled again
        FromScan,  // what the folder scan's search said: good for the fill that follows it
    };

    explicit ListedPath(std::wstring path) : m_path(std::move(path)) {}

    const std::wstring m_path;
    FileStatus m_status;
    std::uint32_t m_attributes = 0xFFFFFFFFu;  // the platform's "no attributes"
    Values m_values = Values::Unread;

private:
    friend class CPathIndex;
    // The next entry in the same hash bucket, in list order; the list's end ends the chain.
    std::list<ListedPath>::iterator m_itNextInBucket;
};

class CPathIndex {
public:
    using iterator = std::list<ListedPath>::iterator;

    CPathIndex() = default;
    CPathIndex(const CPathIndex&) = delete;
    CPathIndex& operator=(const CPathIndex&) = delete;

    // Appends as given: equal entries may result. When memory runs out nothing is appended.
    ListedPath& Append(const std::wstring& path);
    void AppendAll(const std::vector<std::wstring>& paths);

    // Removes every entry equal to the path ignoring the case of A to Z, then appends the path as
    // spelt, so a path added again moves to the end. When memory runs out the list is unchanged.
    ListedPath& AddUnique(const std::wstring& path);
    void AddUniqueAll(const std::vector<std::wstring>& paths);

    // The removing half of AddUnique on its own.
    void RemoveEquivalents(std::wstring_view path);

    // Removes the first entry exactly equal to the path (letter case matters), if there is one.
    void Remove(std::wstring_view path);
    // Each path removes one entry as Remove does; a path given twice removes two equal entries.
    void RemoveEach(const std::vector<std::wstring>& paths);

    void RemoveAll();

    // An entry taken out of the list is kept, unlisted and unchanged, until this is called, so
    // that rows made from it stay good until the rows are made afresh. Nothing here fails for
    // want of memory.
    void ReleaseRemoved();

    std::size_t GetSize() const { return m_lstPaths.size(); }
    iterator begin() { return m_lstPaths.begin(); }
    iterator end() { return m_lstPaths.end(); }

    // Whether an entry equals the path ignoring the case of A to Z.
    bool Contains(std::wstring_view path) const;

private:
    iterator& BucketOf(std::wstring_view path);
    // Gives the index more buckets before the list outgrows them; may run out of memory.
    void GrowBuckets();
    // Takes out of the list each entry of the path's bucket, in list order, that `takeOut` picks.
    template <class Pick>
    void RemoveFromBucket(std::wstring_view path, Pick takeOut);
    // Removes the first `count` entries exactly equal to the path.
    void RemoveFirst(std::wstring_view path, std::size_t count);

    std::list<ListedPath> m_lstPaths;
    std::list<ListedPath> m_lstRemoved;
    // The first entry of each bucket (a power of two of them, at least one per entry), or the
    // list's end; a bucket is picked by the low bits of the folded path's hash.
    std::vector<iterator> m_vecBuckets;
};
