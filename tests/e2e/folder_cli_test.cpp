// quillmark-cli folder show|apply|reset as a process: the folders it changes, its messages on
// standard error instead of message boxes, and its exit codes.
#include <gtest/gtest.h>

#include "core/base/text.h"
#include "core/folder/folder_files_win.h"
#include "core/folder/folder_profiles.h"
#include "core/icons/picture_codec_win.h"
#include "tests/support/console_process_win.h"
#include "tests/support/cli_runner_win.h"
#include "tests/support/files_win.h"
#include "tests/support/folder_fixtures_win.h"
#include "tests/support/icon_fixtures.h"
#include "tests/support/picture_fixtures_win.h"
#include "tests/support/process_win.h"

namespace {

using qmtest::RunCli;

class FolderCliTest : public qmtest::FolderCliFixture {
protected:
    FolderCliTest() : FolderCliFixture(L"qm-cli") {}
};

TEST_F(FolderCliTest, ApplyShowAndResetSeveralFolders) {
    const std::wstring a = dir.MakeFolder(L"a"), b = dir.MakeFolder(L"b \x00e9\x6587");
    auto r = RunCli(dir, L"folder apply " + qmtest::Quote(a) + L" " + qmtest::Quote(b) + L" --icon " +
                             qmtest::Quote(library) + L" --index 4 --tip \"Holiday \x2605\"");
    EXPECT_EQ(r.exit, 0u) << qm::WideToUtf8(r.err);
    EXPECT_EQ(r.err, L"");
    for (const auto& f : {a, b}) {
        const auto c = qm::ReadFolderCustomization(f);
        EXPECT_TRUE(qm::IsCopyNameFor(qm::CallerProfile::MainWindow, c.IconFile)) << c.IconFile;
        EXPECT_EQ(qmtest::ReadBytes(f + L"\\" + c.IconFile), icons.IcoFile(4));
        EXPECT_EQ(qmtest::ShellClassInfoLines(f),
                  (std::vector<std::wstring>{L"IconFile=" + c.IconFile, L"IconIndex=0", L"Infotip=Holiday \x2605",
                                             L"ConfirmFileOp=0"}));
    }

    // Only the tooltip given: the icon read back is applied again, and the folder keeps it.
    const std::wstring before = qm::ReadFolderCustomization(a).IconFile;
    r = RunCli(dir, L"folder apply " + qmtest::Quote(a) + L" --tip Other");
    EXPECT_EQ(r.exit, 0u) << qm::WideToUtf8(r.err);
    const auto again = qm::ReadFolderCustomization(a);
    EXPECT_EQ(again.Infotip, L"Other");
    EXPECT_NE(again.IconFile, before);
    EXPECT_EQ(qmtest::ReadBytes(a + L"\\" + again.IconFile), icons.IcoFile(4));

    r = RunCli(dir, L"folder show " + qmtest::Quote(a));
    EXPECT_EQ(r.exit, 0u);
    EXPECT_EQ(r.out, L"[" + a + L"]\nIconFile=" + again.IconFile + L"\nIconIndex=0\nInfotip=Other\n");

    r = RunCli(dir, L"folder reset " + qmtest::Quote(a));
    EXPECT_EQ(r.exit, 0u) << qm::WideToUtf8(r.err);
    EXPECT_EQ(qmtest::ShellClassInfoLines(a),
              (std::vector<std::wstring>{L"IconFile=", L"IconIndex=", L"Infotip=", L"ConfirmFileOp=0"}));
    EXPECT_TRUE(qmtest::Exists(a + L"\\" + again.IconFile));  // the main window's reset keeps copies
}

TEST_F(FolderCliTest, AFolderThatIsNotChangedGivesItsMessageAndANonZeroExit) {
    settings.SetCopyIco(L"0");  // so that the missing folder fails at its first key write
    const std::wstring good = dir.MakeFolder(L"good");
    const std::wstring missing = dir / L"missing";
    std::wstring args = L"folder apply " + qmtest::Quote(missing) + L" " + qmtest::Quote(good);
    const std::wstring media = qmtest::ReadOnlyMediaFolder();
    if (!media.empty()) args += L" " + qmtest::Quote(media + L"\\Locked");
    auto r = RunCli(dir, args + L" --icon " + qmtest::Quote(library) + L" --index 1");
    EXPECT_EQ(r.exit, 1u);
    std::wstring expected = missing + L": Unable to write to " + missing + L"\\desktop.ini\n";
    if (!media.empty())
        expected +=
            L"Sorry ...: Sorry, but Quillmark cannot change icon of this folder. \nrights to write to this folder\n";
    EXPECT_EQ(r.err, expected);
    EXPECT_EQ(qm::ReadFolderCustomization(good).IconIndex, L"1");  // the others are still done

    r = RunCli(dir, L"folder show " + qmtest::Quote(missing));
    EXPECT_EQ(r.exit, 1u);
    EXPECT_EQ(r.err, missing + L": no such folder\n");

    settings.SetCopyIco(L"1");
    r = RunCli(dir, L"folder apply " + qmtest::Quote(good) + L" --icon " + qmtest::Quote(library) + L" --index x1");
    EXPECT_EQ(r.exit, 1u);
    EXPECT_EQ(r.err, good + L": 'x1' is not a valid integer value\n");

    for (const wchar_t* bad : {L"folder", L"folder apply", L"folder apply --tip", L"folder show", L"folder move x"}) {
        r = RunCli(dir, bad);
        EXPECT_EQ(r.exit, 2u) << qm::WideToUtf8(bad);
        EXPECT_NE(r.err.find(L"quillmark-cli folder apply FOLDER..."), std::wstring::npos) << qm::WideToUtf8(r.err);
    }
}

TEST_F(FolderCliTest, LinkModeFromTheSettingsFileNextToTheTool) {
    settings.SetCopyIco(L"0");
    const std::wstring f = dir.MakeFolder(L"linked");
    const auto r =
        RunCli(dir, L"folder apply " + qmtest::Quote(f) + L" --icon " + qmtest::Quote(library) + L" --index 3");
    EXPECT_EQ(r.exit, 0u) << qm::WideToUtf8(r.err);
    EXPECT_EQ(qmtest::ShellClassInfoLines(f),
              (std::vector<std::wstring>{L"IconFile=" + library, L"IconIndex=3", L"Infotip=", L"ConfirmFileOp=0"}));
}

// Relative paths mean the directory the tool was started in: a bare library name is not looked
// for inside the target folder, and link mode writes the library's full path, which the shell
// would otherwise resolve against the folder.
TEST_F(FolderCliTest, RelativePathsAreTakenFromTheCurrentDirectory) {
    wchar_t previous[MAX_PATH] = {};
    ASSERT_GT(GetCurrentDirectoryW(MAX_PATH, previous), 0u);
    ASSERT_TRUE(SetCurrentDirectoryW(dir.path().c_str()));
    struct Restore {
        const wchar_t* folder;
        ~Restore() { SetCurrentDirectoryW(folder); }
    } restore{previous};
    const struct {
        const wchar_t* copyIco;
        const wchar_t* folder;
    } cases[] = {{L"1", L"copied"}, {L"0", L"linked"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(qm::WideToUtf8(c.folder));
        settings.SetCopyIco(c.copyIco);
        const std::wstring f = dir.MakeFolder(c.folder);
        const auto r = RunCli(dir, L"folder apply " + std::wstring(c.folder) + L" --icon Metal.icl --index 2");
        EXPECT_EQ(r.exit, 0u) << qm::WideToUtf8(r.err);
        EXPECT_EQ(r.err, L"");
        const auto applied = qm::ReadFolderCustomization(f);
        if (c.copyIco == std::wstring(L"1")) {
            EXPECT_TRUE(qm::IsCopyNameFor(qm::CallerProfile::MainWindow, applied.IconFile)) << applied.IconFile;
            EXPECT_EQ(qmtest::ReadBytes(f + L"\\" + applied.IconFile), icons.IcoFile(2));
        } else {
            EXPECT_EQ(applied.IconFile, library);
            EXPECT_EQ(applied.IconIndex, L"2");
        }
        const auto shown = RunCli(dir, L"folder show " + std::wstring(c.folder));
        EXPECT_EQ(shown.out.rfind(L"[" + f + L"]\n", 0), 0u) << qm::WideToUtf8(shown.out);
    }
}

}  // namespace

namespace {

// The first user's report: a folder of 252 characters (its desktop.ini past MAX_PATH).
TEST_F(FolderCliTest, ApplyShowAndResetAFolderDeepInATree) {
    for (std::size_t length : {252u, 300u}) {
        SCOPED_TRACE(length);
        const std::wstring f = qmtest::FolderOfLength(dir.MakeFolder(L"deep" + std::to_wstring(length)), length);
        auto r = RunCli(
            dir, L"folder apply " + qmtest::Quote(f) + L" --icon " + qmtest::Quote(library) + L" --index 2 --tip Deep");
        EXPECT_EQ(r.exit, 0u) << qm::WideToUtf8(r.err);
        EXPECT_EQ(r.err, L"");
        const auto c = qm::ReadFolderCustomization(f);
        EXPECT_TRUE(qm::IsCopyNameFor(qm::CallerProfile::MainWindow, c.IconFile)) << c.IconFile;
        EXPECT_EQ(qmtest::ReadBytes(qmtest::Prefixed(f + L"\\" + c.IconFile)), icons.IcoFile(2));
        EXPECT_EQ(c.Infotip, L"Deep");
        const auto ini = qmtest::ReadBytes(qmtest::Prefixed(f + L"\\desktop.ini"));
        ASSERT_GE(ini.size(), 2u);
        EXPECT_EQ(ini[0], 0xFF);  // created as UTF-16LE with its mark
        EXPECT_EQ(ini[1], 0xFE);

        r = RunCli(dir, L"folder show " + qmtest::Quote(f));
        EXPECT_EQ(r.exit, 0u) << qm::WideToUtf8(r.err);
        EXPECT_NE(r.out.find(L"Infotip=Deep"), std::wstring::npos);
        r = RunCli(dir, L"folder reset " + qmtest::Quote(f));
        EXPECT_EQ(r.exit, 0u) << qm::WideToUtf8(r.err);
        EXPECT_EQ(qm::ReadFolderCustomization(f).IconFile, L"");
    }
}

// Pictures and colours: `icons make`, `folder apply --icon PICTURE` and `--color #RRGGBB`, and the
// exit codes of bad input (a bad colour text is an argument error, as a bad icon index is).
TEST_F(FolderCliTest, PicturesAndColoursFromTheCommandLine) {
    const std::wstring picture = dir / L"logo.png";
    qmtest::WriteBytes(picture, qmtest::EncodePicture(qm::PictureFormat::Png, qmtest::PatternPicture(48, 32, true)));
    const std::wstring out = dir / L"logo.ico";
    auto r = RunCli(dir, L"icons make " + qmtest::Quote(out) + L" " + qmtest::Quote(picture));
    EXPECT_EQ(r.exit, 0u) << qm::WideToUtf8(r.err);
    r = RunCli(dir, L"icons list " + qmtest::Quote(out));
    EXPECT_EQ(r.exit, 0u) << qm::WideToUtf8(r.err);
    for (const wchar_t* size : {L"16", L"20", L"24", L"32", L"40", L"48", L"64"})
        EXPECT_NE(r.out.find(L"width " + std::wstring(size) + L" height " + size + L" "), std::wstring::npos) << size;
    EXPECT_NE(r.out.find(L"width 0 height 0 "), std::wstring::npos);  // 256
    EXPECT_NE(r.out.find(L": 8 images"), std::wstring::npos) << qm::WideToUtf8(r.out);

    const std::wstring broken = dir / L"broken.jpg";
    qmtest::WriteBytes(broken, {0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F', 0});
    r = RunCli(dir, L"icons make " + qmtest::Quote(dir / L"broken.ico") + L" " + qmtest::Quote(broken));
    EXPECT_EQ(r.exit, 1u);
    EXPECT_EQ(r.err, L"Cannot make an icon of " + broken + L": the picture is damaged or cut short\n");
    EXPECT_FALSE(qmtest::Exists(dir / L"broken.ico"));

    const std::wstring photo = dir.MakeFolder(L"photo"), blue = dir.MakeFolder(L"blue");
    settings.SetCopyIco(L"0");
    r = RunCli(dir, L"folder apply " + qmtest::Quote(photo) + L" --icon " + qmtest::Quote(picture));
    EXPECT_EQ(r.exit, 0u) << qm::WideToUtf8(r.err);
    EXPECT_EQ(r.err, L"Info: A picture or a colour cannot be linked: \n the icon is copied into the folder.\n");
    auto c = qm::ReadFolderCustomization(photo);
    EXPECT_TRUE(qm::IsCopyNameFor(qm::CallerProfile::MainWindow, c.IconFile)) << c.IconFile;
    EXPECT_EQ(qmtest::ReadBytes(photo + L"\\" + c.IconFile), qmtest::ReadBytes(out));

    settings.SetCopyIco(L"1");
    r = RunCli(dir, L"folder apply " + qmtest::Quote(blue) + L" --color #3a7bd5 --tip Blue");
    EXPECT_EQ(r.exit, 0u) << qm::WideToUtf8(r.err);
    EXPECT_EQ(r.err, L"");
    c = qm::ReadFolderCustomization(blue);
    EXPECT_TRUE(qm::IsCopyNameFor(qm::CallerProfile::MainWindow, c.IconFile)) << c.IconFile;
    EXPECT_EQ(c.Infotip, L"Blue");
    EXPECT_EQ(qmtest::ReadBytes(blue + L"\\" + c.IconFile), qm::MakeColourFolderIcon({0x3A, 0x7B, 0xD5}));

    const std::wstring untouched = dir.MakeFolder(L"untouched");
    for (const wchar_t* bad : {L"blue", L"#12345", L"#1234567", L"#GG0000", L"3A7BD5"}) {
        r = RunCli(dir, L"folder apply " + qmtest::Quote(untouched) + L" --color " + bad);
        EXPECT_EQ(r.exit, 2u) << qm::WideToUtf8(bad);
        EXPECT_EQ(r.err, L"not a colour: \"" + std::wstring(bad) + L"\" (give it as #RRGGBB, for example #3A7BD5)\n");
    }
    r = RunCli(dir, L"folder apply " + qmtest::Quote(untouched) + L" --color #3A7BD5 --icon " + qmtest::Quote(picture));
    EXPECT_EQ(r.exit, 2u);
    EXPECT_FALSE(qmtest::Exists(untouched + L"\\desktop.ini"));
}

}  // namespace
