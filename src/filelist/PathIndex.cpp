#include "filelist/PathIndex.h"

#include <iterator>

std::wstring FoldPathCase(std::wstring_view path) {
    std::wstring folded(path);
    for (wchar_t& c : folded) {
        if (c >= L'A' && c <= L'Z')
            c = static_cast<wchar_t>(c - L'A' + L'a');
    }
    return folded;
}

void CPathIndex::Append(const std::wstring& path) {
    m_lstPaths.push_back(path);
    m_mapEntries[FoldPathCase(path)].push_back(std::prev(m_lstPaths.end()));
}

void CPathIndex::AppendAll(const std::vector<std::wstring>& paths) {
    for (const std::wstring& path : paths)
        Append(path);
}

void CPathIndex::AddUnique(const std::wstring& path) {
    RemoveEquivalents(path);
    Append(path);
}

void CPathIndex::AddUniqueAll(const std::vector<std::wstring>& paths) {
    for (const std::wstring& path : paths)
        AddUnique(path);
}

void CPathIndex::RemoveEquivalents(std::wstring_view path) {
    const auto found = m_mapEntries.find(FoldPathCase(path));
    if (found == m_mapEntries.end())
        return;
    for (const auto& entry : found->second)
        m_lstPaths.erase(entry);
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
    const auto found = m_mapEntries.find(FoldPathCase(path));
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
    return m_mapEntries.contains(FoldPathCase(path));
}
