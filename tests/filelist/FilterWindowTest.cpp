// The filter through the real window: every keystroke rebuilds the rows.
#include "MainDlgFixture.h"
#include "resources/resource.h"

namespace {

class FilterWindowTest : public MainDlgFixture {
protected:
    void SetUp() override {
        MainDlgFixture::SetUp();
        for (const wchar_t* name : {L"Report.TXT", L"notes.txt", L"image.png"}) {
            ASSERT_TRUE(WriteTestFile(temp.path() + name, "x"));
            Drop({temp.path() + name});
        }
    }
    std::vector<std::wstring> Names() const {
        std::vector<std::wstring> names;
        for (const std::wstring& path : RowTexts(0))
            names.push_back(path.substr(path.rfind(L'\\') + 1));
        return names;
    }
    ScopedTempDir temp;
};

TEST_F(FilterWindowTest, TypingRebuildsTheRows) {
    dlg->m_editFilter.SetWindowText(L"*.txt");  // sends EN_CHANGE as typing does
    EXPECT_EQ(Names(), (std::vector<std::wstring>{L"Report.TXT", L"notes.txt"}));
    dlg->m_editFilter.SetWindowText(L"*.txt|*.png");
    EXPECT_EQ(Names(), (std::vector<std::wstring>{L"Report.TXT", L"notes.txt", L"image.png"}));
    dlg->m_editFilter.SetWindowText(L"");
    EXPECT_EQ(Names().size(), 3u);
}

TEST_F(FilterWindowTest, TheOptionsShowAtTheNextRebuild) {
    dlg->m_editFilter.SetWindowText(L"*.txt");
    Click(IDC_CASE_SENSITIVE);
    EXPECT_EQ(Names().size(), 2u) << "ticking the box alone changes no row";
    dlg->m_editFilter.SetWindowText(L"*.txt ");
    dlg->m_editFilter.SetWindowText(L"*.txt");
    EXPECT_EQ(Names(), (std::vector<std::wstring>{L"notes.txt"}));
    Click(IDC_EXCLUSIVE);
    EXPECT_EQ(Names(), (std::vector<std::wstring>{L"notes.txt"})) << "nor does the exclusive box";
    dlg->m_editFilter.SetWindowText(L"*.TXT");
    EXPECT_EQ(Names(), (std::vector<std::wstring>{L"notes.txt", L"image.png"}));
}

}  // namespace
