#include "filelist/RowText.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

TEST(RowTextTest, AttributeLettersFollowTheFixedOrder) {
    struct Case {
        const char* label;
        std::uint32_t attributes;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {"no bits", 0x0, L""},
        {"read-only", 0x1, L"R"},
        {"hidden", 0x2, L"H"},
        {"system", 0x4, L"S"},
        {"directory", 0x10, L"D"},
        {"archive", 0x20, L"A"},
        {"normal", 0x80, L"M"},
        {"temporary", 0x100, L"T"},
        {"compressed", 0x800, L"C"},
        {"offline", 0x1000, L"O"},
        {"not content indexed", 0x2000, L"N"},
        {"encrypted", 0x4000, L"E"},
        {"plain file under Wine", 0x20, L"A"},
        {"folder with hidden and system", 0x16, L"DHS"},
        {"read-only hidden system archive", 0x27, L"RHSA"},
        {"directory before hidden despite its higher bit", 0x12, L"DH"},
        {"offline before temporary and compressed", 0x1900, L"OTC"},
        {"encrypted before not indexed before normal", 0x6080, L"ENM"},
        {"bits without a letter are ignored", 0x40 | 0x8 | 0x200 | 0x400 | 0x8000 | 0xFFFF0000, L""},
        {"every lettered bit", 0x79B7, L"RDHSAOTCENM"},
        {"path that does not exist", 0xFFFFFFFF, L"RDHSAOTCENM"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(FormatAttributeLetters(c.attributes), c.expected);
    }
}

}  // namespace
