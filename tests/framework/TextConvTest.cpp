#include "framework/TextConv.h"
#include "support/Folders.h"

#include <gtest/gtest.h>

namespace {

TEST(TextConvTest, RoundTripsThroughCodePages) {
    struct Case {
        const char* label;
        std::wstring text;
        UINT codePage;
        std::string bytes;
    };
    const Case cases[] = {
        {"plain ASCII", L"Title", 1252, "Title"},
        {"Latin-1 letters", L"Tïtle é", 1252, "T\xEFtle \xE9"},
        {"UTF-8", L"T\u00EFtle \u4E2D", CP_UTF8, "T\xC3\xAFtle \xE4\xB8\xAD"},
        {"empty", L"", 1252, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(ToNarrow(c.text, c.codePage), c.bytes);
        EXPECT_EQ(ToWide(c.bytes, c.codePage), c.text);
    }
}

TEST(TextConvTest, UnmappableCharactersBecomeTheDefaultCharacter) {
    EXPECT_EQ(ToNarrow(L"a\u4E2Db", 1252), "a?b");
    const std::wstring cyrillic = L"\u0416";
    EXPECT_EQ(ToAnsi(cyrillic).size(), 1u) << "one character stays one byte in an 8-bit code page";
    EXPECT_EQ(ToAnsi(L""), "");
}

}  // namespace
