// The extension's failure trail through its test seam (the library's export by ordinal, which
// also stands in for InsertMenuItemW): a refused menu insertion, a theme file that is gone, a
// program that cannot be started. Each failure leaves one line with its call site, the real
// HRESULT and the system's text, while the fixed answers (InvokeCommand's) stay as they are. By
// default the line goes to OutputDebugStringW, seen here as the debug-print exception that a
// debugger receives.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/base/error.h"
#include "core/base/handles_win.h"
#include "core/base/text.h"
#include "shellext/test_seams_win.h"
#include "tests/support/com_client_win.h"
#include "tests/support/explorer_command_client_win.h"
#include "tests/support/files_win.h"
#include "tests/support/shell_library_test_win.h"

namespace {

using qm::shellext::ShellSeams;

std::vector<std::wstring> g_trail;
void RecordTrail(const wchar_t* line) { g_trail.emplace_back(line); }

// InsertMenuItemW that refuses call number g_refuseCall (counted from 1) as a failing platform
// would, with g_refuseError.
int g_calls = 0, g_refuseCall = 0;
DWORD g_refuseError = ERROR_NOT_ENOUGH_MEMORY;
BOOL WINAPI RefusingInsert(HMENU menu, UINT item, BOOL byPosition, LPCMENUITEMINFOW info) {
    if (++g_calls == g_refuseCall) {
        SetLastError(g_refuseError);
        return FALSE;
    }
    return InsertMenuItemW(menu, item, byPosition, info);
}

bool Has(const std::wstring& line, const std::wstring& part) { return line.find(part) != std::wstring::npos; }

class ShellTrail : public qmtest::ShellLibraryTest {
protected:
    ShellTrail() : ShellLibraryTest(L"qmtrail") {}
    void SetUp() override {
        ShellLibraryTest::SetUp();
        if (HasFatalFailure()) return;
        seams_->trail = &RecordTrail;
        g_trail.clear();
        folder_ = work_.MakeFolder(L"f");
    }
    std::wstring folder_;
};

TEST_F(ShellTrail, RefusedMenuInsertionFailsWithThePlatformsErrorAndLeavesItsLine) {
    install_.SetTheme(L"Thirty.icl", qmtest::ThemeLibrary(30));
    seams_->insertMenuItem = &RefusingInsert;
    // 30 icons, 1 column break, the separator, 4 commands, the submenu entry: 37 insertions.
    struct Case {
        int refuse;
        DWORD error;
    };
    for (const Case c : {Case{1, ERROR_NOT_ENOUGH_MEMORY}, Case{31, ERROR_INVALID_MENU_HANDLE},
                         Case{33, ERROR_NOT_ENOUGH_MEMORY}, Case{37, ERROR_ACCESS_DENIED}}) {
        SCOPED_TRACE(c.refuse);
        g_calls = 0;
        g_refuseCall = c.refuse;
        g_refuseError = c.error;
        g_trail.clear();
        qmtest::ShellMenuHost host;
        ASSERT_EQ(host.CreateFrom(library_.get()), S_OK);
        ASSERT_EQ(host.InitializeWithFolders({folder_}), S_OK);
        EXPECT_EQ(host.QueryContextMenu(), HRESULT_FROM_WIN32(c.error));
        EXPECT_EQ(GetMenuItemCount(host.menu()), 0);  // the shell's menu is left as it was
        ASSERT_EQ(g_trail.size(), 1u);
        wchar_t code[16] = {};
        swprintf(code, 16, L"0x%08lX", static_cast<unsigned long>(HRESULT_FROM_WIN32(c.error)));
        EXPECT_TRUE(Has(g_trail[0], L"TFolContMenu::QueryContextMenu")) << qm::WideToUtf8(g_trail[0]);
        EXPECT_TRUE(Has(g_trail[0], code)) << qm::WideToUtf8(g_trail[0]);
        EXPECT_TRUE(Has(g_trail[0], qm::SystemErrorText(c.error))) << qm::WideToUtf8(g_trail[0]);
    }
    // Without a refusal the same object builds the whole menu.
    g_refuseCall = 0;
    qmtest::ShellMenuHost host;
    ASSERT_EQ(host.CreateFrom(library_.get()), S_OK);
    ASSERT_EQ(host.InitializeWithFolders({folder_}), S_OK);
    EXPECT_EQ(HRESULT_CODE(host.QueryContextMenu()), 35);
}

TEST_F(ShellTrail, ThemeFileGoneGivesTheCommandsAndALineNamingTheFile) {
    install_.SetTheme(L"Gone.icl", qmtest::ThemeLibrary(3));
    const std::wstring theme = install_.ThemePath(L"Gone.icl");
    ASSERT_TRUE(DeleteFileW(theme.c_str()));
    qmtest::ShellMenuHost host;
    ASSERT_EQ(host.CreateFrom(library_.get()), S_OK);
    ASSERT_EQ(host.InitializeWithFolders({folder_}), S_OK);
    EXPECT_EQ(HRESULT_CODE(host.QueryContextMenu()), 5);  // the menu still comes, with the commands
    ASSERT_EQ(g_trail.size(), 1u);
    EXPECT_TRUE(Has(g_trail[0], L"ThemeIcons")) << qm::WideToUtf8(g_trail[0]);
    EXPECT_TRUE(Has(g_trail[0], L"0x80070002")) << qm::WideToUtf8(g_trail[0]);
    EXPECT_TRUE(Has(g_trail[0], theme)) << qm::WideToUtf8(g_trail[0]);
}

TEST_F(ShellTrail, ProgramThatCannotStartKeepsInvokeCommandsAnswerAndTheTrailHasTheRealError) {
    install_.SetTheme(L"One.icl", qmtest::ThemeLibrary(1));
    ASSERT_TRUE(DeleteFileW(install_.program().c_str()));
    qmtest::ShellMenuHost host;
    ASSERT_EQ(host.CreateFrom(library_.get()), S_OK);
    ASSERT_EQ(host.InitializeWithFolders({folder_}), S_OK);
    ASSERT_EQ(HRESULT_CODE(host.QueryContextMenu()), 6);
    g_trail.clear();
    EXPECT_EQ(host.InvokeOffset(3), E_FAIL);  // "Change Theme...": InvokeCommand's answer
    ASSERT_EQ(g_trail.size(), 1u);
    EXPECT_TRUE(Has(g_trail[0], L"TFolContMenu::InvokeCommand")) << qm::WideToUtf8(g_trail[0]);
    EXPECT_TRUE(Has(g_trail[0], L"0x8007")) << qm::WideToUtf8(g_trail[0]);  // a Win32 error, not E_FAIL
    const std::wstring real = g_trail[0];

    // The flyout's entry has no fixed answer: it returns the real error.
    const auto items = qmtest::ShellItemsOf({folder_});
    const auto root = qmtest::CreateFolderCommand(library_.get());
    ASSERT_TRUE(root);
    auto flyout = qmtest::ReadFlyout(root.get(), items.get(), true);
    ASSERT_EQ(flyout.size(), 6u);
    g_trail.clear();
    const HRESULT hr = flyout[2].command->Invoke(items.get(), nullptr);
    EXPECT_EQ(HRESULT_FACILITY(hr), FACILITY_WIN32) << std::hex << hr;
    ASSERT_EQ(g_trail.size(), 1u);
    EXPECT_TRUE(Has(g_trail[0], L"TFolderCommandEntry::Invoke")) << qm::WideToUtf8(g_trail[0]);
    EXPECT_EQ(real.substr(real.find(L": 0x")), g_trail[0].substr(g_trail[0].find(L": 0x")));
}

// The debug-print exception OutputDebugStringW raises, as a debugger (or a debug viewer) gets it.
std::vector<std::string> g_printed;
LONG CALLBACK CatchDebugPrint(EXCEPTION_POINTERS* info) {
    const EXCEPTION_RECORD* r = info->ExceptionRecord;
    if (r->ExceptionCode == DBG_PRINTEXCEPTION_C && r->NumberParameters >= 2) {
        g_printed.emplace_back(reinterpret_cast<const char*>(r->ExceptionInformation[1]));
        return EXCEPTION_CONTINUE_EXECUTION;
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

TEST_F(ShellTrail, WithoutTheSeamTheLineGoesToTheDebugger) {
    seams_->trail = nullptr;
    install_.SetTheme(L"Gone.icl", qmtest::ThemeLibrary(1));
    ASSERT_TRUE(DeleteFileW(install_.ThemePath(L"Gone.icl").c_str()));
    g_printed.clear();
    void* handler = AddVectoredExceptionHandler(1, &CatchDebugPrint);
    ASSERT_NE(handler, nullptr);
    {
        qmtest::ShellMenuHost host;
        EXPECT_EQ(host.CreateFrom(library_.get()), S_OK);
        EXPECT_EQ(host.InitializeWithFolders({folder_}), S_OK);
        EXPECT_EQ(HRESULT_CODE(host.QueryContextMenu()), 5);
    }
    RemoveVectoredExceptionHandler(handler);
    int lines = 0;
    for (const auto& text : g_printed) lines += text.find("quillshell: ThemeIcons: 0x80070002") != std::string::npos;
    EXPECT_EQ(lines, 1);
}

}  // namespace
