// The state of one file before an Apply changed it, kept for Undo.
#pragma once

#include <cstdint>
#include <map>
#include <string>

struct CFileBackup {
    long long m_ctime = 0;
    long long m_mtime = 0;
    long long m_atime = 0;
    std::uint32_t m_dwAttributes = 0;
    std::map<std::wstring, std::wstring> m_mapProperties;
    bool m_bAttributesSaved = false;
    bool m_bTimesSaved = false;
    bool m_bPropertiesSaved = false;
};
