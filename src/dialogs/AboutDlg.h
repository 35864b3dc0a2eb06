// The About box: a small skinned dialog with the product's name and version and an OK button.
#pragma once

#include "framework/Controls.h"
#include "skin/MacButton.h"
#include "skin/SkinDialog.h"

#include <string>

class CAboutDlg : public CSkinDialog {
public:
    explicit CAboutDlg(std::wstring product);

    CStatic m_stcName;
    CStatic m_stcVersion;
    CMacButton m_btnOk;

protected:
    BOOL OnInitDialog() override;

private:
    std::wstring m_strProduct;
};
