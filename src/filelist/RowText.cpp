#include "filelist/RowText.h"

namespace {

struct AttributeLetter {
    std::uint32_t m_dwBit;
    wchar_t m_chLetter;
};

// Directory comes second, before hidden and system, although its bit is higher.
constexpr AttributeLetter kAttributeLetters[] = {
    {0x1, L'R'},     // FILE_ATTRIBUTE_READONLY
    {0x10, L'D'},    // FILE_ATTRIBUTE_DIRECTORY
    {0x2, L'H'},     // FILE_ATTRIBUTE_HIDDEN
    {0x4, L'S'},     // FILE_ATTRIBUTE_SYSTEM
    {0x20, L'A'},    // FILE_ATTRIBUTE_ARCHIVE
    {0x1000, L'O'},  // FILE_ATTRIBUTE_OFFLINE
    {0x100, L'T'},   // FILE_ATTRIBUTE_TEMPORARY
    {0x800, L'C'},   // FILE_ATTRIBUTE_COMPRESSED
    {0x4000, L'E'},  // FILE_ATTRIBUTE_ENCRYPTED
    {0x2000, L'N'},  // FILE_ATTRIBUTE_NOT_CONTENT_INDEXED
    {0x80, L'M'},    // FILE_ATTRIBUTE_NORMAL
};

}  // namespace

std::wstring FormatAttributeLetters(std::uint32_t attributes) {
    std::wstring text;
    for (const AttributeLetter& entry : kAttributeLetters) {
        if ((attributes & entry.m_dwBit) != 0)
            text.push_back(entry.m_chLetter);
    }
    return text;
}
