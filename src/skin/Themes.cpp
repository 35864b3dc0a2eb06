#include "skin/Themes.h"

#include <algorithm>

namespace {

// The table is written the way colours are read everywhere else in the program: BBGGRR.
constexpr COLORREF C(std::uint32_t bbggrr) {
    return static_cast<COLORREF>(bbggrr);
}

int ClampChannel(int value) {
    return std::clamp(value, 0, 255);
}

// floor(value / 2) for either sign; plain division would round a negative odd value up.
int HalfRoundedDown(int value) {
    return value >= 0 ? value / 2 : -((1 - value) / 2);
}

}  // namespace

const ThemeColors g_themeColors[THEME_COUNT] = {
    // clrHighlight clrWindow clrLight  clrFace    clrShadow  clrCaption clrHover   clrCaptionText
    {C(0xFFFFFF), C(0xD8DDDD), C(0xF2F2F2), C(0xA7A7A7), C(0x585858), C(0xA0A0A0), C(0x96DCFF), C(0xFFFFFF)},
    {C(0xFFFFFF), C(0xF0E9E8), C(0xFFFBFA), C(0xEBD9D6), C(0x7F706E), C(0xFAEAE7), C(0x96DCFF), C(0xFFFFFF)},
    {C(0xFFFFFF), C(0xE4F0E0), C(0xFAFFF6), C(0xA6E1A6), C(0x508058), C(0x9CD79C), C(0x96DCFF), C(0xFFFFFF)},
    {C(0xFFFFFF), C(0xE3ECF3), C(0xF6FCFF), C(0x77C5FD), C(0x326496), C(0x73C1F9), C(0x64FABE), C(0xFFFFFF)},
    {C(0xFFFFFF), C(0xEEDFDF), C(0xFFF4F4), C(0xF1B7B7), C(0x885A5A), C(0xE7ADAD), C(0x96DCFF), C(0xFFFFFF)},
    {C(0xFFFFFF), C(0xE0E0E0), C(0xF6F6F6), C(0xD2D1CF), C(0x686766), C(0xD4D3D2), C(0x96DCFF), C(0xFFFFFF)},
    {C(0xFFFFFF), C(0xE8E3E1), C(0xFFFAF8), C(0xFFC18A), C(0x826450), C(0xFEBF88), C(0x96DCFF), C(0xFFFFFF)},
    {C(0xFFFFFF), C(0xD8E9EC), C(0xF0FCFE), C(0xA0D7C8), C(0x5A716C), C(0xA0D7C8), C(0x96DCFF), C(0xFFFFFF)},
    {C(0xFFFFFF), C(0xE6DCDB), C(0xFFF5F4), C(0xDFC8BA), C(0x6E645A), C(0xD5BEB0), C(0x96DCFF), C(0xFFFFFF)},
    {C(0xFFFFFF), C(0xDCE6DB), C(0xF6FFF4), C(0xC4DAC3), C(0x646E5B), C(0xBAD0B9), C(0x96DCFF), C(0xFFFFFF)},
    {C(0xFFFFFF), C(0xEDEDED), C(0xFFFFFF), C(0xDCDCDC), C(0x707070), C(0xF3F3F3), C(0x96DCFF), C(0xFFFFFF)},
    {C(0xFFFFFF), C(0xF4ECE8), C(0xFFFCF6), C(0xEED0B5), C(0x786E64), C(0xF9DCC3), C(0x96DCFF), C(0xFFFFFF)},
    {C(0xFFFFFF), C(0xE6F4ED), C(0xF6FFFC), C(0xB9FACD), C(0x508064), C(0xBEFAD2), C(0x96DCFF), C(0xFFFFFF)},
    {C(0xFFFFFF), C(0xE9EEF4), C(0xF6FCFF), C(0xCBDCF0), C(0x506480), C(0xD7E8FC), C(0xC8FAA0), C(0xFFFFFF)},
    {C(0xFFFFFF), C(0xF4EEE5), C(0xFFFCF6), C(0xEBDCA5), C(0x82784E), C(0xFAF0B9), C(0x96DCFF), C(0xFFFFFF)},
};

const wchar_t* const g_themeNames[THEME_COUNT] = {
    L"Black",     L"Ice Blue",   L"Lime",         L"Orange",     L"Licorice",    L"Silver Grey", L"Blue",      L"Green",
    L"Dark Blue", L"Dark Green", L"Silver White", L"Light Blue", L"Light Green", L"Light Pink",  L"Turquoise",
};

int ClampTheme(int theme) {
    return theme >= 0 && theme < THEME_COUNT ? theme : DEFAULT_THEME;
}

const ThemeColors& GetThemeColors(int theme) {
    return g_themeColors[ClampTheme(theme)];
}

COLORREF ShiftColor(COLORREF c, int delta) {
    // Any shift beyond a channel's range saturates it; limiting it first keeps the sums in range.
    delta = std::clamp(delta, -255, 255);
    return MakeColor(ClampChannel(ColorRed(c) + delta), ClampChannel(ColorGreen(c) + delta),
                     ClampChannel(ColorBlue(c) + delta));
}

COLORREF MidColor(COLORREF a, COLORREF b) {
    const auto mid = [](int x, int y) { return x + HalfRoundedDown(y - x); };
    return MakeColor(mid(ColorRed(a), ColorRed(b)), mid(ColorGreen(a), ColorGreen(b)), mid(ColorBlue(a), ColorBlue(b)));
}

int GlossGradientStep(int frameWidth) {
    return frameWidth > 4 ? -4 : -5;
}

COLORREF GlossGradientFirstColor(COLORREF base, int frameWidth) {
    // No frame is wider than a channel is deep; the limit keeps the product in range.
    const int rows = std::clamp(frameWidth, -256, 256) - 1;
    return ShiftColor(base, rows * GlossGradientStep(frameWidth));
}

int GlossGradientDelta(int row, int rowCount, int step) {
    // Darkening to just above the middle, a sharp drop, a slow brightening, then a dark lower
    // edge of three rows.
    const int half = rowCount / 2;
    if (row < half - 3)
        return step;
    if (row == half - 3)
        return -26;
    if (row < rowCount - 3)
        return +1;
    return -20;
}

std::vector<COLORREF> GlossGradientRows(COLORREF base, int frameWidth, int rowCount) {
    std::vector<COLORREF> rows;
    if (rowCount < 1) {
        return rows;
    }
    rows.reserve(static_cast<size_t>(rowCount));
    const int step = GlossGradientStep(frameWidth);
    COLORREF colour = GlossGradientFirstColor(base, frameWidth);
    for (int row = 0; row < rowCount; ++row) {
        rows.push_back(colour);
        colour = ShiftColor(colour, GlossGradientDelta(row, rowCount, step));
    }
    return rows;
}
