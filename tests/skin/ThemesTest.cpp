#include "skin/Themes.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string Hex(COLORREF c) {
    char text[16];
    std::snprintf(text, sizeof(text), "%06X", static_cast<unsigned>(c));
    return text;
}

struct ShiftCase {
    const char* label;
    COLORREF colour;
    int delta;
    COLORREF expected;
};

TEST(ThemesTest, ShiftColorClampsEachChannelOnItsOwn) {
    const ShiftCase cases[] = {
        {"white stays white when lightened", 0xFFFFFF, +16, 0xFFFFFF},
        {"dark grey clamps to black", 0x585858, -90, 0x000000},
        {"mixed channels clamp separately", 0xFF0080, +100, 0xFF64E4},
        {"mixed channels darken separately", 0xFF0080, -100, 0x9B001C},
        {"no shift", 0x123456, 0, 0x123456},
        {"selection fill of Silver White", 0xDCDCDC, -10, 0xD2D2D2},
        {"selection frame of Silver White", 0x707070, +10, 0x7A7A7A},
        {"inactive title of Silver White", 0x707070, +110, 0xDEDEDE},
        {"one below zero in one channel only", 0x0A0B09, -10, 0x000100},
        {"one above 255 in one channel only", 0xF6F5F7, +9, 0xFFFEFF},
        {"a shift far beyond the range saturates", 0x808080, 1 << 30, 0xFFFFFF},
        {"a negative shift far beyond the range saturates", 0x808080, -(1 << 30), 0x000000},
        {"the top byte is dropped", 0xFF102030, +1, 0x112131},
    };
    for (const ShiftCase& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(Hex(ShiftColor(c.colour, c.delta)), Hex(c.expected));
    }
}

struct MidCase {
    const char* label;
    COLORREF a;
    COLORREF b;
    COLORREF expected;
};

TEST(ThemesTest, MidColorHalvesTheDifferenceRoundingDown) {
    const MidCase cases[] = {
        {"white to black", 0xFFFFFF, 0x000000, 0x7F7F7F},
        {"black to white", 0x000000, 0xFFFFFF, 0x7F7F7F},
        {"check box shade of Silver White", 0xFFFFFF, 0xA0A0A0, 0xCFCFCF},
        {"equal colours", 0x336699, 0x336699, 0x336699},
        {"odd negative difference rounds down", 0x000003, 0x000000, 0x000001},
        {"odd positive difference rounds down", 0x000000, 0x000003, 0x000001},
        {"channels are independent", 0x00FF10, 0xFF0011, 0x7F7F10},
    };
    for (const MidCase& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(Hex(MidColor(c.a, c.b)), Hex(c.expected));
    }
}

struct ThemeIndexCase {
    const char* label;
    int theme;
    int expected;
};

TEST(ThemesTest, IndexesOutsideTheTableBecomeTheDefaultTheme) {
    const ThemeIndexCase cases[] = {
        {"first", 0, 0},
        {"default", 10, 10},
        {"last", 14, 14},
        {"one past the end", 15, DEFAULT_THEME},
        {"minus one", -1, DEFAULT_THEME},
        {"damaged settings value", 0x7FFFFFFF, DEFAULT_THEME},
        {"most negative", -0x7FFFFFFF - 1, DEFAULT_THEME},
    };
    for (const ThemeIndexCase& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(ClampTheme(c.theme), c.expected);
        EXPECT_EQ(&GetThemeColors(c.theme), &g_themeColors[c.expected]);
    }
    EXPECT_EQ(DEFAULT_THEME, 10);
    EXPECT_EQ(std::wstring(g_themeNames[DEFAULT_THEME]), L"Silver White");
}

struct RowCase {
    const char* label;
    int theme;
    std::wstring name;
    ThemeColors colors;
};

TEST(ThemesTest, TableRowsInMenuOrder) {
    // Rows spread over the table, including the two whose hover colour differs.
    const RowCase cases[] = {
        {"first row", 0, L"Black", {0xFFFFFF, 0xD8DDDD, 0xF2F2F2, 0xA7A7A7, 0x585858, 0xA0A0A0, 0x96DCFF, 0xFFFFFF}},
        {"orange hover",
         3,
         L"Orange",
         {0xFFFFFF, 0xE3ECF3, 0xF6FCFF, 0x77C5FD, 0x326496, 0x73C1F9, 0x64FABE, 0xFFFFFF}},
        {"green face equals caption",
         7,
         L"Green",
         {0xFFFFFF, 0xD8E9EC, 0xF0FCFE, 0xA0D7C8, 0x5A716C, 0xA0D7C8, 0x96DCFF, 0xFFFFFF}},
        {"default",
         10,
         L"Silver White",
         {0xFFFFFF, 0xEDEDED, 0xFFFFFF, 0xDCDCDC, 0x707070, 0xF3F3F3, 0x96DCFF, 0xFFFFFF}},
        {"pink hover",
         13,
         L"Light Pink",
         {0xFFFFFF, 0xE9EEF4, 0xF6FCFF, 0xCBDCF0, 0x506480, 0xD7E8FC, 0xC8FAA0, 0xFFFFFF}},
        {"last row",
         14,
         L"Turquoise",
         {0xFFFFFF, 0xF4EEE5, 0xFFFCF6, 0xEBDCA5, 0x82784E, 0xFAF0B9, 0x96DCFF, 0xFFFFFF}},
    };
    for (const RowCase& c : cases) {
        SCOPED_TRACE(c.label);
        const ThemeColors& row = g_themeColors[c.theme];
        EXPECT_EQ(std::wstring(g_themeNames[c.theme]), c.name);
        EXPECT_EQ(Hex(row.clrHighlight), Hex(c.colors.clrHighlight));
        EXPECT_EQ(Hex(row.clrWindow), Hex(c.colors.clrWindow));
        EXPECT_EQ(Hex(row.clrLight), Hex(c.colors.clrLight));
        EXPECT_EQ(Hex(row.clrFace), Hex(c.colors.clrFace));
        EXPECT_EQ(Hex(row.clrShadow), Hex(c.colors.clrShadow));
        EXPECT_EQ(Hex(row.clrCaption), Hex(c.colors.clrCaption));
        EXPECT_EQ(Hex(row.clrHover), Hex(c.colors.clrHover));
        EXPECT_EQ(Hex(row.clrCaptionText), Hex(c.colors.clrCaptionText));
    }
    for (int theme = 0; theme < THEME_COUNT; ++theme) {
        SCOPED_TRACE(theme);
        EXPECT_EQ(g_themeColors[theme].clrHighlight, 0xFFFFFFu) << "every row lights its edges white";
        EXPECT_EQ(g_themeColors[theme].clrCaptionText, 0xFFFFFFu);
        EXPECT_EQ(g_themeColors[theme].clrWindow >> 24, 0u);
    }
}

