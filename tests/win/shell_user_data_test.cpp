// Where the program's modules keep what they write: next to themselves when their folder can be
// written (a per-user installation, the portable zip), otherwise in the user's %APPDATA%\Quillmark
// (an all-users installation as a standard user sees it, here the program folder on the read-only
// medium). The settings probe stands for the program (it links the same settings code); the
// extension is loaded from the same folder and builds its menu.
#include <gtest/gtest.h>

#include "core/base/module_path_win.h"
#include "core/base/text.h"
#include "tests/support/com_client_win.h"
#include "tests/support/files_win.h"

namespace {

using qmtest::Exists;
using qmtest::ReadBytes;

constexpr int kTheme = 3, kLanguage = 0;

// settings_probe.dll loaded from a folder: the program's settings and history code in a module there.
class Probe {
public:
    explicit Probe(const std::wstring& folder) : module_(LoadLibraryW((folder + L"\\settings_probe.dll").c_str())) {}
    ~Probe() {
        if (module_) FreeLibrary(module_);
    }
    Probe(const Probe&) = delete;
    Probe& operator=(const Probe&) = delete;
    bool ok() const { return module_ != nullptr; }
    std::wstring SettingsPath() const { return Text("QmProbeSettingsPath"); }
    std::wstring HistoryPath() const { return Text("QmProbeHistoryPath"); }
    std::wstring FirstHistoryLine() const { return Text("QmProbeReadHistory"); }
    std::wstring ReadSetting(int which) const {
        wchar_t out[1024] = {};
        auto read = reinterpret_cast<int (*)(int, wchar_t*, int)>(GetProcAddress(module_, "QmProbeReadSetting"));
        return read && read(which, out, 1024) ? out : L"<no probe>";
    }
    // The error text, empty when the write succeeded.
    std::wstring WriteSetting(int which, const std::wstring& value) const {
        wchar_t error[1024] = {};
        auto write = reinterpret_cast<int (*)(int, const wchar_t*, wchar_t*, int)>(
            GetProcAddress(module_, "QmProbeWriteSetting"));
        if (!write) return L"<no probe>";
        return write(which, value.c_str(), error, 1024) ? L"" : (error[0] ? error : L"<failed>");
    }
    std::wstring WriteHistory(const std::wstring& line) const {
        wchar_t error[1024] = {};
        auto write =
            reinterpret_cast<int (*)(const wchar_t*, wchar_t*, int)>(GetProcAddress(module_, "QmProbeWriteHistory"));
        if (!write) return L"<no probe>";
        return write(line.c_str(), error, 1024) ? L"" : (error[0] ? error : L"<failed>");
    }

private:
    std::wstring Text(const char* name) const {
        wchar_t out[1024] = {};
        auto get = reinterpret_cast<void (*)(wchar_t*, int)>(GetProcAddress(module_, name));
        if (get) get(out, 1024);
        return out;
    }
    HMODULE module_;
};

// The two installations side by side: the read-only program folder of the fixture, and a writable
// copy of the same files in a temporary folder.
class UserData : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(com_.result()));
        ASSERT_TRUE(appData_.ok());
        readOnly_ = qmtest::ReadOnlyProgramFolder();
        if (readOnly_.empty()) GTEST_SKIP() << "no read-only program folder (the fixture needs root)";
    }
    // A writable installation of the same files.
    std::wstring WritableCopy() {
        const std::wstring folder = writable_.MakeFolder(L"Quillmark");
        writable_.MakeFolder(L"Quillmark\\samples");
        writable_.MakeFolder(L"Quillmark\\langs");
        for (const wchar_t* file :
             {L"quillshell.dll", L"settings_probe.dll", L"samples\\WindowsXP.icl", L"langs\\French.ini"})
            EXPECT_TRUE(CopyFileW((readOnly_ + L"\\" + file).c_str(), (folder + L"\\" + file).c_str(), FALSE)) << file;
        return folder;
    }
    std::wstring UserFile(const std::wstring& name) const { return appData_.QuillmarkFolder() + L"\\" + name; }

    qmtest::ComApartment com_;
    qmtest::RoamingAppDataRedirect appData_;
    qmtest::TempDir writable_{L"qm-writable"};
    qmtest::TempDir work_{L"qm-folders"};
    std::wstring readOnly_;
};

