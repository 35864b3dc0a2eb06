// What the tests of the self-drawn controls share: a visible parent window that counts the
// clicks of the control with id kControlId, painting a control as its parent's WM_DRAWITEM
// would, and the check that repeated painting holds on to no GDI objects.
#pragma once

#include "DibCanvas.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <optional>

class OwnerDrawTest : public ::testing::Test {
protected:
    static constexpr int kControlId = 1000;

    void SetUp() override {
        ASSERT_TRUE(parent.CreateEx(0, CWnd::RegisterPlainClass(), L"parent", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                    RECT{0, 0, 300, 200}, nullptr, 0));
    }
    void TearDown() override {
        ::ReleaseCapture();
        parent.DestroyWindow();
        PumpMessages();
    }

    // Paints `control` into `canvas` for the item rectangle `item` (the whole canvas when left
    // out), clipped to it as the control's window clips it. An item without area is not
    // clipped, so that anything painted for it shows.
    template <class Control>
    static void Draw(Control& control, const DibCanvas& canvas, UINT state = 0, std::optional<RECT> item = {}) {
        DRAWITEMSTRUCT draw{};
        draw.CtlType = ODT_BUTTON;
        draw.CtlID = static_cast<UINT>(control.GetDlgCtrlID());
        draw.itemAction = ODA_DRAWENTIRE;
        draw.itemState = state;
        draw.hwndItem = control.m_hWnd;
        draw.hDC = canvas.dc();
        draw.rcItem = item.value_or(canvas.all());
        const RECT& r = draw.rcItem;
        const int saved = ::SaveDC(draw.hDC);
        if (r.right > r.left && r.bottom > r.top) {
            ::IntersectClipRect(draw.hDC, r.left, r.top, r.right, r.bottom);
        }
        control.DrawItem(draw);
        ::RestoreDC(draw.hDC, saved);
    }

    // Runs `round(0)` (the first use of fonts and stock objects), then `round(1)` to
    // `round(100)`: afterwards the process holds as many GDI objects as after the first.
    template <class Round>
    static void ExpectNoGdiObjectsLeft(Round round) {
        round(0);
        const long before = GdiObjectCount();
        {
            const UniqueBrush probe(::CreateSolidBrush(0x123456));
            ASSERT_EQ(GdiObjectCount(), before + 1) << "the count does not see a new object";
        }
        for (int i = 1; i <= 100; ++i) {
            round(i);
        }
        EXPECT_EQ(GdiObjectCount(), before);
    }

    ClickCounter parent{kControlId};
};
