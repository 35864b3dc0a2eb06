// The skin at 96, 120, 144 and 192 DPI. The window's DPI comes from the prefix the tests run in
// (tests/ui/dpi_test.sh makes one per LogPixels value); the DPI changes are sent to a live main
// window as a move to another monitor would send them, so every scale is checked in each run.
#include "DibCanvas.h"
#include "MainDlgFixture.h"
#include "dialogs/MacMessageDlg.h"
#include "resources/resource.h"
#include "skin/MacCheckBox.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cwchar>
#include <string>

namespace {

int ScreenDpi() {
    const HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    return dpi;
}

// `length96` at `dpi`, the way a reader of the requirement works it out.
double At(int length96, int dpi) {
    return length96 * dpi / 96.0;
}

int Width(const RECT& r) {
    return r.right - r.left;
}
int Height(const RECT& r) {
    return r.bottom - r.top;
}

RECT RectInParent(HWND child) {
    RECT rect{};
    ::GetWindowRect(child, &rect);
    ::MapWindowPoints(nullptr, ::GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// The title bar: the child under the client area's top left corner.
HWND CaptionBarOf(HWND window) {
    return ::ChildWindowFromPointEx(window, POINT{2, 2}, CWP_ALL);
}

// Sends the DPI change a move to a monitor of `dpi` sends, with the window's size scaled.
void ChangeDpi(HWND window, int fromDpi, int toDpi) {
    RECT now{};
    ::GetWindowRect(window, &now);
    const RECT suggested{now.left, now.top, now.left + ::MulDiv(Width(now), toDpi, fromDpi),
                         now.top + ::MulDiv(Height(now), toDpi, fromDpi)};
    ::SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(toDpi, toDpi), reinterpret_cast<LPARAM>(&suggested));
}

constexpr int kDpis[] = {96, 120, 144, 192};

}  // namespace

TEST(DpiSetup, TheProgramRunsAtThePrefixDpi) {
    const char* asked = std::getenv("QUILL_TEST_DPI");
    if (!asked) {
        GTEST_SKIP() << "run by dpi_test.sh with a LogPixels value";
    }
    EXPECT_EQ(ScreenDpi(), std::atoi(asked)) << "the prefix's LogPixels reaches the program";
}

class DpiMainWindow : public MainDlgFixture {};

TEST_F(DpiMainWindow, FirstStartAndSkinFollowTheScreenDpi) {
    const int dpi = ScreenDpi();
    const RECT window = dlg->GetWindowRect();
    const RECT close = RectInParent(Item(IDCANCEL));
    struct Row {
        const char* what;
        int measured;
        double expected;
    };
    const Row rows[] = {
        // The first start's size is also the least the window takes, even on a smaller screen
        // (the null driver's is 1024 x 768).
        {"window width at first start", Width(window), At(800, dpi)},
        {"window height at first start", Height(window), At(600, dpi)},
        {"title bar height", Height(RectInParent(CaptionBarOf(dlg->m_hWnd))), At(26, dpi)},
        {"close button width", Width(close), At(24, dpi)},
        {"close button height", Height(close), At(22, dpi)},
    };
    for (const Row& row : rows) {
        EXPECT_NEAR(row.measured, row.expected, 2.0) << row.what << " at " << dpi << " DPI";
    }
}

TEST_F(DpiMainWindow, EveryLabelFitsItsControl) {
    for (int id : {IDC_SUB_DIR,
                   IDC_INCLUDE_PATH,
                   IDC_PATH_ONLY,
                   IDC_CASE_SENSITIVE,
                   IDC_EXCLUSIVE,
                   IDC_SET_FILE_TIME,
                   IDC_CREATE_TIME,
                   IDC_MODIFY_TIME,
                   IDC_ACCESS_TIME,
                   IDC_SET_FILE_ATTRIBUTES,
                   IDC_ARCHIVE,
                   IDC_READ_ONLY,
                   IDC_HIDDEN,
                   IDC_SYSTEM,
                   IDC_OTHER_PROPERTIES,
                   IDC_NOT_CONTENT_INDEXED,
                   IDC_OFFLINE,
                   IDC_TEMPORARY,
                   IDC_NORMAL,
                   IDC_ADD_FOLDER,
                   IDC_ADD_FILES,
                   IDC_APPLY,
                   IDC_UNDO,
                   IDC_SELECT_ALL,
                   IDC_REVERT_SEL,
                   IDC_REMOVE,
                   IDC_REMOVE_ALL}) {
        const HWND control = Item(id);
        ASSERT_NE(control, nullptr) << id;
        wchar_t text[128]{};
        ::GetWindowTextW(control, text, 128);
        const HDC dc = ::GetDC(control);
        const HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)));
        SIZE extent{};
        ::GetTextExtentPoint32W(dc, text, static_cast<int>(wcslen(text)), &extent);
        ::SelectObject(dc, old);
        ::ReleaseDC(control, dc);
        // The text takes more than its own width: a box or an icon is drawn beside it.
        EXPECT_GT(Width(RectInParent(control)), extent.cx + 12)
            << "label cut: " << std::string(text, text + wcslen(text));
    }
}

