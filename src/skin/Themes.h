// The fifteen colour themes of the skin and the colour arithmetic every painter uses. No window
// code here, so the table and the arithmetic are tested natively.
#pragma once

#include <cstdint>
#include <vector>

#ifdef _WIN32
// The same type as the platform's own COLORREF (DWORD is unsigned long there), so this header and
// <windows.h> may be included together in either order.
using COLORREF = unsigned long;
#else
using COLORREF = std::uint32_t;
#endif
static_assert(sizeof(COLORREF) == 4, "COLORREF is 0x00BBGGRR in 32 bits");

constexpr COLORREF MakeColor(int red, int green, int blue) {
    return static_cast<COLORREF>((red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16));
}
constexpr int ColorRed(COLORREF c) {
    return static_cast<int>(c & 0xFF);
}
constexpr int ColorGreen(COLORREF c) {
    return static_cast<int>((c >> 8) & 0xFF);
}
constexpr int ColorBlue(COLORREF c) {
    return static_cast<int>((c >> 16) & 0xFF);
}

// One row of the theme table.
struct ThemeColors {
    COLORREF clrHighlight;    // lit edge of check boxes
    COLORREF clrWindow;       // background of every skinned window
    COLORREF clrLight;        // light tone: button tops, tooltips, menu background
    COLORREF clrFace;         // button face; base of selection fills
    COLORREF clrShadow;       // base of outlines, frames and selection frames
    COLORREF clrCaption;      // base of the window frame and the title bar gradient
    COLORREF clrHover;        // button ring while the mouse is over it
    COLORREF clrCaptionText;  // title text of the active window
};

constexpr int THEME_COUNT = 15;
constexpr int DEFAULT_THEME = 10;  // "Silver White"

extern const ThemeColors g_themeColors[THEME_COUNT];
// The names the theme menu shows, by index.
extern const wchar_t* const g_themeNames[THEME_COUNT];

// A theme index from any source (a settings file may be damaged): indexes outside 0..14 become
// the default theme.
int ClampTheme(int theme);
// The row of a theme index, clamped first.
const ThemeColors& GetThemeColors(int theme);

// Each of red, green and blue shifted by `delta` and clamped to 0..255; the top byte is zero.
COLORREF ShiftColor(COLORREF c, int delta);
// Per channel a + floor((b - a) / 2).
COLORREF MidColor(COLORREF a, COLORREF b);

// The glossy top-lit gradient of the window frame and the title bar, one colour per row. Its
// first row is as dark as the frame's top border after `frameWidth` - 1 rows, so the two meet
// without a seam.
int GlossGradientStep(int frameWidth);
COLORREF GlossGradientFirstColor(COLORREF base, int frameWidth);
// The shift from row `row` to the next one in a gradient of `rowCount` rows.
int GlossGradientDelta(int row, int rowCount, int step);
// The colours of all rows; empty for a rowCount below 1.
std::vector<COLORREF> GlossGradientRows(COLORREF base, int frameWidth, int rowCount);
