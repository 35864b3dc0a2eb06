// One row of the file list as the program holds it: the path, and the values its texts show,
// read from the disk when the row is first shown and kept until the rows are refreshed.
#pragma once

#include "filelist/TimeValues.h"

#include <windows.h>

#include <optional>
#include <string>

// What a row shows besides its path.
struct RowValues {
    FileStatus m_status;
    DWORD m_attributes = INVALID_FILE_ATTRIBUTES;
};

struct FileRow {
    std::wstring m_path;
    // Empty until the row is first shown, unless the folder scan that added it already said.
    std::optional<RowValues> m_values;

    explicit FileRow(std::wstring path) : m_path(std::move(path)) {}
};
