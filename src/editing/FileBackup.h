// The state of one file before an Apply changed it, kept for Undo.
#pragma once

#include "filelist/TimeValues.h"

#include <cstdint>
#include <map>
#include <string>

struct CFileBackup {
    TimeSeconds m_ctime = 0;
    TimeSeconds m_mtime = 0;
    TimeSeconds m_atime = 0;
    std::uint32_t m_dwAttributes = 0;  // all bits set when the read failed
    std::map<std::wstring, std::wstring> m_mapProperties;
    bool m_bAttributesSaved = false;
    bool m_bTimesSaved = false;
    bool m_bPropertiesSaved = false;
};