std::vector<COLORREF> Greys(std::initializer_list<int> levels) {
    std::vector<COLORREF> colours;
    for (int level : levels) {
        colours.push_back(MakeColor(level, level, level));
    }
    return colours;
}

struct GradientCase {
    const char* label;
    COLORREF base;
    int frameWidth;
    int rowCount;
    std::vector<COLORREF> rows;
};

TEST(ThemesTest, GlossGradientRowsOfTheTitleBar) {
    const GradientCase cases[] = {
        {"Silver White caption, dialog frame of 3", 0xF3F3F3, 3, 26,
         Greys({0xE9, 0xE4, 0xDF, 0xDA, 0xD5, 0xD0, 0xCB, 0xC6, 0xC1, 0xBC, 0xB7, 0x9D, 0x9E,
                0x9F, 0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7, 0xA8, 0xA9, 0x95, 0x81})},
        {"Black caption, dialog frame of 3", 0xA0A0A0, 3, 26,
         Greys({0x96, 0x91, 0x8C, 0x87, 0x82, 0x7D, 0x78, 0x73, 0x6E, 0x69, 0x64, 0x4A, 0x4B,
                0x4C, 0x4D, 0x4E, 0x4F, 0x50, 0x51, 0x52, 0x53, 0x54, 0x55, 0x56, 0x42, 0x2E})},
        // A frame wider than 4 darkens by 4 a row and starts 4 x (b - 1) below the base.
        {"Silver White caption, sizing frame of 5", 0xF3F3F3, 5, 26,
         Greys({0xE3, 0xDF, 0xDB, 0xD7, 0xD3, 0xCF, 0xCB, 0xC7, 0xC3, 0xBF, 0xBB, 0xA1, 0xA2,
                0xA3, 0xA4, 0xA5, 0xA6, 0xA7, 0xA8, 0xA9, 0xAA, 0xAB, 0xAC, 0xAD, 0x99, 0x85})},
        {"Black caption, sizing frame of 5", 0xA0A0A0, 5, 26,
         Greys({0x90, 0x8C, 0x88, 0x84, 0x80, 0x7C, 0x78, 0x74, 0x70, 0x6C, 0x68, 0x4E, 0x4F,
                0x50, 0x51, 0x52, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5A, 0x46, 0x32})},
        {"frame of 4 still uses step 5", 0xF3F3F3, 4, 26,
         Greys({0xE4, 0xDF, 0xDA, 0xD5, 0xD0, 0xCB, 0xC6, 0xC1, 0xBC, 0xB7, 0xB2, 0x98, 0x99,
                0x9A, 0x9B, 0x9C, 0x9D, 0x9E, 0x9F, 0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0x90, 0x7C})},
        // Short bands: the drop comes at row half - 3, the dark edge in the last three rows.
        {"eight rows", 0xF3F3F3, 3, 8, Greys({0xE9, 0xE4, 0xCA, 0xCB, 0xCC, 0xCD, 0xB9, 0xA5})},
        {"one row", 0xF3F3F3, 3, 1, Greys({0xE9})},
        {"no rows", 0xF3F3F3, 3, 0, {}},
        {"negative height", 0xF3F3F3, 3, -4, {}},
    };
    for (const GradientCase& c : cases) {
        SCOPED_TRACE(c.label);
        const std::vector<COLORREF> got = GlossGradientRows(c.base, c.frameWidth, c.rowCount);
        ASSERT_EQ(got.size(), c.rows.size());
        for (size_t row = 0; row < got.size(); ++row) {
            EXPECT_EQ(Hex(got[row]), Hex(c.rows[row])) << "row " << row;
        }
    }
}

TEST(ThemesTest, GlossGradientOfAColourClampsPerChannel) {
    // Red F0, green 80, blue 10: blue runs into zero while red and green still darken, and the
    // channels drift apart from there on.
    const std::vector<COLORREF> rows = GlossGradientRows(0x1080F0, 3, 26);
    ASSERT_EQ(rows.size(), 26u);
    EXPECT_EQ(Hex(rows[0]), "0676E6");
    EXPECT_EQ(Hex(rows[2]), "006CDC") << "blue stops at zero while the others go on darkening";
    EXPECT_EQ(Hex(rows[10]), "0044B4");
    EXPECT_EQ(Hex(rows[11]), "002A9A");
    EXPECT_EQ(Hex(rows[12]), "012B9B") << "blue climbs again from zero";
}

}  // namespace
