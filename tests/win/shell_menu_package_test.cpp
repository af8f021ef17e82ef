// The classic folder menu beside the Windows 11 menu's package: while the package is registered
// for the user its verb also shows under "Show more options", so the classic handler adds nothing;
// otherwise (no package, the system cannot tell, Windows 10) it gives the whole menu. The answer
// of GetPackagesByPackageFamily comes from the library's test seam: Wine 8's kernel32 has no such
// function, where the library falls back to the classic menu.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "core/base/handles_win.h"
#include "core/base/text.h"
#include "core/shell/package_family.h"
#include "shellext/package_family.h"  // generated: the build's own family
#include "shellext/test_seams_win.h"
#include "tests/support/com_client_win.h"
#include "tests/support/files_win.h"
#include "tests/support/shell_library_test_win.h"

namespace {

using qm::shellext::ShellSeams;

std::wstring g_asked;
UINT32 g_count = 0;
LONG g_status = ERROR_SUCCESS;
int g_calls = 0;

// GetPackagesByPackageFamily as Windows answers a request for the count alone.
LONG WINAPI AnsweringPackages(PCWSTR family, UINT32* count, PWSTR* names, UINT32* length, WCHAR* buffer) {
    ++g_calls;
    g_asked = family ? family : L"";
    EXPECT_EQ(names, nullptr);
    EXPECT_EQ(buffer, nullptr);
    if (!count || !length) return ERROR_INVALID_PARAMETER;
    *count = g_count;
    *length = g_count * 60;
    return g_status;
}

class ShellMenuPackage : public qmtest::ShellLibraryTest {
protected:
    ShellMenuPackage() : ShellLibraryTest(L"qmpkg") {}
    void SetUp() override {
        ShellLibraryTest::SetUp();
        if (HasFatalFailure()) return;
        install_.SetTheme(L"Two.icl", qmtest::ThemeLibrary(2));
        folder_ = work_.MakeFolder(L"f");
        g_calls = 0;
        g_asked.clear();
    }
    // QueryContextMenu's answer and the number of entries it added to the shell's menu.
    std::pair<HRESULT, int> Menu() {
        qmtest::ShellMenuHost host;
        EXPECT_EQ(host.CreateFrom(library_.get()), S_OK);
        EXPECT_EQ(host.InitializeWithFolders({folder_}), S_OK);
        const HRESULT hr = host.QueryContextMenu();
        return {hr, GetMenuItemCount(host.menu())};
    }

    std::wstring folder_;
};

TEST_F(ShellMenuPackage, RegisteredPackageLeavesTheClassicMenuEmpty) {
    seams_->packagesByFamily = &AnsweringPackages;
    struct Case {
        LONG status;
        UINT32 count;
        bool registered;
    };
    for (const Case c : {Case{ERROR_INSUFFICIENT_BUFFER, 1, true}, Case{ERROR_INSUFFICIENT_BUFFER, 2, true},
                         Case{ERROR_SUCCESS, 0, false}, Case{ERROR_INVALID_PARAMETER, 0, false},
                         Case{ERROR_ACCESS_DENIED, 1, false}}) {
        SCOPED_TRACE(testing::Message() << c.status << " " << c.count);
        g_status = c.status;
        g_count = c.count;
        g_calls = 0;
        const auto [hr, entries] = Menu();
        EXPECT_EQ(g_calls, 1);
        if (c.registered) {
            EXPECT_EQ(hr, MAKE_HRESULT(SEVERITY_SUCCESS, FACILITY_NULL, 0));
            EXPECT_EQ(entries, 0);
        } else {
            EXPECT_EQ(HRESULT_CODE(hr), 7);  // 4 commands, the separator, 2 icons, the submenu entry
            EXPECT_EQ(entries, 1);
        }
    }
}

TEST_F(ShellMenuPackage, AsksForTheFamilyOfTheBuildsPackage) {
    seams_->packagesByFamily = &AnsweringPackages;
    g_status = ERROR_SUCCESS;
    g_count = 0;
    Menu();
    // The manifest's Name, "_" and the 13 characters of the publisher id (Crockford's base 32,
    // lower case); scripts/msix.py's own test checks the id against published examples.
    const std::wstring prefix = L"Ostrel.Quillmark_";
    ASSERT_EQ(g_asked.size(), prefix.size() + 13) << qm::WideToUtf8(g_asked);
    EXPECT_EQ(g_asked.substr(0, prefix.size()), prefix);
    for (const wchar_t c : g_asked.substr(prefix.size())) {
        EXPECT_NE(std::wstring(L"0123456789abcdefghjkmnpqrstvwxyz").find(c), std::wstring::npos) << char(c);
    }
}

// The installer registers the Quillmark.msix beside the library, whose Publisher packaging chose:
// a signed package's is its certificate's subject, not the build's unsigned one. The family asked
// is the shipped package's; without a readable package the build's own.
TEST_F(ShellMenuPackage, AsksForTheFamilyOfThePackageShippedBesideTheLibrary) {
    seams_->packagesByFamily = &AnsweringPackages;
    g_status = ERROR_SUCCESS;
    g_count = 0;
    const std::wstring beside = install_.folder() + L"\\Quillmark.msix";
    const std::wstring signedPackage = qmtest::BuildFolder() + L"\\package-signed\\Quillmark.msix";
    const std::wstring unsignedPackage = qmtest::BuildFolder() + L"\\package\\Quillmark.msix";
    ASSERT_TRUE(qmtest::Exists(signedPackage)) << "scripts/package makes it when osslsigncode is installed";
    const std::wstring signedFamily = qm::PackageFamilyName(L"Ostrel.Quillmark", L"CN=Quillmark developer build");
    ASSERT_NE(signedFamily, kPackageFamilyName);

    const auto cut = [](std::vector<std::uint8_t> bytes) {
        bytes.resize(bytes.size() / 2);
        return bytes;
    };
    const struct {
        const char* what;
        std::vector<std::uint8_t> package;
        std::wstring family;
    } cases[] = {
        {"signed", qmtest::ReadBytes(signedPackage), signedFamily},
        {"unsigned", qmtest::ReadBytes(unsignedPackage), kPackageFamilyName},
        {"cut", cut(qmtest::ReadBytes(signedPackage)), kPackageFamilyName},
        {"not a package", {'P', 'K', 3, 4}, kPackageFamilyName},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        qmtest::WriteBytes(beside, c.package);
        g_asked.clear();
        Menu();
        EXPECT_EQ(g_asked, c.family);
    }
    DeleteFileW(beside.c_str());
    Menu();
    EXPECT_EQ(g_asked, kPackageFamilyName);
}

TEST_F(ShellMenuPackage, WithoutTheSystemFunctionTheClassicMenuIsTheFallback) {
    // Wine 8's kernel32 lacks GetPackagesByPackageFamily; where it has it, no package of the build's
    // family is registered in the test prefix. Either way the whole menu comes.
    const auto [hr, entries] = Menu();
    EXPECT_EQ(HRESULT_CODE(hr), 7);
    EXPECT_EQ(entries, 1);
    EXPECT_EQ(g_calls, 0);
}

}  // namespace
