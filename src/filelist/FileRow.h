// One row of the file list as the program holds it: the path, and the values its texts show,
// read from the disk when the row is first shown and kept until the rows are refreshed.
#pragma once

#include "filelist/TimeValues.h"

#include <windows.h>

#include <string>

struct FileRow {
    std::wstring m_path;
    FileStatus m_status;
    DWORD m_attributes = INVALID_FILE_ATTRIBUTES;
    // Whether m_status and m_attributes hold what the disk said; false until first shown.
    bool m_known = false;

    explicit FileRow(std::wstring path) : m_path(std::move(path)) {}
};