TEST_F(DpiMainWindow, ADpiChangeRescalesTheSkinAndLeaksNothing) {
    int current = ScreenDpi();
    for (int dpi : kDpis) {
        ChangeDpi(dlg->m_hWnd, current, dpi);
        current = dpi;
        PumpMessages();
        const RECT close = RectInParent(Item(IDCANCEL));
        const RECT client = dlg->GetClientRect();
        EXPECT_NEAR(Height(RectInParent(CaptionBarOf(dlg->m_hWnd))), At(26, dpi), 1.0) << dpi;
        EXPECT_NEAR(Width(close), At(24, dpi), 1.0) << dpi;
        EXPECT_NEAR(Height(close), At(22, dpi), 1.0) << dpi;
        EXPECT_NEAR(client.right - close.right, At(3, dpi), 1.0) << "the close button keeps its corner at " << dpi;
    }
    // Twenty changes back and forth: the fonts, icons and title-bar images of each are let go.
    ChangeDpi(dlg->m_hWnd, current, 144);
    ChangeDpi(dlg->m_hWnd, 144, 96);
    PumpMessages();
    const long before = GdiObjectCount();
    for (int i = 0; i < 20; ++i) {
        ChangeDpi(dlg->m_hWnd, 96, 144);
        ChangeDpi(dlg->m_hWnd, 144, 96);
    }
    PumpMessages();
    EXPECT_LE(GdiObjectCount(), before + 2) << "GDI objects over 20 DPI changes";
}

// The box's frame and tick in the ink colour of a ticked box, drawn at each DPI.
TEST(DpiDrawing, TheTickIsDrawnAtTheScaledSize) {
    CWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, CWnd::RegisterPlainClass(), L"parent", WS_POPUP, RECT{0, 0, 200, 100}, nullptr, 0));
    CMacCheckBox box;
    ASSERT_TRUE(
        box.CreateEx(0, L"Button", L"", WS_CHILD | WS_VISIBLE | BS_CHECKBOX, RECT{0, 0, 60, 60}, parent.m_hWnd, 1));
    box.ApplyTheme(10);
    box.SetChecked(TRUE);
    struct Ink {
        RECT bounds{1000, 1000, -1, -1};
        int count = 0;
    };
    const auto draw = [&box](int dpi) {
        box.SetDpi(dpi);
        DibCanvas canvas(60, 60, MakeColor(0xFF, 0xFF, 0xFF));
        DRAWITEMSTRUCT item{};
        item.CtlType = ODT_BUTTON;
        item.itemAction = ODA_DRAWENTIRE;
        item.hDC = canvas.dc();
        item.rcItem = RECT{0, 0, 60, 60};
        box.DrawItem(item);
        Ink ink;
        for (int y = 0; y < 60; ++y) {
            for (int x = 0; x < 60; ++x) {
                if (canvas.Pixel(x, y) == box.m_clrFrame) {
                    ink.bounds =
                        RECT{std::min<LONG>(ink.bounds.left, x), std::min<LONG>(ink.bounds.top, y),
                             std::max<LONG>(ink.bounds.right, x + 1), std::max<LONG>(ink.bounds.bottom, y + 1)};
                    ++ink.count;
                }
            }
        }
        return ink;
    };
    const Ink at96 = draw(96);
    ASSERT_GT(at96.count, 0);
    for (int dpi : kDpis) {
        const Ink ink = draw(dpi);
        const double scale = dpi / 96.0;
        EXPECT_NEAR(Width(ink.bounds), Width(at96.bounds) * scale, 2.0) << dpi;
        EXPECT_NEAR(Height(ink.bounds), Height(at96.bounds) * scale, 2.0) << dpi;
        // Strokes of a scaled pen: the inked area grows with the square of the scale.
        EXPECT_NEAR(ink.count, at96.count * scale * scale, at96.count * scale * scale * 0.35) << dpi;
    }
    parent.DestroyWindow();
}

TEST(DpiDrawing, TheMessageBoxScalesItsButtonsAndMargins) {
    for (int dpi : kDpis) {
        const MessageBoxLayout layout =
            LayOutMessageBox(100, 14, ::MulDiv(500, dpi, 96), CMacMessageDlg::kTypeYesNo, true, 150, dpi);
        EXPECT_NEAR(Width(layout.button1), At(68, dpi), 1.0) << dpi;
        EXPECT_NEAR(Height(layout.button1), At(23, dpi), 1.0) << dpi;
        EXPECT_NEAR(layout.button2.left - layout.button1.right, At(40, dpi), 1.0) << dpi;
        EXPECT_GE(layout.cxBox, At(220, dpi) - 1) << "the least width at " << dpi;
        EXPECT_GE(Width(layout.check), 150) << "the check box's label fits at " << dpi;
    }
}
