#include "app/Layout.h"

#include <gtest/gtest.h>

namespace {

struct StretchCase {
    const char* label;
    LayoutRect before;
    EdgeRule rule;
    int cx;
    int cy;
    LayoutRect expected;
};

TEST(LayoutTest, EdgesFollowTheClientSize) {
    const StretchCase cases[] = {
        {"output pane grows both ways", {12, 470, 660, 520}, kOutputPaneEdges, 1000, 700, {12, 470, 988, 690}},
        {"value edit keeps its height", {378, 291, 645, 458}, kValueEditEdges, 1000, 700, {378, 291, 982, 458}},
        {"file list keeps its height", {10, 89, 666, 267}, kWideControlEdges, 1000, 700, {10, 89, 988, 267}},
        {"shrinking pulls the right edge in", {10, 89, 988, 267}, kWideControlEdges, 792, 566, {10, 89, 780, 267}},
        {"no client area: empty, never negative", {12, 470, 660, 520}, kOutputPaneEdges, 0, 0, {12, 470, 12, 470}},
        {"value edit in a narrow window", {378, 291, 645, 458}, kValueEditEdges, 390, 400, {378, 291, 378, 458}},
    };
    for (const StretchCase& c : cases) {
        SCOPED_TRACE(c.label);
        const LayoutRect got = StretchToClient(c.before, c.rule, c.cx, c.cy);
        EXPECT_EQ(got.left, c.expected.left);
        EXPECT_EQ(got.top, c.expected.top);
        EXPECT_EQ(got.right, c.expected.right);
        EXPECT_EQ(got.bottom, c.expected.bottom);
    }
}

}  // namespace
