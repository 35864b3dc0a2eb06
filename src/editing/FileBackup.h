// The state of one file before an Apply changed it, kept for Undo.
#pragma once

#include "filelist/TimeValues.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

// What Undo did for one file, group by group; a group the record did not save has no outcome.
struct RollbackOutcome {
    std::optional<bool> times;
    std::optional<bool> attributes;
    std::optional<bool> properties;
};

struct CFileBackup {
    TimeSeconds m_ctime = 0;
    TimeSeconds m_mtime = 0;
    TimeSeconds m_atime = 0;
    std::uint32_t m_dwAttributes = 0;  // all bits set when the read failed
    std::map<std::wstring, std::wstring> m_mapProperties;
    bool m_bAttributesSaved = false;
    bool m_bTimesSaved = false;
    bool m_bPropertiesSaved = false;
    // Set by the Undo pass once the file is restored; the file's further rows report it.
    std::optional<RollbackOutcome> m_rollback;
};

// Orders paths as the file system compares them: ignoring case, by the system's upper-case
// table, so that two spellings of one file share one record.
struct FilePathLess {
    bool operator()(const std::wstring& left, const std::wstring& right) const;
};

using BackupMap = std::map<std::wstring, std::unique_ptr<CFileBackup>, FilePathLess>;
