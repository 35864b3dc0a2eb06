#include "support/Folders.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

TEST(FoldersTest, SystemFoldersEndInASeparator) {
    for (const auto& [label, folder] : {std::pair{"app data", GetAppDataFolder()},
                                        std::pair{"module", GetModuleFolder()}, std::pair{"temp", GetTempFolder()}}) {
        SCOPED_TRACE(label);
        ASSERT_FALSE(folder.empty());
        EXPECT_EQ(folder.back(), L'\\');
        EXPECT_TRUE(IsFolder(folder)) << Narrow(folder);
    }
    wchar_t exe[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, exe, MAX_PATH);
    EXPECT_EQ(std::wstring(exe).rfind(GetModuleFolder(), 0), 0u) << "the module folder holds the executable";
}

TEST(FoldersTest, TheApplicationFolderIsNeverRelative) {
    ScopedTempDir program;
    const std::wstring missing = program.path() + L"missing\\";
    const std::wstring keptIn =
        L"The application-data folder cannot be found; settings are kept in the program's folder ";
    const std::wstring notSaved = L"The application-data folder cannot be found and the program's folder ";
    struct Case {
        const char* label;
        std::wstring appData;
        std::wstring module;
        std::wstring folder;
        std::wstring notice;
    };
    const Case cases[] = {
        {"the application-data folder when known", L"C:\\users\\me\\AppData\\Roaming\\", program.path(),
         L"C:\\users\\me\\AppData\\Roaming\\Quillmark\\", L""},
        {"known without a final separator", L"C:\\data", L"", L"C:\\data\\Quillmark\\", L""},
        {"unknown: the program's folder, which can be written", L"", program.path(), program.path(),
         keptIn + program.path() + L"."},
        {"a relative application-data folder counts as unknown", L"Roaming\\", program.path(), program.path(),
         keptIn + program.path() + L"."},
        {"unknown, and the program's folder cannot be written: none", L"", missing, L"",
         notSaved + missing + L" cannot be written; settings are not saved."},
        {"unknown, and no program folder either: none", L"", L"", L"",
         notSaved + L"(unknown) cannot be written; settings are not saved."},
        {"never the current directory, though it can be written", L"", L".\\", L"",
         notSaved + L".\\ cannot be written; settings are not saved."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const ApplicationFolder chosen = ChooseApplicationFolder(c.appData, c.module);
        EXPECT_EQ(Narrow(chosen.path), Narrow(c.folder));
        EXPECT_EQ(Narrow(chosen.notice), Narrow(c.notice));
    }
    EXPECT_EQ(GetApplicationFolder().path, GetAppDataFolder() + L"Quillmark\\");
    EXPECT_EQ(GetApplicationFolder().notice, L"");
}

TEST(FoldersTest, APortableCopyKeepsItsSettingsBesideTheProgram) {
    ScopedTempDir program;
    const std::wstring missing = program.path() + L"missing\\";
    const std::wstring appData = L"C:\\users\\me\\AppData\\Roaming\\";
    const std::wstring usual = appData + L"Quillmark\\";
    struct Case {
        const char* label;
        std::wstring appData;
        std::wstring module;
        bool portable;
        std::wstring folder;
        std::wstring notice;
    };
    const Case cases[] = {
        {"portable: the program's folder", appData, program.path(), true, program.path(), L""},
        {"portable, the program's folder named without a final separator", appData,
         program.path().substr(0, program.path().size() - 1), true, program.path(), L""},
        {"portable, the program's folder cannot be written: the application-data folder", appData, missing, true, usual,
         L"The program's folder " + missing + L" cannot be written; settings are kept in " + usual + L"."},
        {"portable, no program folder: the application-data folder", appData, L"", true, usual,
         L"The program's folder (unknown) cannot be written; settings are kept in " + usual + L"."},
        {"portable, a relative program folder is never used", appData, L".\\", true, usual,
         L"The program's folder .\\ cannot be written; settings are kept in " + usual + L"."},
        {"portable, neither folder usable: none", L"", missing, true, L"",
         L"The application-data folder cannot be found and the program's folder " + missing +
             L" cannot be written; settings are not saved."},
        {"not portable: the application-data folder, though the program's can be written", appData, program.path(),
         false, usual, L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const ApplicationFolder chosen = ChooseApplicationFolder(c.appData, c.module, c.portable);
        EXPECT_EQ(Narrow(chosen.path), Narrow(c.folder));
        EXPECT_EQ(Narrow(chosen.notice), Narrow(c.notice));
    }
}

TEST(FoldersTest, OnlyAFileNamedPortableMarksAPortableCopy) {
    struct Case {
        const char* label;
        const wchar_t* file;    // created beside the program; null for none
        const wchar_t* folder;  // created beside the program; null for none
        bool portable;
    };
    const Case cases[] = {
        {"nothing beside the program", nullptr, nullptr, false},
        {"an empty file named portable", L"portable", nullptr, true},
        {"the name in capitals (names are not case-sensitive)", L"PORTABLE", nullptr, true},
        {"a folder named portable", nullptr, L"portable", false},
        {"another name", L"portable.txt", nullptr, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        ScopedTempDir program;
        if (c.file) {
            ASSERT_TRUE(WriteTestFile(program.path() + c.file, ""));
        }
        if (c.folder) {
            ASSERT_TRUE(::CreateDirectoryW((program.path() + c.folder).c_str(), nullptr));
        }
        EXPECT_EQ(HasPortableMarker(program.path()), c.portable);
    }
    EXPECT_FALSE(HasPortableMarker(L""));

    // The program's own choice follows a marker beside it, and forgets it once it is gone.
    const std::wstring marker = GetModuleFolder() + L"portable";
    ASSERT_FALSE(PathExists(marker)) << "a marker left beside the tests by an earlier run";
    ASSERT_TRUE(WriteTestFile(marker, ""));
    const ApplicationFolder portable = GetApplicationFolder();
    ::DeleteFileW(marker.c_str());
    EXPECT_EQ(portable.path, GetModuleFolder());
    EXPECT_EQ(portable.notice, L"");
    EXPECT_EQ(GetApplicationFolder().path, GetAppDataFolder() + L"Quillmark\\");
}

TEST(FoldersPermissions, AProgramFolderTheUserMayNotWriteHoldsNoSettings) {
    SKIP_UNLESS_READONLY_ENFORCED();
    const std::wstring folder = UnwritableFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_FALSE(CanCreateFileIn(folder));
    const ApplicationFolder chosen = ChooseApplicationFolder(L"", folder);
    EXPECT_EQ(chosen.path, L"");
    EXPECT_NE(chosen.notice.find(L"settings are not saved"), std::wstring::npos);
    // A portable copy there keeps its settings in the application-data folder instead.
    const ApplicationFolder portable = ChooseApplicationFolder(L"C:\\data\\", folder, true);
    EXPECT_EQ(portable.path, L"C:\\data\\Quillmark\\");
    EXPECT_NE(portable.notice.find(L"cannot be written; settings are kept in C:\\data\\Quillmark\\."),
              std::wstring::npos);
}

TEST(FoldersTest, EnsureDirectoryCreatesEveryLevelOnce) {
    ScopedTempDir temp;
    const std::wstring deep = temp.path() + L"A\\B\\C";
    EXPECT_NE(EnsureDirectory(deep), 0) << "the last level was created";
    EXPECT_TRUE(IsFolder(temp.path() + L"A"));
    EXPECT_TRUE(IsFolder(temp.path() + L"A\\B"));
    EXPECT_TRUE(IsFolder(deep));
    EXPECT_EQ(EnsureDirectory(deep), 0) << "nothing new the second time";
    EXPECT_EQ(EnsureDirectory(deep + L"\\"), 0) << "a final separator gives the same result";

    const std::wstring other = temp.path() + L"X\\Y\\";
    EXPECT_NE(EnsureDirectory(other), 0) << "with a final separator";
    EXPECT_TRUE(IsFolder(temp.path() + L"X\\Y"));
}

TEST(FoldersTest, EnsureDirectoryStopsAtALevelItCannotCreate) {
    ScopedTempDir temp;
    // A file where a folder should be: the level after it cannot be made.
    ASSERT_TRUE(WriteTestFile(temp.path() + L"blocker", "x"));
    EXPECT_EQ(EnsureDirectory(temp.path() + L"blocker\\inner\\deeper"), 0);
    EXPECT_FALSE(IsFolder(temp.path() + L"blocker\\inner"));
    EXPECT_EQ(EnsureDirectory(L"Q:\\no\\such\\drive"), 0) << "a drive that does not exist";
}

TEST(FoldersTest, PathExists) {
    ScopedTempDir temp;
    ASSERT_TRUE(WriteTestFile(temp.path() + L"f.txt", "x"));
    EXPECT_FALSE(PathExists(L""));
    EXPECT_TRUE(PathExists(temp.path() + L"f.txt"));
    EXPECT_TRUE(PathExists(temp.path()));
    EXPECT_FALSE(PathExists(temp.path() + L"missing.txt"));
    DeleteFileIfExists(temp.path() + L"f.txt");
    EXPECT_FALSE(PathExists(temp.path() + L"f.txt"));
    DeleteFileIfExists(temp.path() + L"f.txt");  // already gone: nothing happens
}

TEST(FoldersTest, ReadWholeFile) {
    ScopedTempDir temp;
    const std::wstring empty = temp.path() + L"empty.bin";
    const std::wstring full = temp.path() + L"full.bin";
    ASSERT_TRUE(WriteTestFile(empty, ""));
    const std::string content("a\0b\r\nc\xFF", 7);
    ASSERT_TRUE(WriteTestFile(full, content));

    std::string bytes = "kept";
    EXPECT_EQ(ReadWholeFile(empty, bytes), 0);
    EXPECT_EQ(bytes, "kept") << "an empty file leaves the string as it was";
    EXPECT_EQ(ReadWholeFile(temp.path() + L"missing.bin", bytes), -1);
    EXPECT_EQ(bytes, "kept") << "a missing file leaves the string as it was";
    EXPECT_EQ(ReadWholeFile(full, bytes), 7);
    EXPECT_EQ(bytes, content);
    EXPECT_EQ(ReadWholeFile(temp.path(), bytes), -1) << "a folder is not a file";
}

TEST(FoldersTest, WriteWholeFileCreatesAndReplaces) {
    ScopedTempDir temp;
    const std::wstring path = temp.path() + L"out.bin";
    EXPECT_TRUE(WriteWholeFile(path, "first content"));
    EXPECT_EQ(ReadTestFile(path), "first content");
    EXPECT_TRUE(WriteWholeFile(path, "2nd"));
    EXPECT_EQ(ReadTestFile(path), "2nd") << "replaced, not overwritten in place";
    EXPECT_TRUE(WriteWholeFile(path, ""));
    EXPECT_EQ(ReadTestFile(path), "") << "an empty string truncates";
    EXPECT_FALSE(PathExists(path + L".new")) << "no temporary file is left behind";
    EXPECT_FALSE(WriteWholeFile(temp.path() + L"no\\such\\folder\\f.bin", "x"));
}

TEST(FoldersTest, WriteWholeFileRefusedLeavesTheOldContent) {
    ScopedTempDir temp;
    const std::wstring path = temp.path() + L"held.bin";
    ASSERT_TRUE(WriteWholeFile(path, "old"));
    // Held open without sharing by another handle: the replacement cannot happen.
    HANDLE held = ::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(WriteWholeFile(path, "new"));
    ::CloseHandle(held);
    EXPECT_EQ(ReadTestFile(path), "old");
    EXPECT_FALSE(PathExists(path + L".new"));
}

}  // namespace
