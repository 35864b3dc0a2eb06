#include "dialogs/MessageBox.h"

#include "dialogs/MacMessageDlg.h"

void MacMessageBox(const std::wstring& text, int theme) {
    try {
        CMacMessageDlg box;
        box.m_nTheme = theme;
        box.ShowMessage(text, CMacMessageDlg::kTypeOk);
    } catch (...) {
        // Out of memory for the text: the notice is lost, the caller goes on.
    }
}

BOOL MacYesNoBox(const std::wstring& text, int theme, bool showCheck, bool* dontShowAgain) {
    try {
        CMacMessageDlg box;
        box.m_nTheme = theme;
        box.m_bShowCheck = showCheck;
        const int result = box.ShowMessage(text, CMacMessageDlg::kTypeYesNo);
        // A box that never appeared was not answered: a caller's "do not ask again" must not be
        // switched on by a failure.
        if (result == -1) {
            return FALSE;
        }
        if (dontShowAgain) {
            *dontShowAgain = box.m_bDontShowAgain;
        }
        return result == IDOK ? TRUE : FALSE;
    } catch (...) {
        return FALSE;
    }
}
