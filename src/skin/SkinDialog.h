// CSkinDialog: the base of the program's secondary dialogs. A dialog on the shared empty
// template that takes its own Tahoma font and wears a skinned frame: border, title bar, close
// button and the theme's background, without code of its own. Derived dialogs create their
// controls in code and size themselves.
#pragma once

#include "framework/Dialog.h"
#include "framework/Gdi.h"
#include "skin/SkinFrame.h"

class CSkinDialog : public CDialog {
public:
    CSkinDialog();
    ~CSkinDialog() override;

    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // The font every control of the dialog shares (Tahoma, 12 pixels), made on first use: a
    // dialog that measures its text before the base initialisation may ask for it early.
    HFONT GetDialogFont();

    int m_nTheme = DEFAULT_THEME;  // set by the creator before the dialog runs

protected:
    BOOL OnInitDialog() override;
    void OnDestroy() override;

    UniqueFont m_font;
    CSkinFrame m_skin;
};
