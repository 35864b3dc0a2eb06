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
                                        std::pair{"module", GetModuleFolder()},
                                        std::pair{"temp", GetTempFolder()}}) {
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

TEST(FoldersPermissions, AProgramFolderTheUserMayNotWriteHoldsNoSettings) {
    SKIP_UNLESS_READONLY_ENFORCED();
    const std::wstring folder = UnwritableFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_FALSE(CanCreateFileIn(folder));
    const ApplicationFolder chosen = ChooseApplicationFolder(L"", folder);
    EXPECT_EQ(chosen.path, L"");
    EXPECT_NE(chosen.notice.find(L"settings are not saved"), std::wstring::npos);
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
