// Layout arithmetic of the main window: which edges follow the client size.
#pragma once

#include <optional>

struct LayoutRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    friend bool operator==(const LayoutRect&, const LayoutRect&) = default;
};

// The right edge sits `rightMargin` pixels from the client's right; the bottom edge
// `bottomMargin` pixels from its bottom, or keeps the height when there is none.
struct EdgeRule {
    int rightMargin;
    std::optional<int> bottomMargin;
};

inline constexpr EdgeRule kOutputPaneEdges{12, 10};
inline constexpr EdgeRule kValueEditEdges{18, std::nullopt};
inline constexpr EdgeRule kWideControlEdges{12, std::nullopt};  // file list, property frame, top line

// The smallest window the user can drag, and the size of a first start.
inline constexpr int kMinTrackWidth = 800;
inline constexpr int kMinTrackHeight = 600;
inline constexpr int kDefaultWindowWidth = 800;
inline constexpr int kDefaultWindowHeight = 600;

// `current` with its left and top kept and its right and bottom edges placed by `rule` for a
// client area of cx by cy. An edge never crosses its opposite edge, so a tiny client area
// gives an empty rectangle rather than a negative size.
LayoutRect StretchToClient(const LayoutRect& current, const EdgeRule& rule, int cx, int cy);
