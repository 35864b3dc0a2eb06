#include "filelist/PathIndex.h"

#include <algorithm>
#include <iterator>
#include <unordered_map>

namespace {

wchar_t FoldChar(wchar_t c) {
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

bool EqualFolded(std::wstring_view a, std::wstring_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) { return FoldChar(x) == FoldChar(y); });
}

}  // namespace

std::wstring FoldPathCase(std::wstring_view path) {
    std::wstring folded(path);
    for (wchar_t& c : folded)
        c = FoldChar(c);
    return folded;
}

// 64-bit FNV-1a over the folded UTF-16 units: the same on both builds, and few collisions even
// among a million paths that differ in a digit or two.
std::uint64_t HashFoldedPath(std::wstring_view path) {
    std::uint64_t hash = 14695981039346656037ull;
    for (wchar_t c : path) {
        const auto unit = static_cast<std::uint16_t>(FoldChar(c));
        hash = (hash ^ (unit & 0xFFu)) * 1099511628211ull;
        hash = (hash ^ (unit >> 8)) * 1099511628211ull;
    }
    return hash;
}

CPathIndex::iterator& CPathIndex::BucketOf(std::wstring_view path) {
    return m_vecBuckets[static_cast<std::size_t>(HashFoldedPath(path)) & (m_vecBuckets.size() - 1)];
}

void CPathIndex::GrowBuckets() {
    std::vector<iterator> buckets(std::max<std::size_t>(64, 2 * m_vecBuckets.size()), m_lstPaths.end());
    // Relinked from the last entry to the first, each put at the front of its bucket, so that
    // every bucket lists its entries in list order again.
    for (iterator entry = m_lstPaths.end(); entry != m_lstPaths.begin();) {
        --entry;
        iterator& first = buckets[static_cast<std::size_t>(HashFoldedPath(entry->m_path)) & (buckets.size() - 1)];
        entry->m_itNextInBucket = first;
        first = entry;
    }
    m_vecBuckets = std::move(buckets);
}

ListedPath& CPathIndex::Append(const std::wstring& path) {
    // Both allocations come before any change, so running out of memory changes nothing.
    if (m_lstPaths.size() >= m_vecBuckets.size())
        GrowBuckets();
    m_lstPaths.emplace_back(path);
    const iterator added = std::prev(m_lstPaths.end());
    added->m_itNextInBucket = m_lstPaths.end();
    iterator* link = &BucketOf(path);
    while (*link != m_lstPaths.end())
        link = &(*link)->m_itNextInBucket;
    *link = added;
    return *added;
}

void CPathIndex::AppendAll(const std::vector<std::wstring>& paths) {
    for (const std::wstring& path : paths)
        Append(path);
}

ListedPath& CPathIndex::AddUnique(const std::wstring& path) {
    // The new entry is made first: running out of memory then leaves the earlier ones listed.
    ListedPath& added = Append(path);
    RemoveFromBucket(path,
                     [&](const ListedPath& entry) { return &entry != &added && EqualFolded(entry.m_path, path); });
    return added;
}

void CPathIndex::AddUniqueAll(const std::vector<std::wstring>& paths) {
    for (const std::wstring& path : paths)
        AddUnique(path);
}

void CPathIndex::RemoveEquivalents(std::wstring_view path) {
    RemoveFromBucket(path, [&](const ListedPath& entry) { return EqualFolded(entry.m_path, path); });
}

template <class Pick>
void CPathIndex::RemoveFromBucket(std::wstring_view path, Pick takeOut) {
    if (m_vecBuckets.empty())
        return;
    iterator* link = &BucketOf(path);
    while (*link != m_lstPaths.end()) {
        const iterator entry = *link;
        if (takeOut(*entry)) {
            *link = entry->m_itNextInBucket;
            m_lstRemoved.splice(m_lstRemoved.end(), m_lstPaths, entry);
        } else {
            link = &entry->m_itNextInBucket;
        }
    }
}

void CPathIndex::Remove(std::wstring_view path) {
    RemoveFirst(path, 1);
}

// Grouped by path, so that many removals of one path among many equal entries walk those
// entries once.
void CPathIndex::RemoveEach(const std::vector<std::wstring>& paths) {
    std::unordered_map<std::wstring_view, std::size_t> counts;
    for (const std::wstring& path : paths)
        ++counts[path];
    for (const auto& [path, count] : counts)
        RemoveFirst(path, count);
}

void CPathIndex::RemoveFirst(std::wstring_view path, std::size_t count) {
    RemoveFromBucket(path, [&](const ListedPath& entry) {
        if (count == 0 || entry.m_path != path)
            return false;
        --count;
        return true;
    });
}

void CPathIndex::RemoveAll() {
    m_lstRemoved.splice(m_lstRemoved.end(), m_lstPaths);
    m_vecBuckets = {};
}

void CPathIndex::ReleaseRemoved() {
    m_lstRemoved.clear();
}

bool CPathIndex::Contains(std::wstring_view path) const {
    if (m_vecBuckets.empty())
        return false;
    auto entry = m_vecBuckets[static_cast<std::size_t>(HashFoldedPath(path)) & (m_vecBuckets.size() - 1)];
    for (; entry != m_lstPaths.end(); entry = entry->m_itNextInBucket) {
        if (EqualFolded(entry->m_path, path))
            return true;
    }
    return false;
}
