#include "app/MainDlg.h"
#include "editing/FileBackup.h"

void CMainDlg::ClearBackup() {
    m_mapBackup.clear();
}
