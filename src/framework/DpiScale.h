// Lengths designed at 96 DPI (the skin's pixels, the layout's margins, the stored window size)
// and the same lengths at another DPI. Kept free of Windows headers so the arithmetic is tested
// natively.
#pragma once

inline constexpr int kDesignDpi = 96;

// `length` 96-DPI pixels at `dpi`, rounded to the nearest pixel (halves away from zero) as the
// platform's MulDiv rounds. A DPI of zero or less (none known) is taken as 96.
constexpr int ScaleToDpi(int length, int dpi) {
    if (dpi <= 0) {
        dpi = kDesignDpi;
    }
    const long long product = static_cast<long long>(length) * dpi;
    const long long half = kDesignDpi / 2;
    return static_cast<int>(product >= 0 ? (product + half) / kDesignDpi : -((-product + half) / kDesignDpi));
}

// The inverse: `length` pixels at `dpi` in 96-DPI pixels, rounded to the nearest.
constexpr int UnscaleFromDpi(int length, int dpi) {
    if (dpi <= 0) {
        dpi = kDesignDpi;
    }
    const long long product = static_cast<long long>(length) * kDesignDpi;
    const long long half = dpi / 2;
    return static_cast<int>(product >= 0 ? (product + half) / dpi : -((-product + half) / dpi));
}
