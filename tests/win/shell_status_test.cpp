// quillmark-cli shell status: the Windows 11 menu's state from the registration answers (through
// the seam for what Windows would answer: Wine has no package deployment), and the tool as a
// process reading the places Windows keeps them (the test writes the per-user package key that
// Windows' deployment writes, the classic keys, the build number) and the package beside it.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "core/base/text.h"
#include "core/shell/shell_status_win.h"
#include "tests/support/com_client_win.h"
#include "tests/support/console_process_win.h"
#include "tests/support/files_win.h"
#include "tests/support/process_win.h"

namespace {

using qm::ShellStatus;

ShellStatus g_answers;
ShellStatus Answers() { return g_answers; }

TEST(ShellStatus, Windows11MenuStateFollowsTheAnswers) {
    struct Case {
        unsigned long build;
        bool registered;
        std::optional<bool> provisioned, signedPackage;
        const wchar_t* state;
    };
    const Case cases[] = {
        {19045, true, true, true, L"not available"},
        {22000, true, std::nullopt, false, L"on"},
        {22631, false, std::nullopt, std::nullopt, L"off: no package beside the program"},
        {22631, false, true, false, L"off: provisioned; appears at the next sign-in"},
        {22631, false, std::nullopt, false, L"off: unsigned build; only an all-users installation registers it"},
        {22631, false, false, true, L"off: package not registered"},
    };
    qm::SetShellStatusSource(&Answers);
    for (const Case& c : cases) {
        SCOPED_TRACE(qm::WideToUtf8(c.state));
        g_answers = ShellStatus{true, false, c.registered, c.provisioned, c.signedPackage, c.build};
        const ShellStatus s = qm::CurrentShellStatus();
        EXPECT_EQ(qm::Windows11MenuState(s), c.state);
        const std::wstring text = qm::ShellStatusText(s);
        EXPECT_NE(text.find(L"windows 11 menu: " + std::wstring(c.state) + L"\n"), std::wstring::npos)
            << qm::WideToUtf8(text);
        EXPECT_NE(
            text.find(c.provisioned ? (*c.provisioned ? L"package provisioned: yes\n" : L"package provisioned: no\n")
                                    : L"package provisioned: unknown: needs administrator\n"),
            std::wstring::npos);
        const std::string json = qm::ShellStatusJson(s);
        EXPECT_NE(json.find("\"windowsBuild\":" + std::to_string(c.build)), std::string::npos) << json;
        EXPECT_NE(
            json.find(std::string("\"provisioned\":") + (c.provisioned ? (*c.provisioned ? "true" : "false") : "null")),
            std::string::npos);
    }
    qm::SetShellStatusSource(nullptr);
}

// A registry value set for the test's life, put back (or removed) at the end.
class RegistryString {
public:
    RegistryString(HKEY root, std::wstring key, const wchar_t* name, const std::wstring& value)
        : root_(root), key_(std::move(key)), name_(name ? name : L"") {
        before_ = qmtest::ReadRegValue(root_, key_, name);
        RegSetKeyValueW(root_, key_.c_str(), name, REG_SZ, value.c_str(),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }
    ~RegistryString() {
        if (before_.exists) {
            RegSetKeyValueW(root_, key_.c_str(), name_.empty() ? nullptr : name_.c_str(), REG_SZ, before_.data.c_str(),
                            static_cast<DWORD>((before_.data.size() + 1) * sizeof(wchar_t)));
        } else {
            RegDeleteKeyValueW(root_, key_.c_str(), name_.empty() ? nullptr : name_.c_str());
        }
    }
    RegistryString(const RegistryString&) = delete;
    RegistryString& operator=(const RegistryString&) = delete;

private:
    HKEY root_;
    std::wstring key_, name_;
    qmtest::RegValue before_;
};

bool TokenElevated() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    TOKEN_ELEVATION e{};
    DWORD size = 0;
    const bool elevated = GetTokenInformation(token, TokenElevation, &e, sizeof e, &size) && e.TokenIsElevated;
    CloseHandle(token);
    return elevated;
}

TEST(ShellStatus, TheToolReadsTheRegistrationsAndThePackageBesideIt) {
    qmtest::TempDir dir(L"qm-status");
    CopyFileW((qmtest::BuildFolder() + L"\\quillmark-cli.exe").c_str(), (dir / L"quillmark-cli.exe").c_str(), FALSE);
    const std::wstring packages =
        L"Software\\Classes\\Local Settings\\Software\\Microsoft\\Windows\\CurrentVersion\\AppModel\\Repository\\"
        L"Packages\\Ostrel.Quillmark_3.6.0.0_x64__8wekyb3d8bbwe";
    const std::wstring classKey = std::wstring(L"Software\\Classes\\CLSID\\") + qmtest::kQuillshellClsidText;
    qmtest::RemoveQuillshellRegistration();
    const RegistryString server(HKEY_CURRENT_USER, classKey + L"\\InprocServer32", nullptr, dir / L"quillshell.dll");
    const RegistryString handler(HKEY_CURRENT_USER,
                                 L"Software\\Classes\\Directory\\shellex\\ContextMenuHandlers\\PelmoContextMenu",
                                 nullptr, qmtest::kQuillshellClsidText);
    const std::string provisioned = TokenElevated() ? "false" : "null";
    auto status = [&](const wchar_t* options) {
        static int run = 0;
        const std::wstring out = dir / (L"out" + std::to_wstring(run)), err = dir / (L"err" + std::to_wstring(run++));
        EXPECT_EQ(qmtest::RunConsoleProgram(qmtest::Quote(dir / L"quillmark-cli.exe") + L" shell status" + options, out,
                                            err, 60000),
                  0u);
        const auto bytes = qmtest::ReadBytes(out);
        return std::string(bytes.begin(), bytes.end());
    };
    {
        const RegistryString build(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion",
                                   L"CurrentBuildNumber", L"22631");
        {
            const RegistryString registered(HKEY_CURRENT_USER, packages, L"Path", dir.path());
            qmtest::WriteBytes(dir / L"Quillmark.msix",
                               qmtest::ReadBytes(qmtest::BuildFolder() + L"\\package-signed\\Quillmark.msix"));
            EXPECT_EQ(
                status(L" --json"),
                "{\"classicRegistered\":true,\"classicApproved\":false,\"packageRegistered\":true,\"provisioned\":" +
                    provisioned + ",\"package\":\"signed\",\"windowsBuild\":22631,\"windows11Menu\":\"on\"}\n");
            RegDeleteTreeW(HKEY_CURRENT_USER, packages.c_str());
        }
        qmtest::WriteBytes(dir / L"Quillmark.msix",
                           qmtest::ReadBytes(qmtest::BuildFolder() + L"\\package\\Quillmark.msix"));
        const std::string text = status(L"");
        EXPECT_NE(text.find("package for this user: not registered\n"), std::string::npos) << text;
        EXPECT_NE(text.find("package: unsigned\n"), std::string::npos) << text;
        EXPECT_NE(text.find("classic handler: registered\n"), std::string::npos) << text;
        EXPECT_NE(text.find("windows 11 menu: off: unsigned build; only an all-users installation registers it\n"),
                  std::string::npos)
            << text;
    }
    {
        const RegistryString build(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion",
                                   L"CurrentBuildNumber", L"19045");
        EXPECT_NE(status(L"").find("windows 11 menu: not available\n"), std::string::npos);
    }
    qmtest::RemoveQuillshellRegistration();
}

}  // namespace
