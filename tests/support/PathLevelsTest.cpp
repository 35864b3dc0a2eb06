#include "support/PathLevels.h"

#include <gtest/gtest.h>

namespace {

struct LevelsCase {
    const char* label;
    std::wstring path;
    std::vector<std::wstring> levels;
};

TEST(PathLevelsTest, LevelsBelowTheRoot) {
    const LevelsCase cases[] = {
        {"three levels", L"C:\\A\\B\\C", {L"C:\\A", L"C:\\A\\B", L"C:\\A\\B\\C"}},
        {"final separator changes nothing", L"C:\\A\\B\\C\\", {L"C:\\A", L"C:\\A\\B", L"C:\\A\\B\\C"}},
        {"a drive root is never created", L"C:\\", {}},
        {"a bare drive", L"C:", {}},
        {"empty path", L"", {}},
        {"relative folder when app data is unknown", L"Quillmark\\", {L"Quillmark"}},
        {"network path starts with the server",
         L"\\\\server\\share\\x",
         {L"\\\\server", L"\\\\server\\share", L"\\\\server\\share\\x"}},
        {"doubled separator gives an empty-named level", L"C:\\A\\\\B", {L"C:\\A", L"C:\\A\\", L"C:\\A\\\\B"}},
    };
    for (const LevelsCase& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(DirectoryLevels(c.path), c.levels);
    }
}

TEST(PathLevelsTest, TrailingSeparator) {
    EXPECT_EQ(WithTrailingSeparator(L"C:\\Data"), L"C:\\Data\\");
    EXPECT_EQ(WithTrailingSeparator(L"C:\\Data\\"), L"C:\\Data\\");
    EXPECT_EQ(WithTrailingSeparator(L""), L"");
}

}  // namespace
