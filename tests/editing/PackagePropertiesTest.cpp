// Summary properties of Office Open XML and OpenDocument packages, made by the tests themselves.
#include "editing/PackageXml.h"
#include "editing/SummaryProperties.h"
#include "editing/ZipPackage.h"

#include "MainDlgFixture.h"
#include "framework/TextConv.h"
#include "resources/resource.h"
#include "support/ErrorLog.h"
#include "support/Folders.h"

#include <objbase.h>

#include <algorithm>
#include <cstdlib>
#include <map>

namespace {

const PropertyNames& Names() {
    static const PropertyNames names = {
        {2, L"Summary_Title"},      {3, L"Summary_Subject"},        {4, L"Summary_Author"},
        {5, L"Summary_Keywords"},   {6, L"Summary_Comments"},       {7, L"Summary_Template"},
        {8, L"Summary_LastAuthor"}, {9, L"Summary_RevisionNumber"}, {18, L"Summary_AppName"},
    };
    return names;
}

using Files = std::vector<std::pair<std::string, std::string>>;

// Binary content no XML edit could produce: every byte value, stored as it is.
std::string AllBytes() {
    std::string bytes;
    for (int i = 0; i < 256; ++i)
        bytes += static_cast<char>(i);
    return bytes;
}

const char kContentTypes[] =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    R"(<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">)"
    R"(<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>)"
    R"(<Default Extension="xml" ContentType="application/xml"/></Types>)";

// A word-processing package with both properties parts.
Files Docx() {
    return {
        {"[Content_Types].xml", kContentTypes},
        {"_rels/.rels",
         R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
         R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
         R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="word/document.xml"/>)"
         R"(<Relationship Id="rId2" Type="http://schemas.openxmlformats.org/package/2006/relationships/metadata/core-properties" Target="docProps/core.xml"/>)"
         R"(<Relationship Id="rId3" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/extended-properties" Target="docProps/app.xml"/>)"
         R"(</Relationships>)"},
        {"word/document.xml",
         R"(<w:document xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main"><w:body/></w:document>)"},
        {"word/media/image1.bin", AllBytes()},
        {"docProps/core.xml",
         R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
         "\n"
         R"(<cp:coreProperties xmlns:cp="http://schemas.openxmlformats.org/package/2006/metadata/core-properties" xmlns:dc="http://purl.org/dc/elements/1.1/" xmlns:dcterms="http://purl.org/dc/terms/" xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance">)"
         R"(<dc:title>Old title</dc:title><dc:creator>Old author</dc:creator><cp:keywords/>)"
         R"(<dcterms:created xsi:type="dcterms:W3CDTF">2020-01-02T03:04:05Z</dcterms:created><!-- kept --></cp:coreProperties>)"},
        {"docProps/app.xml",
         R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
         R"(<Properties xmlns="http://schemas.openxmlformats.org/officeDocument/2006/extended-properties"><Template>Normal.dotm</Template><Application>Old app</Application><Pages>1</Pages></Properties>)"},
    };
}

// A spreadsheet package with no properties parts at all: they are created.
Files Xlsx() {
    return {
        {"[Content_Types].xml", kContentTypes},
        {"_rels/.rels",
         R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
         R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/></Relationships>)"},
        {"xl/workbook.xml", R"(<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"/>)"},
        {"xl/media/image1.bin", AllBytes()},
    };
}

