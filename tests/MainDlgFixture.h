// A main window created from its template for a test, driven by messages.
#pragma once

#include "TestSupport.h"
#include "app/MainDlg.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

class MainDlgFixture : public ::testing::Test {
protected:
    void SetUp() override {
        dlg = std::make_unique<CMainDlg>();
        // Each test starts from no settings and leaves none behind for the next.
        dlg->m_strAppDataDir = settingsFolder.path();
        ASSERT_TRUE(dlg->Create());
        ::SetForegroundWindow(dlg->m_hWnd);
        PumpMessages();
    }
    void TearDown() override {
        dlg.reset();
        PumpMessages();
    }

    HWND Item(int id) const { return ::GetDlgItem(dlg->m_hWnd, id); }
    // Clicks a button or box the way the mouse does.
    void Click(int id);
    // Drops the paths on the window as the shell does.
    void Drop(const std::vector<std::wstring>& paths);
    // The rows' column texts, and the master list, in order.
    std::vector<std::wstring> RowTexts(int column = 0) const;
    std::vector<std::wstring> MasterList() const;
    void SelectRows(const std::vector<int>& rows);

    ScopedTempDir settingsFolder;
    std::unique_ptr<CMainDlg> dlg;
};
