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

TEST(LayoutTest, AWidenedLabelMovesItsRowAndGrowsItsGroupBox) {
    // Two group boxes side by side; the left one holds a row of two check boxes and, below, one
    // box; beside the groups' row but above them sits a button far to the right.
    const auto layout = [](int firstNeeds, int lowerNeeds) {
        std::vector<FitItem> items = {
            {{0, 0, 100, 50}, 0, true},     // 0 left group box
            {{5, 10, 45, 20}, firstNeeds},  // 1 first box of its row
            {{48, 10, 90, 20}, 0},          // 2 its neighbour, 3 pixels on
            {{5, 30, 40, 40}, lowerNeeds},  // 3 the row below
            {{104, 0, 200, 50}, 0, true},   // 4 right group box, 4 pixels on
            {{110, 10, 190, 40}, 0},        // 5 inside it
            {{300, -30, 340, -10}, 0},      // 6 another row: never moves
        };
        FitLabelsInRows(items, 6);
        return items;
    };
    struct Case {
        const char* label;
        int firstNeeds;
        int lowerNeeds;
        LayoutRect first, neighbour, groupBox, rightGroupBox, insideRight;
    };
    const Case cases[] = {
        {"nothing needs more",
         30,
         35,
         {5, 10, 45, 20},
         {48, 10, 90, 20},
         {0, 0, 100, 50},
         {104, 0, 200, 50},
         {110, 10, 190, 40}},
        {"the neighbour keeps its distance; the box its margin",
         50,
         0,
         {5, 10, 55, 20},
         {58, 10, 100, 20},
         {0, 0, 106, 50},
         {110, 0, 206, 50},
         {116, 10, 196, 40}},
        {"a lower row widens the group box without moving the upper row",
         0,
         97,
         {5, 10, 45, 20},
         {48, 10, 90, 20},
         {0, 0, 108, 50},
         {112, 0, 208, 50},
         {118, 10, 198, 40}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const std::vector<FitItem> got = layout(c.firstNeeds, c.lowerNeeds);
        const auto expectRect = [](const LayoutRect& actual, const LayoutRect& expected) {
            EXPECT_EQ(actual.left, expected.left);
            EXPECT_EQ(actual.right, expected.right);
            EXPECT_EQ(actual.top, expected.top);
        };
        expectRect(got[1].rect, c.first);
        expectRect(got[2].rect, c.neighbour);
        expectRect(got[0].rect, c.groupBox);
        expectRect(got[4].rect, c.rightGroupBox);
        expectRect(got[5].rect, c.insideRight);
        expectRect(got[6].rect, {300, -30, 340, -10});
    }
}

struct ScaleCase {
    const char* label;
    int length;
    int dpi;
    int expected;
};

TEST(DpiScaleTest, LengthsScaleToTheNearestPixel) {
    const ScaleCase cases[] = {
        {"96 DPI leaves every pixel", 26, 96, 26},
        {"125 %: a half rounds up", 26, 120, 33},
        {"150 %: the first start's width", 800, 144, 1200},
        {"150 %: the first start's height", 600, 144, 900},
        {"200 %", 22, 192, 44},
        {"a negative offset rounds away from zero", -13, 144, -20},  // -19.5
        {"no DPI known counts as 96", 24, 0, 24},
    };
    for (const ScaleCase& c : cases) {
        EXPECT_EQ(ScaleToDpi(c.length, c.dpi), c.expected) << c.label;
    }
}

TEST(DpiScaleTest, AStoredSizeSurvivesAWriteAndReadAtEveryDpi) {
    // The settings file keeps 96-DPI pixels: a size written at one DPI and read at the same one
    // gives the window its size again, within the one pixel the rounding may take.
    for (int dpi : {96, 120, 144, 192}) {
        for (int client : {784, 785, 1001, 1919}) {
            const int stored = UnscaleFromDpi(client, dpi);
            EXPECT_NEAR(ScaleToDpi(stored, dpi), client, dpi / 96) << client << " at " << dpi;
        }
    }
    EXPECT_EQ(UnscaleFromDpi(1200, 144), 800) << "a 150 % first start is stored as 800";
}

TEST(DpiScaleTest, MarginsScaleAndAMissingBottomStaysMissing) {
    const EdgeRule output = ScaleEdgeRule(kOutputPaneEdges, 192);
    EXPECT_EQ(output.rightMargin, 2 * kOutputPaneEdges.rightMargin);
    ASSERT_TRUE(output.bottomMargin.has_value());
    EXPECT_EQ(*output.bottomMargin, 2 * *kOutputPaneEdges.bottomMargin);
    EXPECT_FALSE(ScaleEdgeRule(kValueEditEdges, 144).bottomMargin.has_value());
}

}  // namespace