// A text document with two keywords and a template link.
Files Odt() {
    return {
        {"mimetype", "application/vnd.oasis.opendocument.text"},
        {"META-INF/manifest.xml",
         R"(<manifest:manifest xmlns:manifest="urn:oasis:names:tc:opendocument:xmlns:manifest:1.0" manifest:version="1.2">)"
         R"(<manifest:file-entry manifest:full-path="/" manifest:media-type="application/vnd.oasis.opendocument.text"/></manifest:manifest>)"},
        {"content.xml",
         R"(<office:document-content xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"/>)"},
        {"Pictures/image1.bin", AllBytes()},
        {"meta.xml",
         R"(<?xml version="1.0" encoding="UTF-8"?>)"
         R"(<office:document-meta xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" xmlns:meta="urn:oasis:names:tc:opendocument:xmlns:meta:1.0" xmlns:dc="http://purl.org/dc/elements/1.1/" xmlns:xlink="http://www.w3.org/1999/xlink" office:version="1.2">)"
         R"(<office:meta><meta:initial-creator>Old author</meta:initial-creator><dc:title>Old title</dc:title>)"
         R"(<meta:keyword>one</meta:keyword><meta:keyword>two</meta:keyword>)"
         R"(<meta:template xlink:type="simple" xlink:actuate="onRequest" xlink:href="old.ott"/><meta:editing-cycles>3</meta:editing-cycles></office:meta></office:document-meta>)"},
    };
}

std::string Package(const Files& files) {
    std::vector<ZipOutputEntry> entries;
    for (const auto& [name, content] : files) {
        entries.push_back(ZipOutputEntry::Add(name, content, name == "mimetype" || name.ends_with(".bin")));
    }
    return WriteZipArchive({}, {}, entries).value();
}

// Every entry's name and stored bytes, in order.
std::vector<std::pair<std::string, std::string>> StoredEntries(const std::string& bytes) {
    ZipArchive archive;
    EXPECT_EQ(ReadZipArchive(bytes, archive), ZipStatus::Ok);
    std::vector<std::pair<std::string, std::string>> entries;
    for (const ZipEntry& entry : archive.entries) {
        entries.emplace_back(entry.name, bytes.substr(entry.dataOffset, entry.compressedSize) +
                                             (entry.method == 0 ? "|stored" : "|deflated"));
    }
    return entries;
}

std::string Unpacked(const std::string& bytes, const char* name) {
    ZipArchive archive;
    if (ReadZipArchive(bytes, archive) != ZipStatus::Ok)
        return {};
    const ZipEntry* entry = FindZipEntry(archive, name);
    return entry ? UnpackZipEntry(bytes, *entry).value_or("") : "";
}

PropertyValues Read(const std::wstring& path) {
    PropertyValues values;
    ReadSummaryProperties(path, Names(), values);
    return values;
}

PropertyValues NewValues() {
    PropertyValues values;
    for (const auto& [id, name] : Names())
        values[name] = name.substr(8) + L" \u00E9\u4E2D <&>\"";
    values[L"Summary_RevisionNumber"] = L"7";
    return values;
}

class PackagePropertiesTest : public ::testing::Test {
protected:
    ScopedTempDir temp;
};

