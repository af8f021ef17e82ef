// The Windows 11 menu's package manifest as the build makes it (AppxManifest.xml beside
// quillshell.dll in the build folder, the layout of the install folder that is the package's
// external location): it names the class that the library serves as the Windows 11 handler, for
// folders and for a folder's background, with files that are there. The .msix itself is checked
// by tests/e2e/msix_package_check.py.
#include <objbase.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>
#include <vector>

#include "core/base/handles_win.h"
#include "core/base/text.h"
#include "tests/support/com_client_win.h"
#include "tests/support/explorer_command_client_win.h"
#include "tests/support/files_win.h"
#include "version.rc.h"

namespace {

std::string Manifest() {
    const auto bytes = qmtest::ReadBytes(qmtest::BuildFolder() + L"\\AppxManifest.xml");
    return std::string(bytes.begin(), bytes.end());
}

// Every value of `attribute` on elements named `element` ("prefix:Name"), in order.
std::vector<std::string> Values(const std::string& xml, const std::string& element, const std::string& attribute) {
    std::vector<std::string> values;
    const std::regex tag("<" + element + "\\b[^>]*>");
    const std::regex value("\\s" + attribute + "=\"([^\"]*)\"");
    for (auto it = std::sregex_iterator(xml.begin(), xml.end(), tag); it != std::sregex_iterator(); ++it) {
        std::smatch m;
        const std::string text = it->str();
        if (std::regex_search(text, m, value)) values.push_back(m[1]);
    }
    return values;
}

std::string Text(const std::string& xml, const std::string& element) {
    std::smatch m;
    return std::regex_search(xml, m, std::regex("<" + element + ">([^<]*)</" + element + ">")) ? m[1].str() : "<none>";
}

TEST(ShellPackage, ManifestNamesTheHandlerTheLibraryServesForFoldersAndTheirBackground) {
    const std::string xml = Manifest();
    ASSERT_FALSE(xml.empty());
    // One class: the verbs of both item types and the COM server name it.
    const auto verbs = Values(xml, "desktop5:Verb", "Clsid");
    const auto classes = Values(xml, "com:Class", "Id");
    ASSERT_EQ(verbs.size(), 2u);
    ASSERT_EQ(classes.size(), 1u);
    EXPECT_EQ(verbs[0], classes[0]);
    EXPECT_EQ(verbs[1], classes[0]);
    EXPECT_EQ(Values(xml, "desktop5:ItemType", "Type"),
              (std::vector<std::string>{"Directory", "Directory\\Background"}));
    EXPECT_EQ(Values(xml, "desktop4:Extension", "Category"),
              std::vector<std::string>{"windows.fileExplorerContextMenus"});
    EXPECT_EQ(Values(xml, "com:Class", "ThreadingModel"), std::vector<std::string>{"STA"});
    // A sparse package: its files are the install folder's.
    EXPECT_EQ(Text(xml, "uap10:AllowExternalContent"), "true");
    const auto version = Values(xml, "Identity", "Version");
    ASSERT_EQ(version.size(), 1u);
    EXPECT_EQ(version[0], QM_VERSION_STR);  // the product version: it rises with every release
    // A build without a certificate: the Publisher Windows requires of a package without a signature.
    EXPECT_EQ(Values(xml, "Identity", "Publisher"),
              std::vector<std::string>{"CN=Quillmark developers, OID.2.25.311729368913984317654407730594956997722=1"});
    // The multi-user opt-in of another device family: not for a desktop package.
    EXPECT_EQ(xml.find("SupportedUsers"), std::string::npos);
    const auto paths = Values(xml, "com:Class", "Path");
    const auto programs = Values(xml, "Application", "Executable");
    ASSERT_EQ(paths, std::vector<std::string>{"quillshell.dll"});
    ASSERT_EQ(programs, std::vector<std::string>{"Quillmark.exe"});
    for (const auto& file : {paths[0], programs[0]}) {
        EXPECT_TRUE(qmtest::Exists(qmtest::BuildFolder() + L"\\" + qm::Utf8ToWide(file))) << file;
    }

    // The library of that path serves the class as an Explorer command with a flyout.
    CLSID clsid{};
    ASSERT_EQ(CLSIDFromString(qm::Utf8ToWide("{" + classes[0] + "}").c_str(), &clsid), S_OK);
    EXPECT_FALSE(IsEqualCLSID(clsid, qmtest::kQuillshellClsid));  // not the classic handler's
    qmtest::ComApartment com;
    qmtest::ShellInstall install;
    const qm::UniqueModule library(LoadLibraryW(install.dll().c_str()));
    ASSERT_TRUE(library);
    using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, LPVOID*);
    auto get =
        reinterpret_cast<GetClassObject>(reinterpret_cast<void*>(GetProcAddress(library.get(), "DllGetClassObject")));
    ASSERT_NE(get, nullptr);
    qm::ComPtr<IClassFactory> factory;
    ASSERT_EQ(get(clsid, IID_IClassFactory, factory.put_void()), S_OK);
    qm::ComPtr<IExplorerCommand> command;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IExplorerCommand, command.put_void()), S_OK);
    const auto entry = qmtest::ReadCommandEntry(command.get(), nullptr);
    EXPECT_EQ(entry.title, L"Quillmark");
    EXPECT_EQ(entry.flags, static_cast<EXPCMDFLAGS>(ECF_HASSUBCOMMANDS));
}

// The file and product versions of both modules are the project's (project(Quillmark VERSION ...)).
TEST(ShellPackage, TheModulesCarryTheProductVersion) {
    for (const wchar_t* module : {L"Quillmark.exe", L"quillshell.dll"}) {
        SCOPED_TRACE(qm::WideToUtf8(module));
        const std::wstring path = qmtest::BuildFolder() + L"\\" + module;
        DWORD ignored = 0;
        std::vector<BYTE> info(GetFileVersionInfoSizeW(path.c_str(), &ignored));
        ASSERT_FALSE(info.empty());
        ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(info.size()), info.data()));
        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
        ASSERT_GE(length, sizeof *fixed);
        EXPECT_EQ(fixed->dwFileVersionMS, static_cast<DWORD>(MAKELONG(QM_VERSION_MINOR, QM_VERSION_MAJOR)));
        EXPECT_EQ(fixed->dwFileVersionLS, static_cast<DWORD>(MAKELONG(0, QM_VERSION_PATCH)));
        EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
        wchar_t* text = nullptr;
        ASSERT_TRUE(VerQueryValueW(info.data(), L"\\StringFileInfo\\040904B0\\ProductVersion",
                                   reinterpret_cast<void**>(&text), &length));
        EXPECT_EQ(std::wstring(text), qm::Utf8ToWide(QM_VERSION_STR));
    }
}

}  // namespace
