// Enabling of the three editing groups: each group's controls follow its switch.
#include "app/MainDlg.h"

namespace {

void EnableAndRedraw(CWnd& control, bool enable) {
    control.EnableWindow(enable);
    control.Invalidate(true);
}

}  // namespace

void CMainDlg::OnSetFileTime() {
    const bool enable = m_chkSetFileTime.IsChecked() != FALSE;
    EnableAndRedraw(m_chkModifyTime, enable);
    EnableAndRedraw(m_chkAccessTime, enable);
    EnableAndRedraw(m_chkCreateTime, enable);
    m_dtpDate.EnableWindow(enable);
    m_dtpTime.EnableWindow(enable);
}

void CMainDlg::OnSetFileAttributes() {
    const bool enable = m_chkSetFileAttributes.IsChecked() != FALSE;
    for (CMacCheckBox* box : {&m_chkArchive, &m_chkReadOnly, &m_chkHidden, &m_chkSystem, &m_chkTemporary,
                              &m_chkNotContentIndexed, &m_chkOffline, &m_chkNormal}) {
        EnableAndRedraw(*box, enable);
    }
}

void CMainDlg::OnOtherProperties() {
    m_editValue.SetReadOnly(!m_chkOtherProperties.IsChecked());
}