TEST_F(PackagePropertiesTest, SetReadBackUndoAndEveryOtherEntryKept) {
    struct Case {
        const char* label;
        std::wstring name;
        Files files;
        std::map<std::wstring, std::wstring> before;  // values that are not empty
        std::vector<std::string> rewritten;           // the entries whose bytes change
        std::vector<std::string> added;               // new entries, at the end
    };
    const Case cases[] = {
        {"docx with both parts",
         L"report.docx",
         Docx(),
         {{L"Summary_Title", L"Old title"},
          {L"Summary_Author", L"Old author"},
          {L"Summary_Template", L"Normal.dotm"},
          {L"Summary_AppName", L"Old app"}},
         {"docProps/core.xml", "docProps/app.xml"},
         {}},
        {"xlsx without properties parts",
         L"sheet.xlsx",
         Xlsx(),
         {},
         {"[Content_Types].xml", "_rels/.rels"},
         {"docProps/core.xml", "docProps/app.xml"}},
        {"odt with two keywords",
         L"letter.odt",
         Odt(),
         {{L"Summary_Title", L"Old title"},
          {L"Summary_Author", L"Old author"},
          {L"Summary_Keywords", L"one, two"},
          {L"Summary_Template", L"old.ott"},
          {L"Summary_RevisionNumber", L"3"}},
         {"meta.xml"},
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const std::wstring path = temp.path() + c.name;
        const std::string original = Package(c.files);
        ASSERT_TRUE(WriteTestFile(path, original));

        PropertyValues expectedBefore;
        for (const auto& [id, name] : Names())
            expectedBefore[name] = c.before.count(name) ? c.before.at(name) : L"";
        const PropertyValues before = Read(path);
        EXPECT_EQ(before, expectedBefore);

        ASSERT_TRUE(::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
        ASSERT_TRUE(WriteSummaryProperties(path, Names(), NewValues(), {}));
        EXPECT_EQ(::GetFileAttributesW(path.c_str()),
                  static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE))
            << "the replaced file keeps its attributes";
        EXPECT_EQ(Read(path), NewValues()) << "the whole of Unicode is kept, unlike in compound documents";
        const std::string written = ReadTestFile(path);
        auto expectedEntries = StoredEntries(original);
        for (auto& [name, bytes] : expectedEntries) {
            if (std::find(c.rewritten.begin(), c.rewritten.end(), name) != c.rewritten.end())
                bytes = "rewritten";
        }
        auto writtenEntries = StoredEntries(written);
        for (auto& [name, bytes] : writtenEntries) {
            if (std::find(c.rewritten.begin(), c.rewritten.end(), name) != c.rewritten.end()) {
                bytes = "rewritten";
            } else if (std::find(c.added.begin(), c.added.end(), name) != c.added.end()) {
                continue;
            }
        }
        ASSERT_EQ(writtenEntries.size(), expectedEntries.size() + c.added.size());
        for (size_t i = 0; i < expectedEntries.size(); ++i) {
            EXPECT_EQ(writtenEntries[i], expectedEntries[i]) << "entry " << i << " kept as stored, in its place";
        }
        for (size_t i = 0; i < c.added.size(); ++i) {
            EXPECT_EQ(writtenEntries[expectedEntries.size() + i].first, c.added[i]);
        }

        // Undo writes the saved values back.
        ASSERT_TRUE(WriteSummaryProperties(path, Names(), before, before));
        EXPECT_EQ(Read(path), before);
        const auto undone = StoredEntries(ReadTestFile(path));
        for (size_t i = 0; i < expectedEntries.size() && i < undone.size(); ++i) {
            if (expectedEntries[i].second != "rewritten") {
                EXPECT_EQ(undone[i], StoredEntries(original)[i]);
            }
        }
        // Writing the values a package already holds leaves it as it is.
        const std::string settled = ReadTestFile(path);
        ASSERT_TRUE(WriteSummaryProperties(path, Names(), before, {}));
        EXPECT_EQ(ReadTestFile(path), settled);
    }
}

TEST_F(PackagePropertiesTest, CreatedPartsAreRelatedAndTyped) {
    const std::wstring path = temp.path() + L"sheet.xlsx";
    ASSERT_TRUE(WriteTestFile(path, Package(Xlsx())));
    ASSERT_TRUE(WriteSummaryProperties(path, Names(), {{L"Summary_Title", L"T"}, {L"Summary_AppName", L"A"}}, {}));
    const std::string bytes = ReadTestFile(path);
    const std::string rels = Unpacked(bytes, "_rels/.rels");
    EXPECT_NE(
        rels.find(
            R"(Type="http://schemas.openxmlformats.org/package/2006/relationships/metadata/core-properties" Target="/docProps/core.xml")"),
        std::string::npos)
        << rels;
    EXPECT_NE(rels.find(R"(Target="/docProps/app.xml")"), std::string::npos) << rels;
    EXPECT_NE(rels.find(R"(Id="rId1")"), std::string::npos) << "the existing relationship stays";
    const std::string types = Unpacked(bytes, "[Content_Types].xml");
    EXPECT_NE(
        types.find(
            R"(<Override PartName="/docProps/core.xml" ContentType="application/vnd.openxmlformats-package.core-properties+xml"/>)"),
        std::string::npos)
        << types;
    EXPECT_NE(
        types.find(
            R"(<Override PartName="/docProps/app.xml" ContentType="application/vnd.openxmlformats-officedocument.extended-properties+xml"/>)"),
        std::string::npos)
        << types;
    EXPECT_NE(Unpacked(bytes, "docProps/core.xml").find("<dc:title>T</dc:title>"), std::string::npos);
    EXPECT_NE(Unpacked(bytes, "docProps/app.xml").find("<Application>A</Application>"), std::string::npos);
}

TEST_F(PackagePropertiesTest, OpenDocumentKeepsItsMimetypeFirstAndStored) {
    const std::wstring path = temp.path() + L"letter.odt";
    ASSERT_TRUE(WriteTestFile(path, Package(Odt())));
    ASSERT_TRUE(
        WriteSummaryProperties(path, Names(), {{L"Summary_Template", L"new.ott"}, {L"Summary_Keywords", L"k"}}, {}));
    const std::string bytes = ReadTestFile(path);
    EXPECT_EQ(bytes.substr(30, 8), "mimetype") << "the first local entry";
    EXPECT_EQ(bytes.substr(38, 39), "application/vnd.oasis.opendocument.text") << "stored, right after its name";
    const std::string meta = Unpacked(bytes, "meta.xml");
    EXPECT_NE(meta.find(R"(xlink:href="new.ott")"), std::string::npos) << meta;
    EXPECT_NE(meta.find("<meta:keyword>k</meta:keyword>"), std::string::npos) << meta;
    EXPECT_EQ(meta.find("two"), std::string::npos) << "one element holds the keywords now";
}

std::string WithPart(Files files, const std::string& name, const std::string& content) {
    for (auto& [n, c] : files) {
        if (n == name)
            c = content;
    }
    return Package(files);
}

TEST_F(PackagePropertiesTest, DamagedAndEncryptedPackagesAreLeftUntouched) {
    const std::string docx = Package(Docx());
    // The first entry's central record, where the directory starts, marked encrypted.
    std::string encrypted = docx;
    const size_t endRecord = docx.size() - 22;
    const size_t directory = static_cast<unsigned char>(docx[endRecord + 16]) |
                             static_cast<unsigned char>(docx[endRecord + 17]) << 8 |
                             static_cast<unsigned char>(docx[endRecord + 18]) << 16;
    encrypted[directory + 8] = 1;
    Files withoutMeta = Odt();
    withoutMeta.pop_back();
    const char kLaughs[] =
        R"(<?xml version="1.0"?><!DOCTYPE lolz [<!ENTITY lol "lol"><!ENTITY lol2 "&lol;&lol;&lol;&lol;">]>)"
        R"(<cp:coreProperties xmlns:cp="http://schemas.openxmlformats.org/package/2006/metadata/core-properties" xmlns:dc="http://purl.org/dc/elements/1.1/"><dc:title>&lol2;</dc:title></cp:coreProperties>)";
    struct Case {
        const char* label;
        std::wstring name;
        std::string bytes;
        std::string reason;
    };
    const Case cases[] = {
        {"cut short", L"cut.docx", docx.substr(0, docx.size() - 40), "its zip directory is damaged"},
        {"encrypted entry", L"locked.docx", encrypted, "it is encrypted"},
        {"password-protected OpenDocument", L"locked.odt",
         WithPart(
             Odt(), "META-INF/manifest.xml",
             R"(<manifest:manifest xmlns:manifest="urn:oasis:names:tc:opendocument:xmlns:manifest:1.0"><manifest:file-entry manifest:full-path="content.xml"><manifest:encryption-data/></manifest:file-entry></manifest:manifest>)"),
         "it is password-protected"},
        {"entities in the core part", L"entities.docx", WithPart(Docx(), "docProps/core.xml", kLaughs),
         "a properties part is damaged"},
        {"core part not well-formed", L"broken.docx", WithPart(Docx(), "docProps/core.xml", "<cp:coreProperties"),
         "a properties part is damaged"},
        {"no meta part", L"nometa.odt", Package(withoutMeta), "it has no meta.xml part"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const std::wstring path = temp.path() + c.name;
        ASSERT_TRUE(WriteTestFile(path, c.bytes));
        DeleteFileIfExists(GetErrorLogPath());
        EXPECT_FALSE(WriteSummaryProperties(path, Names(), NewValues(), {}));
        EXPECT_EQ(ReadTestFile(path), c.bytes) << "not a byte changes";
        EXPECT_NE(ReadTestFile(GetErrorLogPath())
                      .find("] WriteSummaryProperties: " + Narrow(path) + " was not written: " + c.reason + ".\r\n"),
                  std::string::npos)
            << ReadTestFile(GetErrorLogPath());
        const PropertyValues read = Read(path);
        EXPECT_EQ(read.size(), 9u);
        EXPECT_EQ(read.at(L"Summary_Title"), L"") << "nothing is read from a package that cannot be handled";
    }
    // No temporary file is left beside them.
    WIN32_FIND_DATAW found{};
    const HANDLE search = ::FindFirstFileW((temp.path() + L"qmk*").c_str(), &found);
    EXPECT_EQ(search, INVALID_HANDLE_VALUE);
    if (search != INVALID_HANDLE_VALUE)
        ::FindClose(search);
}

TEST_F(PackagePropertiesTest, APasswordProtectedOfficeDocumentIsLeftUntouched) {
    // Such a document is a compound file holding the encrypted package as a stream.
    const std::wstring path = temp.path() + L"protected.docx";
    IStorage* storage = nullptr;
    ASSERT_TRUE(SUCCEEDED(::StgCreateStorageEx(path.c_str(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE,
                                               STGFMT_STORAGE, 0, nullptr, nullptr, IID_IStorage,
                                               reinterpret_cast<void**>(&storage))));
    IStream* stream = nullptr;
    ASSERT_TRUE(SUCCEEDED(
        storage->CreateStream(L"EncryptedPackage", STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, 0, 0, &stream)));
    ULONG written = 0;
    stream->Write("ciphertext", 10, &written);
    stream->Release();
    storage->Commit(STGC_DEFAULT);
    storage->Release();
    const std::string bytes = ReadTestFile(path);
    DeleteFileIfExists(GetErrorLogPath());
    EXPECT_FALSE(WriteSummaryProperties(path, Names(), NewValues(), {}));
    EXPECT_EQ(ReadTestFile(path), bytes);
    EXPECT_NE(
        ReadTestFile(GetErrorLogPath()).find(Narrow(path) + " was not written: it is a password-protected document."),
        std::string::npos);
}

TEST_F(PackagePropertiesTest, PackagesAreRecognisedByContentNotName) {
    struct Case {
        const char* label;
        std::wstring name;
        std::string bytes;
        bool package;
    };
    const Case cases[] = {
        {"a docx named .txt", L"notes.txt", Package(Docx()), true},
        {"an odt named .zip", L"letter.zip", Package(Odt()), true},
        {"a plain zip named .docx", L"fake.docx", Package({{"readme.txt", "hello"}}), false},
        {"text named .xlsx", L"fake.xlsx", "not a zip at all", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const std::wstring path = temp.path() + c.name;
        ASSERT_TRUE(WriteTestFile(path, c.bytes));
        const bool written = WriteSummaryProperties(path, Names(), {{L"Summary_Title", L"Recognised"}}, {});
        if (c.package) {
            EXPECT_TRUE(written);
            EXPECT_EQ(Read(path).at(L"Summary_Title"), L"Recognised");
        } else {
            if (RunningUnderWine()) {
                EXPECT_FALSE(written) << "the compound-document route, which fails for it";
            }
            EXPECT_EQ(ReadTestFile(path), c.bytes);
            EXPECT_EQ(Read(path).at(L"Summary_Title"), L"");
        }
    }
}

// Title and Author set on a folder of a compound document and three packages in one Apply, then
// undone. Run by tests/editing/independent_package_reader.py with QUILL_PACKAGE_FOLDER naming a
// folder of packages it made; the applied files are copied into its "applied" sub-folder for it
// to read. Without it, the packages are made here.
class PackageApplyUndoTest : public MainDlgFixture {
protected:
    ScopedTempDir temp;
};

TEST_F(PackageApplyUndoTest, TitleAndAuthorOnFourKindsOfDocumentInOneApplyAndUndo) {
    const char* given = std::getenv("QUILL_PACKAGE_FOLDER");
    const std::wstring folder = given ? ToWide(given, CP_UTF8) + L"\\" : temp.path();
    const std::vector<std::wstring> names = {L"a.doc", L"b.docx", L"c.xlsx", L"d.odt"};
    if (!given) {
        ASSERT_TRUE(WriteTestFile(folder + L"b.docx", Package(Docx())));
        ASSERT_TRUE(WriteTestFile(folder + L"c.xlsx", Package(Xlsx())));
        ASSERT_TRUE(WriteTestFile(folder + L"d.odt", Package(Odt())));
    }
    ASSERT_TRUE(MakeCompoundFile(folder + L"a.doc", "Old title"));
    std::map<std::wstring, PropertyValues> before;
    for (const std::wstring& name : names)
        before[name] = Read(folder + name);
    // The folder's four files dropped together (a dropped folder is one entry, the folder itself).
    std::vector<std::wstring> paths;
    for (const std::wstring& name : names)
        paths.push_back(folder + name);
    Drop(paths);
    // Selecting a row shows that file's values, whatever kind of document it is.
    const std::vector<std::wstring> rows = RowTexts();
    for (int row = 0; row < static_cast<int>(rows.size()); ++row) {
        SelectRows({row});
        const std::wstring& shown = rows[static_cast<size_t>(row)];
        const std::wstring name = shown.substr(shown.find_last_of(L'\\') + 1);
        EXPECT_EQ(dlg->m_mapPropertyValues, before[name]) << Narrow(name);
    }
    SelectRows({0});
    Click(IDC_OTHER_PROPERTIES);
    // Only the two names stay in the editor; the others keep each file's own value.
    dlg->m_mapPropertyValues = {{L"Summary_Title", L"Quarterly report"}, {L"Summary_Author", L"J\u00F6rg Example"}};
    Click(IDC_APPLY);
    std::wstring expected;
    for (const std::wstring& path : RowTexts())
        expected += path + L" -- file properties changed successfully!\r\n";
    EXPECT_EQ(dlg->m_editOutput.GetWindowText(), expected + CMainDlg::kSeparatorLine);
    for (const std::wstring& name : names) {
        SCOPED_TRACE(Narrow(name));
        PropertyValues after = before[name];
        after[L"Summary_Title"] = L"Quarterly report";
        after[L"Summary_Author"] = L"J\u00F6rg Example";
        EXPECT_EQ(Read(folder + name), after);
    }
    if (given) {
        ::CreateDirectoryW((folder + L"applied").c_str(), nullptr);
        for (const std::wstring& name : names) {
            ASSERT_TRUE(::CopyFileW((folder + name).c_str(), (folder + L"applied\\" + name).c_str(), FALSE));
        }
    }
    dlg->m_editOutput.SetWindowText(L"");
    Click(IDC_UNDO);
    std::wstring rolledBack;
    for (const std::wstring& path : RowTexts())
        rolledBack += path + L" -- file properties rollback successfully!\r\n";
    EXPECT_EQ(dlg->m_editOutput.GetWindowText(), rolledBack + CMainDlg::kSeparatorLine);
    for (const std::wstring& name : names) {
        SCOPED_TRACE(Narrow(name));
        EXPECT_EQ(Read(folder + name), before[name]);
    }
}

}  // namespace