TEST_F(UserData, ReadOnlyProgramFolderKeepsSettingsAndHistoryInTheUsersFolder) {
    {
        Probe program(readOnly_);
        ASSERT_TRUE(program.ok());
        EXPECT_EQ(program.SettingsPath(), UserFile(L"quillmark.ini"));
        EXPECT_EQ(program.HistoryPath(), UserFile(L"lib.ini"));
        EXPECT_FALSE(Exists(appData_.QuillmarkFolder()));  // made by the first write, not before
        EXPECT_EQ(program.ReadSetting(kTheme), L"WindowsXP.icl");
        EXPECT_EQ(program.WriteSetting(kTheme, L"Mine.icl"), L"");
        EXPECT_EQ(program.WriteHistory(L"C:\\icons\\picked.icl"), L"");
        EXPECT_EQ(program.ReadSetting(kTheme), L"Mine.icl");
    }
    EXPECT_TRUE(Exists(UserFile(L"quillmark.ini")));
    EXPECT_FALSE(Exists(readOnly_ + L"\\quillmark.ini"));
    // A new start of the program finds both again.
    Probe restarted(readOnly_);
    EXPECT_EQ(restarted.ReadSetting(kTheme), L"Mine.icl");
    EXPECT_EQ(restarted.FirstHistoryLine(), L"C:\\icons\\picked.icl");
}

TEST_F(UserData, WritableProgramFolderKeepsEverythingNextToItAsBefore) {
    const std::wstring folder = WritableCopy();
    {
        Probe program(folder);
        ASSERT_TRUE(program.ok());
        EXPECT_EQ(program.SettingsPath(), folder + L"\\quillmark.ini");
        EXPECT_EQ(program.HistoryPath(), folder + L"\\lib.ini");
        EXPECT_EQ(program.WriteSetting(kTheme, L"Mine.icl"), L"");
        EXPECT_EQ(program.WriteHistory(L"C:\\icons\\picked.icl"), L"");
    }
    Probe restarted(folder);
    EXPECT_EQ(restarted.ReadSetting(kTheme), L"Mine.icl");
    EXPECT_EQ(restarted.FirstHistoryLine(), L"C:\\icons\\picked.icl");
    EXPECT_TRUE(Exists(folder + L"\\lib.ini"));
    EXPECT_FALSE(Exists(appData_.QuillmarkFolder()));
    // No probe file is left behind by the writability check.
    for (const std::wstring& name : qmtest::ListFolder(folder))
        EXPECT_EQ(name.find(L"~qm"), std::wstring::npos) << name;
}

// The program's choices reach the extension's next menu, in both installations: the theme (a
// user's theme, then a shipped one) and the language.
TEST_F(UserData, ExtensionsNextMenuFollowsTheProgramsChoices) {
    const std::wstring target = work_.MakeFolder(L"My Files");
    const std::vector<std::uint8_t> mine = qmtest::ThemeLibrary(3);
    struct Installation {
        std::wstring folder, userStore;
    };
    const std::wstring writable = WritableCopy();
    const std::vector<Installation> installations = {
        {readOnly_, appData_.QuillmarkFolder() + L"\\samples"},
        {writable, writable + L"\\samples"},
    };
    for (const Installation& at : installations) {
        SCOPED_TRACE(testing::Message() << "installed in " << qm::WideToUtf8(at.folder));
        Probe program(at.folder);
        ASSERT_TRUE(program.ok());
        const int shippedIcons = qmtest::ThemeIconCount(at.folder + L"\\samples\\WindowsXP.icl");
        ASSERT_GT(shippedIcons, 0);

        // The shipped default theme, in English.
        qmtest::FolderMenu menu = qmtest::BuildFolderMenu(at.folder + L"\\quillshell.dll", target);
        ASSERT_TRUE(SUCCEEDED(menu.result));
        EXPECT_EQ(HRESULT_CODE(menu.result), shippedIcons + 5);
        EXPECT_TRUE(menu.Has(L"Reset"));

        // A theme of the user's own store, and French.
        CreateDirectoryW(qm::FolderOf(at.userStore).c_str(), nullptr);
        CreateDirectoryW(at.userStore.c_str(), nullptr);
        qmtest::WriteBytes(at.userStore + L"\\Mine.icl", mine);
        EXPECT_EQ(program.WriteSetting(kTheme, L"Mine.icl"), L"");
        EXPECT_EQ(program.WriteSetting(kLanguage, L"French.ini"), L"");
        menu = qmtest::BuildFolderMenu(at.folder + L"\\quillshell.dll", target);
        EXPECT_EQ(HRESULT_CODE(menu.result), 3 + 5);
        EXPECT_TRUE(menu.Has(L"R\x00e9tablir"));

        // A user's theme named as a shipped one wins over it.
        qmtest::WriteBytes(at.userStore + L"\\WindowsXP.icl", mine);
        EXPECT_EQ(program.WriteSetting(kTheme, L"WindowsXP.icl"), L"");
        menu = qmtest::BuildFolderMenu(at.folder + L"\\quillshell.dll", target);
        EXPECT_EQ(HRESULT_CODE(menu.result), 3 + 5);
    }
}

}  // namespace
