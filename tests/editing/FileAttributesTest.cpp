// The attribute group through the real window: the exclusive "Normal" box, the composed word,
// and setting it on files and folders.
#include "MainDlgFixture.h"
#include "resources/resource.h"

namespace {

class FileAttributesTest : public MainDlgFixture {
protected:
    void SetUp() override {
        MainDlgFixture::SetUp();
        file = temp.path() + L"f.txt";
        ASSERT_TRUE(WriteTestFile(file, "x"));
        Click(IDC_SET_FILE_ATTRIBUTES);
        ASSERT_TRUE(dlg->m_chkNormal.IsWindowEnabled());
    }
    void TearDown() override {
        ::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
        MainDlgFixture::TearDown();
    }
    std::wstring Checked() {
        std::wstring names;
        for (CMacCheckBox* box :
             {&dlg->m_chkArchive, &dlg->m_chkReadOnly, &dlg->m_chkHidden, &dlg->m_chkSystem, &dlg->m_chkTemporary,
              &dlg->m_chkOffline, &dlg->m_chkNotContentIndexed, &dlg->m_chkNormal}) {
            if (box->IsChecked())
                names += box->GetWindowText() + L" ";
        }
        return names;
    }
    void Uncheck() {
        for (CMacCheckBox* box :
             {&dlg->m_chkArchive, &dlg->m_chkReadOnly, &dlg->m_chkHidden, &dlg->m_chkSystem, &dlg->m_chkTemporary,
              &dlg->m_chkOffline, &dlg->m_chkNotContentIndexed, &dlg->m_chkNormal}) {
            box->SetChecked(FALSE);
        }
    }

    ScopedTempDir temp;
    std::wstring file;
};

TEST_F(FileAttributesTest, NormalIsExclusive) {
    struct Case {
        const char* label;
        std::vector<int> clicks;
        std::wstring checked;
    };
    const Case cases[] = {
        {"Normal clears the seven", {IDC_ARCHIVE, IDC_HIDDEN, IDC_OFFLINE, IDC_NORMAL}, L"Normal "},
        {"any of the seven clears Normal", {IDC_NORMAL, IDC_READ_ONLY}, L"ReadOnly "},
        {"unchecking clears nothing", {IDC_NORMAL, IDC_NORMAL, IDC_SYSTEM, IDC_TEMPORARY, IDC_TEMPORARY}, L"System "},
        {"unchecking Normal leaves all clear", {IDC_NORMAL, IDC_NORMAL}, L""},
        {"the seven together",
         {IDC_ARCHIVE, IDC_READ_ONLY, IDC_HIDDEN, IDC_SYSTEM, IDC_TEMPORARY, IDC_OFFLINE, IDC_NOT_CONTENT_INDEXED},
         L"Archive ReadOnly Hidden System Temporary Offline NotContentIndexed "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        Uncheck();
        for (int id : c.clicks)
            Click(id);
        EXPECT_EQ(Checked(), c.checked);
    }
}

TEST_F(FileAttributesTest, ComposedWord) {
    struct Case {
        const char* label;
        std::vector<CMacCheckBox*> boxes;
        DWORD word;
    };
    const Case cases[] = {
        {"nothing", {}, 0},
        {"archive and read-only", {&dlg->m_chkArchive, &dlg->m_chkReadOnly}, 0x21},
        {"the bits Wine does not store",
         {&dlg->m_chkTemporary, &dlg->m_chkOffline, &dlg->m_chkNotContentIndexed},
         0x3100},
        {"hidden and system", {&dlg->m_chkHidden, &dlg->m_chkSystem}, 0x6},
        {"Normal wins over the others", {&dlg->m_chkNormal, &dlg->m_chkHidden}, 0x80},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        Uncheck();
        for (CMacCheckBox* box : c.boxes)
            box->SetChecked(TRUE);
        EXPECT_EQ(dlg->ComposeAttributes(), c.word);
    }
}

TEST_F(FileAttributesTest, SetsTheWordOnTheFile) {
    ASSERT_TRUE(::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY));
    Uncheck();
    Click(IDC_ARCHIVE);
    EXPECT_TRUE(dlg->ChangeFileAttributes(file));
    EXPECT_EQ(::GetFileAttributesW(file.c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE)) << "read-only is cleared";

    Click(IDC_READ_ONLY);
    EXPECT_TRUE(dlg->ChangeFileAttributes(file));
    EXPECT_EQ(::GetFileAttributesW(file.c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY));

    Click(IDC_NORMAL);
    EXPECT_TRUE(dlg->ChangeFileAttributes(file));
    EXPECT_EQ(::GetFileAttributesW(file.c_str()) & FILE_ATTRIBUTE_READONLY, 0u) << "Normal clears read-only";
}

TEST_F(FileAttributesTest, AnEmptyChoiceFailsWithoutTouchingTheFile) {
    ASSERT_TRUE(::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY));
    Uncheck();
    EXPECT_FALSE(dlg->ChangeFileAttributes(file));
    EXPECT_NE(::GetFileAttributesW(file.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    Click(IDC_ARCHIVE);
    EXPECT_FALSE(dlg->ChangeFileAttributes(temp.path() + L"missing.txt"));
}

TEST_F(FileAttributesTest, AFolderKeepsItsDirectoryBit) {
    const std::wstring folder = temp.path() + L"dir";
    ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
    Uncheck();
    Click(IDC_ARCHIVE);
    EXPECT_TRUE(dlg->ChangeFileAttributes(folder));
    EXPECT_NE(::GetFileAttributesW(folder.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
}

TEST_F(FileAttributesTest, BoxesShowTheAttributesOfAFile) {
    ASSERT_TRUE(::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE));
    Uncheck();
    dlg->m_chkNormal.SetChecked(TRUE);
    dlg->SetAttributeBoxesFromFile(file);
    EXPECT_EQ(Checked(), L"Archive ReadOnly ");
    EXPECT_EQ(dlg->m_chkArchive.m_bChecked, static_cast<BOOL>(FILE_ATTRIBUTE_ARCHIVE)) << "the box holds the bit";
    EXPECT_EQ(dlg->m_chkReadOnly.m_bChecked, static_cast<BOOL>(FILE_ATTRIBUTE_READONLY));

    dlg->SetAttributeBoxesFromFile(temp.path() + L"gone.txt");
    EXPECT_EQ(Checked(), L"Archive ReadOnly ") << "a file that has gone leaves the boxes as they are";

    // Disabled boxes are set too.
    Click(IDC_SET_FILE_ATTRIBUTES);
    ASSERT_FALSE(dlg->m_chkArchive.IsWindowEnabled());
    ASSERT_TRUE(::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_ARCHIVE));
    dlg->SetAttributeBoxesFromFile(file);
    EXPECT_EQ(Checked(), L"Archive ");
}

TEST_F(FileAttributesTest, TheSwitchDisablesWithoutChangingStates) {
    Uncheck();
    Click(IDC_HIDDEN);
    Click(IDC_SET_FILE_ATTRIBUTES);
    EXPECT_FALSE(dlg->m_chkHidden.IsWindowEnabled());
    EXPECT_EQ(Checked(), L"Hidden ");
}

}  // namespace
