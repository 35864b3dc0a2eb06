#include "filelist/PathIndex.h"

#include <algorithm>
#include <iterator>

namespace {

wchar_t FoldChar(wchar_t c) {
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

bool EqualFolded(std::wstring_view a, std::wstring_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) { return FoldChar(x) == FoldChar(y); });
}

} // namespace

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

void CPathIndex::Append(const std::wstring& path) {
    m_lstPaths.push_back(path);
    try {
        m_mapEntries[HashFoldedPath(path)].push_back(std::prev(m_lstPaths.end()));
    } catch (...) {
        // An entry the index does not know could never be found again: take it back out. A key
        // left with no entries is harmless to every lookup.
        m_lstPaths.pop_back();
        throw;
    }
}

void CPathIndex::AppendAll(const std::vector<std::wstring>& paths) {
    for (const std::wstring& path : paths)
        Append(path);
}

void CPathIndex::AddUnique(const std::wstring& path) {
    // The new entry is made first: running out of memory then leaves the earlier ones listed.
    Append(path);
    RemoveEquivalents(path, 1);
}

void CPathIndex::AddUniqueAll(const std::vector<std::wstring>& paths) {
    for (const std::wstring& path : paths)
        AddUnique(path);
}

void CPathIndex::RemoveEquivalents(std::wstring_view path) {
    RemoveEquivalents(path, 0);
}

void CPathIndex::RemoveEquivalents(std::wstring_view path, std::size_t keepLast) {
    const auto found = m_mapEntries.find(HashFoldedPath(path));
    if (found == m_mapEntries.end())
        return;
    Entries& entries = found->second;
    std::size_t kept = 0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (i + keepLast < entries.size() && EqualFolded(*entries[i], path))
            m_lstPaths.erase(entries[i]);
        else
            entries[kept++] = entries[i];
    }
    entries.resize(kept);
    if (entries.empty())
        m_mapEntries.erase(found);
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
    const auto found = m_mapEntries.find(HashFoldedPath(path));
    if (found == m_mapEntries.end())
        return;
    Entries& entries = found->second;
    std::size_t kept = 0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (count > 0 && *entries[i] == path) {
            m_lstPaths.erase(entries[i]);
            --count;
        } else {
            entries[kept++] = entries[i];
        }
    }
    entries.resize(kept);
    if (entries.empty())
        m_mapEntries.erase(found);
}

void CPathIndex::RemoveAll() {
    m_lstPaths.clear();
    m_mapEntries.clear();
}

bool CPathIndex::Contains(std::wstring_view path) const {
    const auto found = m_mapEntries.find(HashFoldedPath(path));
    return found != m_mapEntries.end() &&
           std::any_of(found->second.begin(), found->second.end(),
                       [&](const auto& entry) { return EqualFolded(*entry, path); });
}
