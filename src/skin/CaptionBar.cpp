#include "skin/CaptionBar.h"

#include "resources/resource.h"
#include "skin/Painting.h"

#include <vector>

namespace {

constexpr UINT kControlId = 0xFFFF;
constexpr int kIconSize = 16;  // at 96 DPI, as every length here
constexpr int kTitleFontHeight = 13;
constexpr int kIconLeft = 4;
constexpr int kIconTop = 4;
// The title starts right of the icon.
constexpr int kTitleLeft = 26;
// The inactive title is a light grey drawn from the theme's shadow tone.
constexpr int kInactiveTitleShift = 110;
// A frame wider than this adds visibly to the band the eye reads as the title bar, so the icon
// and the title move up to look centred in it.
constexpr int kThinFrameLimit = 4;
constexpr int kWideFrameLift = -2;

// The parent's title, read from its window so a parent that is no object of ours works too.
std::wstring WindowText(HWND hwnd) {
    const int length = ::GetWindowTextLengthW(hwnd);
    if (length <= 0) {
        return {};
    }
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
    const int copied = ::GetWindowTextW(hwnd, buffer.data(), length + 1);
    return std::wstring(buffer.data(), copied > 0 ? static_cast<size_t>(copied) : 0);
}

}  // namespace

CCaptionBar::~CCaptionBar() {
    // The window would outlive its object as a bare static showing nothing; take it down while
    // this object can still answer its WM_DESTROY.
    DestroyWindow();
    ReleaseBuffer();
}

bool CCaptionBar::Create(const wchar_t* name, const RECT& rect, CWnd* parent) {
    if (!parent || !parent->m_hWnd) {
        return false;
    }
    if (!CreateEx(0, L"Static", name ? name : L"", WS_CHILD | WS_VISIBLE, rect, parent->m_hWnd, kControlId)) {
        return false;
    }
    MakeFontAndIcon();
    RecreateBuffer();
    return true;
}

void CCaptionBar::MakeFontAndIcon() {
    // The same point size at every DPI: the pixel height grows with it.
    m_font.reset(::CreateFontW(-Scaled(kTitleFontHeight), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET,
                               OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FF_SWISS, L"Verdana"));
    const int iconSize = SmallIconSizeForDpi(m_nDpi);
    m_hIcon.reset(static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME),
                                                  IMAGE_ICON, iconSize, iconSize, LR_DEFAULTCOLOR)));
}

void CCaptionBar::SetDpi(int dpi) {
    m_nDpi = dpi > 0 ? dpi : kDesignDpi;
    if (!m_hWnd) {
        return;
    }
    MakeFontAndIcon();
    RecreateBuffer();
    Redraw();
    Invalidate();
}

void CCaptionBar::ReleaseBuffer() {
    // The bitmap cannot be deleted while the memory DC holds it.
    if (m_pOldBitmap) {
        ::SelectObject(m_dcMem.get(), m_pOldBitmap);
        m_pOldBitmap = nullptr;
    }
    m_bmpMem.reset();
    m_dcMem.reset();
}

void CCaptionBar::RecreateBuffer() {
    ReleaseBuffer();
    if (!m_hWnd) {
        return;
    }
    const RECT client = GetClientRect();
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    // An empty bar has nothing to show; the next size change that gives it an area makes one.
    if (width <= 0 || height <= 0) {
        return;
    }
    const CClientDC windowDC(m_hWnd);
    if (!windowDC.dc()) {
        return;
    }
    UniqueDC dc(::CreateCompatibleDC(windowDC.dc()));
    UniqueBitmap bitmap(dc ? ::CreateCompatibleBitmap(windowDC.dc(), width, height) : nullptr);
    if (!dc || !bitmap) {
        return;
    }
    HGDIOBJ old = ::SelectObject(dc.get(), bitmap.get());
    if (!old) {
        return;
    }
    m_dcMem = std::move(dc);
    m_bmpMem = std::move(bitmap);
    m_pOldBitmap = old;
}

void CCaptionBar::Redraw() {
    if (!m_hWnd || !m_dcMem || !m_pOldBitmap) {
        return;
    }
    HDC dc = m_dcMem.get();
    RECT rect = GetClientRect();
    const DCStateGuard state(dc);

    const HWND parentHwnd = GetParentHwnd();
    const CWnd* parent = GetParent();
    const ThemeColors& colors = GetThemeColors(m_nTheme);
    FillGlossGradient(colors.clrCaption, parent, dc, rect.left, rect.top, rect.right, rect.bottom);

    const int dy = GetSkinFrameWidth(parent) > kThinFrameLimit ? Scaled(kWideFrameLift) : 0;
    if (m_hIcon) {
        // The icon is centred where the 16-pixel one stood at 96 DPI.
        const int iconSize = SmallIconSizeForDpi(m_nDpi);
        const int slot = Scaled(kIconSize);
        ::DrawIconEx(dc, Scaled(kIconLeft) + (slot - iconSize) / 2, dy + Scaled(kIconTop) + (slot - iconSize) / 2,
                     m_hIcon.get(), iconSize, iconSize, 0, nullptr, DI_NORMAL);
    }

    const HGDIOBJ oldFont = m_font ? ::SelectObject(dc, m_font.get()) : nullptr;
    m_bActive = parentHwnd && ::GetActiveWindow() == parentHwnd;
    const COLORREF shadow = colors.clrShadow;
    const COLORREF title = m_bActive ? colors.clrCaptionText : ShiftColor(colors.clrShadow, kInactiveTitleShift);
    const std::wstring text = WindowText(parentHwnd);

    const UINT format = DT_SINGLELINE | DT_VCENTER;
    rect.top += dy;
    rect.left += Scaled(kTitleLeft);
    ::SetTextColor(dc, shadow);
    ::SetBkMode(dc, TRANSPARENT);
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, format);
    // One pixel left of and one above the shadow: centring a rectangle two pixels taller at the
    // top moves the text up by one.
    rect.left -= 1;
    rect.top -= 2;
    ::SetTextColor(dc, title);
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, format);

    if (oldFont) {
        ::SelectObject(dc, oldFont);
    }
}

void CCaptionBar::OnPaint() {
    const CPaintDC paint(m_hWnd);
    const HWND parent = GetParentHwnd();
    const bool parentActive = parent && ::GetActiveWindow() == parent;
    if (m_bActive != parentActive) {
        Redraw();
    }
    // Without an image (none could be made) the bar paints nothing from it.
    if (!paint.dc() || !m_dcMem || !m_pOldBitmap) {
        return;
    }
    const RECT client = GetClientRect();
    ::BitBlt(paint.dc(), 0, 0, client.right - client.left, client.bottom - client.top, m_dcMem.get(), 0, 0, SRCCOPY);
}

void CCaptionBar::OnSize(UINT, int cx, int cy) {
    Default();
    if (cx == m_cxLast && cy == m_cyLast) {
        return;
    }
    m_cxLast = cx;
    m_cyLast = cy;
    RecreateBuffer();
    Redraw();
}

void CCaptionBar::OnDestroy() {
    ReleaseBuffer();
    m_hIcon.reset();
    m_font.reset();
    // A bar created again on this object starts from no size, so its first WM_SIZE builds.
    m_cxLast = 0;
    m_cyLast = 0;
    Default();
}
