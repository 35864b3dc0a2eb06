// Summary properties of compound documents, read and written through the platform's storage.
#include "editing/SummaryProperties.h"

#include "MainDlgFixture.h"
#include "framework/TextConv.h"
#include "resources/resource.h"
#include "support/ErrorLog.h"
#include "support/Folders.h"

#include <objbase.h>

#include <cstdlib>

namespace {

constexpr FMTID kSummary = {0xF29F85E0, 0x4FF9, 0x1068, {0xAB, 0x91, 0x08, 0x00, 0x2B, 0x27, 0xB3, 0xD9}};
constexpr PROPID kPageCount = 14;

const PropertyNames& Names() {
    static const PropertyNames names = {
        {2, L"Summary_Title"},      {3, L"Summary_Subject"},        {4, L"Summary_Author"},
        {5, L"Summary_Keywords"},   {6, L"Summary_Comments"},       {7, L"Summary_Template"},
        {8, L"Summary_LastAuthor"}, {9, L"Summary_RevisionNumber"}, {18, L"Summary_AppName"},
    };
    return names;
}

bool MakeCompoundFile(const std::wstring& path, bool withSet) {
    return ::MakeCompoundFile(path, withSet ? "Old title" : nullptr, 42);
}

// The page count the file holds, or -1; read directly, past our own reader.
long ReadPageCount(const std::wstring& path) {
    IStorage* storage = nullptr;
    long pages = -1;
    if (FAILED(::StgOpenStorageEx(path.c_str(), STGM_READ | STGM_SHARE_EXCLUSIVE, STGFMT_STORAGE, 0, nullptr, nullptr,
                                  IID_IStorage, reinterpret_cast<void**>(&storage)))) {
        return pages;
    }
    IPropertySetStorage* sets = nullptr;
    IPropertyStorage* set = nullptr;
    if (SUCCEEDED(storage->QueryInterface(IID_IPropertySetStorage, reinterpret_cast<void**>(&sets))) &&
        SUCCEEDED(sets->Open(kSummary, STGM_READ | STGM_SHARE_EXCLUSIVE, &set))) {
        PROPSPEC selector{};
        selector.ulKind = PRSPEC_PROPID;
        selector.propid = kPageCount;
        PROPVARIANT value;
        ::PropVariantInit(&value);
        if (set->ReadMultiple(1, &selector, &value) == S_OK && value.vt == VT_I4)
            pages = value.lVal;
        ::PropVariantClear(&value);
        set->Release();
    }
    if (sets)
        sets->Release();
    storage->Release();
    return pages;
}

// A compound document whose summary set is stored as Unicode (code page 1200, the platform's
// default kind of set), holding a title of even length and a subject of odd length.
bool MakeUnicodeSetFile(const std::wstring& path) {
    IStorage* storage = nullptr;
    if (FAILED(::StgCreateStorageEx(path.c_str(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, STGFMT_STORAGE,
                                    0, nullptr, nullptr, IID_IStorage, reinterpret_cast<void**>(&storage)))) {
        return false;
    }
    IPropertySetStorage* sets = nullptr;
    IPropertyStorage* set = nullptr;
    bool ok = SUCCEEDED(storage->QueryInterface(IID_IPropertySetStorage, reinterpret_cast<void**>(&sets))) &&
              SUCCEEDED(sets->Create(kSummary, nullptr, PROPSETFLAG_DEFAULT,
                                     STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, &set));
    if (ok) {
        PROPSPEC selectors[2] = {};
        selectors[0].ulKind = selectors[1].ulKind = PRSPEC_PROPID;
        selectors[0].propid = 2;  // title
        selectors[1].propid = 3;  // subject
        char title[] = "Even title";
        char subject[] = "Odd";
        PROPVARIANT values[2];
        ::PropVariantInit(&values[0]);
        ::PropVariantInit(&values[1]);
        values[0].vt = values[1].vt = VT_LPSTR;
        values[0].pszVal = title;
        values[1].pszVal = subject;
        ok = SUCCEEDED(set->WriteMultiple(2, selectors, values, PID_FIRST_USABLE)) &&
             SUCCEEDED(set->Commit(STGC_DEFAULT));
        set->Release();
    }
    if (sets)
        sets->Release();
    ok = SUCCEEDED(storage->Commit(STGC_DEFAULT)) && ok;
    storage->Release();
    return ok;
}

PropertyValues NineValues(const std::wstring& suffix) {
    PropertyValues values;
    for (const auto& [id, name] : Names())
        values[name] = name.substr(8) + L" " + suffix;
    return values;
}

class SummaryPropertiesTest : public ::testing::Test {
protected:
    ScopedTempDir temp;
};

TEST_F(SummaryPropertiesTest, NineValuesRoundTripAndOtherPropertiesStay) {
    const std::wstring doc = temp.path() + L"with-set.doc";
    ASSERT_TRUE(MakeCompoundFile(doc, true));
    PropertyValues before;
    ReadSummaryProperties(doc, Names(), before);
    EXPECT_EQ(before.at(L"Summary_Title"), L"Old title");
    EXPECT_EQ(before.at(L"Summary_Author"), L"");
    EXPECT_EQ(before.size(), 9u);

    const PropertyValues written = NineValues(L"odd");
    ASSERT_TRUE(WriteSummaryProperties(doc, Names(), written, {}));
    PropertyValues after;
    ReadSummaryProperties(doc, Names(), after);
    EXPECT_EQ(after, written);
    EXPECT_EQ(ReadPageCount(doc), 42) << "a property besides the nine is kept";
}

TEST_F(SummaryPropertiesTest, ASetIsCreatedWhereThereWasNone) {
    const std::wstring doc = temp.path() + L"no-set.doc";
    ASSERT_TRUE(MakeCompoundFile(doc, false));
    PropertyValues before;
    ReadSummaryProperties(doc, Names(), before);
    EXPECT_EQ(before.size(), 9u);
    for (const auto& [name, value] : before)
        EXPECT_EQ(value, L"") << Narrow(name);

    const PropertyValues written = NineValues(L"even");
    ASSERT_TRUE(WriteSummaryProperties(doc, Names(), written, {}));
    PropertyValues after;
    ReadSummaryProperties(doc, Names(), after);
    EXPECT_EQ(after, written);
}

TEST_F(SummaryPropertiesTest, PrimaryThenFallbackThenLeftAlone) {
    const std::wstring doc = temp.path() + L"choice.doc";
    ASSERT_TRUE(MakeCompoundFile(doc, true));
    const PropertyValues primary = {{L"Summary_Author", L"from the editor"}};
    const PropertyValues fallback = {{L"Summary_Author", L"ignored"}, {L"Summary_Subject", L"previous subject"}};
    ASSERT_TRUE(WriteSummaryProperties(doc, Names(), primary, fallback));
    PropertyValues after;
    ReadSummaryProperties(doc, Names(), after);
    EXPECT_EQ(after.at(L"Summary_Author"), L"from the editor");
    EXPECT_EQ(after.at(L"Summary_Subject"), L"previous subject");
    EXPECT_EQ(after.at(L"Summary_Title"), L"Old title") << "a name in neither map is not written";
}

TEST_F(SummaryPropertiesTest, CharactersOutsideTheCodePage) {
    const std::wstring doc = temp.path() + L"chars.doc";
    ASSERT_TRUE(MakeCompoundFile(doc, false));
    const PropertyValues written = {{L"Summary_Title", L"T\u00EFtle \u00E9t\u00E9"},
                                    {L"Summary_Author", L"\u4E2D\u6587 name"}};
    ASSERT_TRUE(WriteSummaryProperties(doc, Names(), written, {}));
    PropertyValues after;
    ReadSummaryProperties(doc, Names(), after);
    EXPECT_EQ(after.at(L"Summary_Title"), L"T\u00EFtle \u00E9t\u00E9") << "within the code page";
    EXPECT_EQ(after.at(L"Summary_Author"), L"?? name") << "outside it: the default character";
}

TEST_F(SummaryPropertiesTest, FilesWithoutAPropertySet) {
    const std::wstring text = temp.path() + L"plain.txt";
    ASSERT_TRUE(WriteTestFile(text, "just text"));
    PropertyValues values = {{L"stale", L"x"}};
    ReadSummaryProperties(text, Names(), values);
    EXPECT_EQ(values.size(), 9u) << "nine empty values";
    EXPECT_EQ(values.count(L"stale"), 0u);
    if (RunningUnderWine()) {
        EXPECT_FALSE(WriteSummaryProperties(text, Names(), NineValues(L"x"), {}))
            << "only compound documents carry property sets under Wine";
    }
    EXPECT_EQ(ReadTestFile(text), "just text");
    EXPECT_FALSE(WriteSummaryProperties(temp.path() + L"missing.doc", Names(), NineValues(L"x"), {}));

    const std::wstring held = temp.path() + L"held.doc";
    ASSERT_TRUE(MakeCompoundFile(held, true));
    HANDLE holder = ::CreateFileW(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(WriteSummaryProperties(held, Names(), NineValues(L"x"), {})) << "a file held by another program";
    ::CloseHandle(holder);
}

TEST_F(SummaryPropertiesTest, AUnicodeSetIsWrittenOnlyWhereThePlatformKeepsItsStrings) {
    const std::wstring doc = temp.path() + L"unicode.doc";
    ASSERT_TRUE(MakeUnicodeSetFile(doc));
    const std::string bytes = ReadTestFile(doc);
    DeleteFileIfExists(GetErrorLogPath());
    const bool written = WriteSummaryProperties(doc, Names(), {{L"Summary_Author", L"New author"}}, {});
    if (RunningUnderWine()) {
        EXPECT_FALSE(written) << "the file gets its failure line";
        EXPECT_EQ(ReadTestFile(doc), bytes) << "not a byte of the file changes";
        EXPECT_NE(ReadTestFile(GetErrorLogPath())
                      .find("] WriteSummaryProperties: " + Narrow(doc) +
                            " was not written: its summary properties are stored as Unicode (code page 1200), which "
                            "Wine would cut short if any of them were rewritten.\r\n"),
                  std::string::npos);
    } else {
        EXPECT_TRUE(written);
        PropertyValues after;
        ReadSummaryProperties(doc, Names(), after);
        EXPECT_EQ(after.at(L"Summary_Author"), L"New author");
        EXPECT_EQ(after.at(L"Summary_Title"), L"Even title") << "the other strings keep their length";
        EXPECT_EQ(after.at(L"Summary_Subject"), L"Odd");
    }
}

TEST(PropVariantToStringTest, EveryTypeOfTheTable) {
    GUID guid = {0x01234567, 0x89AB, 0xCDEF, {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}};
    wchar_t wide[] = L"wide\0after";
    char narrow[] = "n\xE9";
    BSTR bstr = ::SysAllocString(L"basic");
    struct Case {
        const char* label;
        VARTYPE type;
        void (*fill)(PROPVARIANT&, void*);
        void* data;
        std::wstring text;
    };
    const Case cases[] = {
        {"I2", VT_I2, [](PROPVARIANT& v, void*) { v.iVal = -12; }, nullptr, L"-12"},
        {"I4", VT_I4, [](PROPVARIANT& v, void*) { v.lVal = -123456; }, nullptr, L"-123456"},
        {"INT", VT_INT, [](PROPVARIANT& v, void*) { v.intVal = 77; }, nullptr, L"77"},
        {"R4", VT_R4, [](PROPVARIANT& v, void*) { v.fltVal = 1.5f; }, nullptr, L"1.500000"},
        {"R8", VT_R8, [](PROPVARIANT& v, void*) { v.dblVal = -2.25; }, nullptr, L"-2.250000"},
        {"BSTR", VT_BSTR, [](PROPVARIANT& v, void* d) { v.bstrVal = static_cast<BSTR>(d); }, bstr, L"basic"},
        {"LPWSTR up to its first null", VT_LPWSTR,
         [](PROPVARIANT& v, void* d) { v.pwszVal = static_cast<wchar_t*>(d); }, wide, L"wide"},
        {"ERROR", VT_ERROR, [](PROPVARIANT& v, void*) { v.scode = static_cast<SCODE>(0x80030002); }, nullptr,
         L"0x80030002"},
        {"BOOL true", VT_BOOL, [](PROPVARIANT& v, void*) { v.boolVal = VARIANT_TRUE; }, nullptr, L"True"},
        {"BOOL false", VT_BOOL, [](PROPVARIANT& v, void*) { v.boolVal = VARIANT_FALSE; }, nullptr, L"False"},
        {"I1", VT_I1, [](PROPVARIANT& v, void*) { v.cVal = static_cast<CHAR>(-5); }, nullptr, L"-5"},
        {"UI1", VT_UI1, [](PROPVARIANT& v, void*) { v.bVal = 250; }, nullptr, L"250"},
        {"UI2", VT_UI2, [](PROPVARIANT& v, void*) { v.uiVal = 65535; }, nullptr, L"65535"},
        {"UI4", VT_UI4, [](PROPVARIANT& v, void*) { v.ulVal = 4000000000u; }, nullptr, L"4000000000"},
        {"UINT", VT_UINT, [](PROPVARIANT& v, void*) { v.uintVal = 3000000000u; }, nullptr, L"3000000000"},
        {"I8", VT_I8, [](PROPVARIANT& v, void*) { v.hVal.QuadPart = -9000000000LL; }, nullptr, L"-9000000000"},
        {"UI8", VT_UI8, [](PROPVARIANT& v, void*) { v.uhVal.QuadPart = 18000000000000000000ULL; }, nullptr,
         L"18000000000000000000"},
        {"LPSTR in the code page", VT_LPSTR, [](PROPVARIANT& v, void* d) { v.pszVal = static_cast<char*>(d); }, narrow,
         L"n\u00E9"},
        {"FILETIME", VT_FILETIME,
         [](PROPVARIANT& v, void*) {
             v.filetime = FILETIME{0xABCDEF01, 0x01C2D3E4};
         },
         nullptr, L"01c2d3e4:abcdef01"},
        {"CLSID", VT_CLSID, [](PROPVARIANT& v, void* d) { v.puuid = static_cast<CLSID*>(d); }, &guid,
         L"{01234567-89AB-CDEF-0123-456789ABCDEF}"},
        {"vector", VT_VECTOR | VT_I4, [](PROPVARIANT&, void*) {}, nullptr, L""},
        {"EMPTY", VT_EMPTY, [](PROPVARIANT&, void*) {}, nullptr, L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        PROPVARIANT value;
        ::PropVariantInit(&value);
        value.vt = c.type;
        c.fill(value, c.data);
        EXPECT_EQ(PropVariantToString(value), c.text);
    }
    ::SysFreeString(bstr);
}

// Writes the file that tests/editing/independent_reader.py checks with a reader of its own.
TEST(IndependentReaderFixture, WritesTheCheckedFile) {
    const char* target = std::getenv("QUILL_PROPERTY_FILE");
    if (!target) {
        GTEST_SKIP() << "run by the independent-reader check, which names the file";
    }
    const std::wstring path = ToWide(target, CP_UTF8);
    ASSERT_TRUE(MakeCompoundFile(path, true));
    PropertyValues values = NineValues(L"checked");
    values[L"Summary_Title"] = L"T\u00EFtle";
    ASSERT_TRUE(WriteSummaryProperties(path, Names(), values, {}));
}

class PropertyEditorTest : public MainDlgFixture {
protected:
    ScopedTempDir temp;
};

TEST_F(PropertyEditorTest, SelectingARowShowsItsAttributesAndProperties) {
    const std::wstring doc = temp.path() + L"a.doc";
    ASSERT_TRUE(MakeCompoundFile(doc, true));
    ASSERT_TRUE(::SetFileAttributesW(doc.c_str(), FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY));
    Drop({doc});
    dlg->m_editValue.SetWindowText(L"left over");
    SelectRows({0});
    EXPECT_TRUE(dlg->m_chkReadOnly.IsChecked());
    EXPECT_TRUE(dlg->m_chkArchive.IsChecked());
    std::vector<std::wstring> shown;
    for (int i = 0; i < dlg->m_lstProperties.GetCount(); ++i)
        shown.push_back(dlg->m_lstProperties.GetText(i));
    EXPECT_EQ(shown, (std::vector<std::wstring>{L"Summary_AppName", L"Summary_Author", L"Summary_Comments",
                                                L"Summary_Keywords", L"Summary_LastAuthor", L"Summary_RevisionNumber",
                                                L"Summary_Subject", L"Summary_Template", L"Summary_Title"}));
    EXPECT_EQ(dlg->m_lstProperties.GetSelCount(), 0);
    EXPECT_EQ(dlg->m_editValue.GetWindowText(), L"");
    EXPECT_EQ(dlg->m_mapPropertyValues.at(L"Summary_Title"), L"Old title");
    ::SetFileAttributesW(doc.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(PropertyEditorTest, AValueIsStoredUnderTheNameCurrentWhenTheEditorLosesFocus) {
    const std::wstring doc = temp.path() + L"a.doc";
    ASSERT_TRUE(MakeCompoundFile(doc, true));
    Drop({doc});
    SelectRows({0});
    Click(IDC_OTHER_PROPERTIES);
    ASSERT_FALSE(dlg->m_editValue.IsReadOnly());

    const int title = dlg->m_lstProperties.FindStringExact(-1, L"Summary_Title");
    const int author = dlg->m_lstProperties.FindStringExact(-1, L"Summary_Author");
    ::SendMessageW(dlg->m_lstProperties.m_hWnd, LB_SETCARETINDEX, title, FALSE);
    dlg->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_PROPERTY_NAMES, LBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(dlg->m_lstProperties.m_hWnd));
    EXPECT_EQ(dlg->m_editValue.GetWindowText(), L"Old title");

    dlg->m_editValue.SetFocus();
    dlg->m_editValue.SetWindowText(L"New title");
    dlg->m_lstProperties.SetFocus();  // the editor loses the focus before the list moves on
    ::SendMessageW(dlg->m_lstProperties.m_hWnd, LB_SETCARETINDEX, author, FALSE);
    EXPECT_EQ(dlg->m_mapPropertyValues.at(L"Summary_Title"), L"New title");
    EXPECT_EQ(dlg->m_mapPropertyValues.at(L"Summary_Author"), L"");

    SelectRows({});
    SelectRows({0});
    EXPECT_EQ(dlg->m_mapPropertyValues.at(L"Summary_Title"), L"Old title") << "another selection discards typed values";
}

}  // namespace
