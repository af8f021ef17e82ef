// Names in the theme store: which files it takes and what it calls them.
#include <gtest/gtest.h>

#include "core/themes/theme_names.h"

namespace {

TEST(ThemeNames, FileTypes) {
    struct Case {
        const wchar_t* path;
        bool library, colorFolder;
    } cases[] = {
        {L"C:\\Downloads\\Metal.ICL", true, false},
        {L"C:\\Downloads\\metal.icl", true, false},
        {L"Metal.iCl", true, false},
        {L"C:\\a.icl\\Metal.zip", false, false},
        {L"C:\\x\\iColorFolder.dll", false, true},
        {L"C:/x/ICOLORFOLDER.DLL", false, true},
        {L"C:\\x\\iColorFolder.dll.bak", false, false},
        {L"C:\\x\\my iColorFolder.dll", false, false},
        {L"C:\\x\\shell32.dll", false, false},
        {L"", false, false},
        {L"C:\\x\\icl", false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(qm::IsIconLibraryPath(c.path), c.library) << c.path;
        EXPECT_EQ(qm::IsColorFolderLibraryPath(c.path), c.colorFolder) << c.path;
    }
}

TEST(ThemeNames, DisplayNames) {
    EXPECT_EQ(qm::WithoutExtension(qm::FileNameOf(L"C:\\s\\Current Shell Icons.ICL")), L"Current Shell Icons");
    EXPECT_EQ(qm::WithoutExtension(qm::FileNameOf(L"C:\\s\\a.b.icl")), L"a.b");
    EXPECT_EQ(qm::WithoutExtension(qm::FileNameOf(L"noext")), L"noext");
    EXPECT_EQ(qm::FileNameOf(L"C:\\dir.x\\"), L"");
}

TEST(ThemeNames, ColorFolderThemeNamedByAPlainDescriptionOnly) {
    struct Case {
        const wchar_t* description;
        const wchar_t* expected;
    } cases[] = {
        {L"Crystal", L"Crystal.icl"},        {L"Blue Sky 2", L"Blue Sky 2.icl"},
        {L"", L"iColorFolder.icl"},          {L"..\\..\\Windows\\evil", L"iColorFolder.icl"},  // would leave the store
        {L"a/b", L"iColorFolder.icl"},       {L"C:x", L"iColorFolder.icl"},
        {L"..", L"iColorFolder.icl"},        {L"what?", L"iColorFolder.icl"},
        {L"trailing.", L"iColorFolder.icl"}, {L"tab\there", L"iColorFolder.icl"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(qm::ColorFolderThemeFileName(L"D:\\t\\iColorFolder.dll", c.description), c.expected) << c.description;
}

}  // namespace
