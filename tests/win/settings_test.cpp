// The settings file next to the calling module: defaults, and values shared between two modules.
#include <gtest/gtest.h>

#include "core/base/error.h"
#include "core/base/module_path_win.h"
#include "core/settings/ini_file_win.h"
#include "core/settings/settings_win.h"
#include "tests/support/files_win.h"

namespace {

using ReadFn = int (*)(int, wchar_t*, int);
using WriteFn = int (*)(int, const wchar_t*, wchar_t*, int);
using PathFn = void (*)(wchar_t*, int);

// The probe library copied into its own folder: its settings file lies there.
class ProbeModule {
public:
    explicit ProbeModule(const std::wstring& folder) {
        const std::wstring dll = folder + L"\\settings_probe.dll";
        CopyFileW((qmtest::BuildFolder() + L"\\settings_probe.dll").c_str(), dll.c_str(), FALSE);
        module_ = LoadLibraryW(dll.c_str());
        if (module_) {
            read = reinterpret_cast<ReadFn>(GetProcAddress(module_, "QmProbeReadSetting"));
            write = reinterpret_cast<WriteFn>(GetProcAddress(module_, "QmProbeWriteSetting"));
            path = reinterpret_cast<PathFn>(GetProcAddress(module_, "QmProbeSettingsPath"));
        }
    }
    ~ProbeModule() {
        if (module_) FreeLibrary(module_);
    }
    bool ok() const { return read && write && path; }
    std::wstring Read(int which) const {
        wchar_t buf[4096] = {};
        read(which, buf, 4096);
        return buf;
    }
    ReadFn read = nullptr;
    WriteFn write = nullptr;
    PathFn path = nullptr;

private:
    HMODULE module_ = nullptr;
};

TEST(Settings, ProgramFindsTheFileNextToItsExecutable) {
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    EXPECT_EQ(qm::SettingsFilePath(), qm::FolderOf(exe) + L"quillmark.ini");
}

TEST(Settings, NoFileGivesTheDefaultsOfEveryKey) {
    qmtest::TempDir dir;
    ProbeModule probe(dir.path());
    ASSERT_TRUE(probe.ok());
    wchar_t path[MAX_PATH];
    probe.path(path, MAX_PATH);
    EXPECT_EQ(std::wstring(path), dir / L"quillmark.ini");  // next to the library, not the exe
    EXPECT_EQ(probe.Read(0), L"Default");
    EXPECT_EQ(probe.Read(1), L"1");
    EXPECT_EQ(probe.Read(2), L"Default");
    EXPECT_EQ(probe.Read(3), L"WindowsXP.icl");
}

TEST(Settings, ValueWrittenByOneModuleIsReadByTheOther) {
    qmtest::TempDir dir;
    ProbeModule probe(dir.path());
    ASSERT_TRUE(probe.ok());
    // The program writes through the INI layer; the other module reads it at its next use.
    qm::IniFile(dir / L"quillmark.ini").WriteString(L"Theme", L"name", L"Metal.ICL");
    EXPECT_EQ(probe.Read(3), L"Metal.ICL");
    qm::IniFile(dir / L"quillmark.ini").WriteString(L"Theme", L"name", L"\x0422\x0435\x043c\x0430.icl");
    EXPECT_EQ(probe.Read(3), L"\x0422\x0435\x043c\x0430.icl");  // no cache, Unicode kept
    // And the other way round, with the key names as the program writes them.
    wchar_t error[512] = {};
    ASSERT_TRUE(probe.write(1, L"0", error, 512)) << error;
    EXPECT_EQ(qm::IniFile(dir / L"quillmark.ini").ReadString(L"Options", L"CopyIco", L"1"), L"0");
    ASSERT_TRUE(probe.write(2, L"Blue", error, 512));
    EXPECT_NE(qmtest::ReadTextFile(dir / L"quillmark.ini").find(L"[Toolbar]\r\nName=Blue"), std::wstring::npos);
}

TEST(Settings, UnwritableFolderReadsDefaultsAndRaisesOnWrite) {
    const std::wstring media = qmtest::ReadOnlyMediaFolder();
    if (media.empty()) GTEST_SKIP() << "no read-only medium (the fixture needs root)";
    // The library cannot be copied onto the medium; check the same layer on a path there.
    qm::IniFile ini(media + L"\\quillmark.ini");
    EXPECT_EQ(ini.ReadString(L"Translate", L"CurLang", L"Default"), L"Default");
    EXPECT_THROW(ini.WriteString(L"Translate", L"CurLang", L"German.ini"), qm::UserError);
}

}  // namespace
