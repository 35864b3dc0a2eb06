#include "skin/SkinFrameEx.h"

#include "skin/Painting.h"
#include "support/ErrorLog.h"
#include "support/Folders.h"
#include "support/MainSettings.h"

#include <cstdint>
#include <vector>

namespace {
constexpr wchar_t kFrameSettingsFileName[] = L"settings.cfg";
}  // namespace

void CSkinFrameEx::AttachMain(CWnd* owner, int theme, const std::wstring& dataFolder,
                              const std::wstring& productName) {
    Attach(owner, theme);
    m_strDataFolder = dataFolder;
    m_strProduct = productName;
    LoadSettings();
}

CSkinFrameEx::~CSkinFrameEx() {
    SaveSettings();
}

void CSkinFrameEx::LoadSettings() {
    std::string bytes;
    if (m_strDataFolder.empty() || ReadWholeFile(m_strDataFolder + kFrameSettingsFileName, bytes) < 0) {
        return;  // the defaults stand: automatic update on, the exit question asked
    }
    const FrameSettings settings =
        ParseFrameSettings(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    m_bAutoUpdate = settings.autoUpdate;
    m_bNoExitPrompt = settings.noExitPrompt ? TRUE : FALSE;
}

void CSkinFrameEx::SaveSettings() const {
    if (m_strDataFolder.empty()) {
        return;  // never attached to a window with a settings folder
    }
    const std::vector<std::uint8_t> bytes = SerializeFrameSettings({m_bAutoUpdate, m_bNoExitPrompt != FALSE});
    const std::wstring path = m_strDataFolder + kFrameSettingsFileName;
    if (!WriteWholeFile(path, std::string(bytes.begin(), bytes.end()))) {
        LogError(L"The settings could not be saved to %s (error %lu).", path.c_str(),
                 static_cast<unsigned long>(::GetLastError()));
    }
}

void CSkinFrameEx::LayOut() {
    const int cx = m_pOwner->GetClientRect().right;
    m_wndCaption.MoveWindow(0, 0, cx, kCaptionHeight, true);
    m_wndCaption.Invalidate();
    int top = CaptionButtonTop(GetSkinFrameWidth(m_pOwner));
    if (m_pOwner->IsZoomed()) {
        ++top;  // a maximized window loses its border; the buttons sit one pixel lower
    }
    m_btnClose.MoveWindow(cx - 27, top, kCaptionButtonWidth, kCaptionButtonHeight, true);
    m_btnClose.Invalidate();
}

LRESULT CSkinFrameEx::HookMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = CSkinFrame::HookMessage(message, wParam, lParam);
    if (IsAttached() && message == WM_SIZE) {
        LayOut();
    }
    return result;
}
