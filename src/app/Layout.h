// Layout arithmetic of the main window: which edges follow the client size.
#pragma once

#include "framework/DpiScale.h"

#include <optional>
#include <vector>

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

// `rule`'s margins at `dpi` (they are given at 96 DPI).
constexpr EdgeRule ScaleEdgeRule(const EdgeRule& rule, int dpi) {
    return {ScaleToDpi(rule.rightMargin, dpi),
            rule.bottomMargin ? std::optional<int>(ScaleToDpi(*rule.bottomMargin, dpi)) : std::nullopt};
}

// The smallest window the user can drag, and the size of a first start, at 96 DPI.
inline constexpr int kMinTrackWidth = 800;
inline constexpr int kMinTrackHeight = 600;
inline constexpr int kDefaultWindowWidth = 800;
inline constexpr int kDefaultWindowHeight = 600;

// `current` with its left and top kept and its right and bottom edges placed by `rule` for a
// client area of cx by cy. An edge never crosses its opposite edge, so a tiny client area
// gives an empty rectangle rather than a negative size.
LayoutRect StretchToClient(const LayoutRect& current, const EdgeRule& rule, int cx, int cy);

// The least distance, at 96 DPI, between a widened label's control and the next one in its row.
inline constexpr int kLabelRowGap = 4;

// A control of one parent window for FitLabelsInRows: where it is, and how wide its label needs
// it to be (0: it keeps its width). A group box holds the controls that lie inside it.
struct FitItem {
    LayoutRect rect;
    int neededWidth = 0;
    bool isGroupBox = false;
};

// Widens every item narrower than it needs and moves what lies to its right in the same row of
// the same group box so that nothing overlaps: a neighbour keeps its old distance or `gap`,
// whichever is less, and never moves left. A group box grows to hold its widened row (keeping
// its old right margin or `gap`) and carries its own controls when it moves.
void FitLabelsInRows(std::vector<FitItem>& items, int gap);
