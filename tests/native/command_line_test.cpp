#include <gtest/gtest.h>

#include "app/command_line.h"

using qm::ProgramMode;

namespace {

struct Case {
    const wchar_t* commandLine;
    ProgramMode mode;
    const wchar_t* argument;
};

class CommandLineTest : public testing::TestWithParam<Case> {};

TEST_P(CommandLineTest, SelectsModeAndArgument) {
    const Case& c = GetParam();
    const auto request = qm::SelectMode(qm::SplitCommandLine(c.commandLine));
    EXPECT_EQ(request.mode, c.mode) << c.commandLine;
    EXPECT_EQ(request.argument, c.argument) << c.commandLine;
}

INSTANTIATE_TEST_SUITE_P(
    Table, CommandLineTest,
    testing::Values(Case{L"Quillmark.exe", ProgramMode::Main, L""},
                    Case{L"\"C:\\Program Files\\Quillmark\\Quillmark.exe\"", ProgramMode::Main, L""},
                    Case{L"Quillmark.exe \"C:\\My Folder\"", ProgramMode::Main, L"C:\\My Folder"},
                    Case{L"Quillmark.exe /ABOUT", ProgramMode::About, L""},
                    Case{L"Quillmark.exe /about ignored", ProgramMode::About, L""},
                    Case{L"Quillmark.exe /theme", ProgramMode::Theme, L""},
                    Case{L"Quillmark.exe  /custom \"D:\\a b\\c\"", ProgramMode::Custom, L"D:\\a b\\c"},
                    Case{L"Quillmark.exe /CuStOm", ProgramMode::Custom, L""},  // missing folder: empty path
                    Case{L"Quillmark.exe /INSTALL C:\\t\\Metal.icl extra", ProgramMode::Install, L"C:\\t\\Metal.icl"},
                    Case{L"Quillmark.exe /INSTALL", ProgramMode::Install, L""},
                    // A mode word with more behind it, or another leading character, falls through as a folder.
                    Case{L"Quillmark.exe /ABOUTX", ProgramMode::Main, L"/ABOUTX"},
                    Case{L"Quillmark.exe -about", ProgramMode::Main, L"-about"},
                    Case{L"Quillmark.exe \\THEME", ProgramMode::Main, L"\\THEME"},
                    // Quotes group blanks anywhere in an argument and are removed.
                    Case{L"Quillmark.exe /CUSTOM C:\\\"a b\"\\c", ProgramMode::Custom, L"C:\\a b\\c"},
                    Case{L"Quillmark.exe \"/about\"", ProgramMode::About, L""},
                    Case{L"Quillmark.exe \t /theme\t", ProgramMode::Theme, L""},
                    Case{L"Quillmark.exe /CUSTOM \"C:\\unterminated", ProgramMode::Custom, L"C:\\unterminated"}));

TEST(SplitCommandLine, DropsProgramNameAndEmptyTail) {
    EXPECT_TRUE(qm::SplitCommandLine(L"").empty());
    EXPECT_TRUE(qm::SplitCommandLine(L"   ").empty());
    EXPECT_EQ(qm::SplitCommandLine(L"\"C:\\a b\\Q.exe\" x \"y z\" "), (std::vector<std::wstring>{L"x", L"y z"}));
    // An empty quoted pair is an empty argument, as the platform's parser gives it.
    EXPECT_EQ(qm::SplitCommandLine(L"Q.exe \"\" b"), (std::vector<std::wstring>{L"", L"b"}));
}

}  // namespace
