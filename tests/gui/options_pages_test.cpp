// Pages 2 and 4 of the main window run for real: the icon mode and the ".icl" shell verb shown
// from the settings and the registry, "Save Options" writing both back, the icon-cache button, and
// the toolbar themes (listing, picking, the saved theme at show, the owner-drawn previews).
#include <gtest/gtest.h>

#include <cstring>
#include <optional>

#include "app/main_window/main_window_win.h"
#include "core/base/text.h"
#include "core/shell/shell_status_win.h"
#include "core/base/module_path_win.h"
#include "core/settings/settings_win.h"
#include "core/themes/theme_files_win.h"
#include "tests/support/files_win.h"
#include "tests/support/gui_driver_win.h"
#include "tests/support/icon_fixtures.h"
#include "tests/support/owner_draw_win.h"
#include "tests/support/settings_backup_win.h"

namespace {

using qm::TForm2;
using qmtest::Find;

const std::wstring kVerbKey = L"iclfile\\shell\\Open.Ostrel.Quillmark";
const std::wstring kCommandKey = kVerbKey + L"\\command";

std::wstring ReadIni(const wchar_t* section, const wchar_t* key) {
    wchar_t buffer[512] = {};
    GetPrivateProfileStringW(section, key, L"<missing>", buffer, 512, qm::SettingsFilePath().c_str());
    return buffer;
}

class OptionsPage : public testing::Test {
protected:
    void SetUp() override { ui::App().SetTitle(L"Quillmark"); }
    void SetCopyIco(const wchar_t* value) {
        WritePrivateProfileStringW(L"Options", L"CopyIco", value, qm::SettingsFilePath().c_str());
    }

    // First made, last restored: the language key is removed before the file comes back.
    qmtest::ScopedSettingsFile settings_;
    qmtest::ScopedCurrentLanguage english_{L"English"};
    qmtest::ScopedRegistryDefaults verb_{HKEY_CLASSES_ROOT, {kVerbKey, kCommandKey}};
};

TEST_F(OptionsPage, IconModeIsShownFromTheSettings) {
    const struct {
        const wchar_t* stored;  // nullptr: no key
        bool copy;
    } cases[] = {{L"1", true}, {L"0", false}, {nullptr, true}, {L"yes", false}, {L"", false}};
    for (const auto& c : cases) {
        SetCopyIco(c.stored);
        TForm2 form;
        EXPECT_EQ(form.RadioButton1->Checked(), c.copy) << (c.stored ? c.stored : L"(missing)");
        EXPECT_EQ(form.RadioButton2->Checked(), !c.copy) << (c.stored ? c.stored : L"(missing)");
    }
}

TEST_F(OptionsPage, ShellVerbBoxIsCheckedOnlyWhenTheCommandKeyOpens) {
    RegDeleteKeyW(HKEY_CLASSES_ROOT, kCommandKey.c_str());
    RegDeleteKeyW(HKEY_CLASSES_ROOT, kVerbKey.c_str());
    {
        TForm2 form;
        EXPECT_FALSE(form.cb_ShellMenu->Checked());
    }
    ASSERT_TRUE(qmtest::WriteDefaultValue(HKEY_CLASSES_ROOT, kVerbKey, L"x"));
    {
        TForm2 form;  // the verb without its command still counts as missing
        EXPECT_FALSE(form.cb_ShellMenu->Checked());
    }
    ASSERT_TRUE(qmtest::WriteDefaultValue(HKEY_CLASSES_ROOT, kCommandKey, L"y"));
    TForm2 form;
    EXPECT_TRUE(form.cb_ShellMenu->Checked());
}

TEST_F(OptionsPage, SaveOptionsWritesTheModeAndThemeAndCreatesOrDeletesTheVerbKeys) {
    RegDeleteKeyW(HKEY_CLASSES_ROOT, kCommandKey.c_str());
    RegDeleteKeyW(HKEY_CLASSES_ROOT, kVerbKey.c_str());
    SetCopyIco(L"1");
    TForm2 form;
    form.Show();
    qmtest::Click(Find<ui::Image>(form, L"t_2"));
    ASSERT_FALSE(form.cb_ShellMenu->Checked());
    qmtest::Click(*form.RadioButton2);
    qmtest::Click(*form.cb_ShellMenu);
    ASSERT_TRUE(form.cb_ShellMenu->Checked());
    qmtest::Click(*form.Button2);
    EXPECT_EQ(ReadIni(L"Options", L"CopyIco"), L"0");
    EXPECT_EQ(ReadIni(L"Toolbar", L"Name"), L"Default");
    EXPECT_EQ(qmtest::ReadDefaultValue(HKEY_CLASSES_ROOT, kVerbKey), L"Install as Theme for Quillmark");
    EXPECT_EQ(qmtest::ReadDefaultValue(HKEY_CLASSES_ROOT, kCommandKey),
              L"\"" + qm::ModulePath() + L"\" /INSTALL \"%1\"");
    qmtest::SaveScreenshot(form.Handle(), L"options_page_saved");

    qmtest::Click(*form.RadioButton1);
    qmtest::Click(*form.cb_ShellMenu);
    ASSERT_FALSE(form.cb_ShellMenu->Checked());
    qmtest::Click(*form.Button2);
    EXPECT_EQ(ReadIni(L"Options", L"CopyIco"), L"1");
    EXPECT_FALSE(qmtest::KeyExists(HKEY_CLASSES_ROOT, kCommandKey));
    EXPECT_FALSE(qmtest::KeyExists(HKEY_CLASSES_ROOT, kVerbKey));
}

TEST_F(OptionsPage, RebuildIconCacheButtonRunsTheRebuild) {
    wchar_t windows[MAX_PATH] = {};
    ASSERT_GT(GetWindowsDirectoryW(windows, MAX_PATH), 0u);
    const std::wstring cache = std::wstring(windows) + L"\\ShellIconCache";
    qmtest::ScopedFileBackup keep(cache);
    qmtest::WriteBytes(cache, {1, 2, 3});
    TForm2 form;
    form.Show();
    qmtest::Click(Find<ui::Image>(form, L"t_4"));
    EXPECT_EQ(qmtest::FrontChildAt(form, {260, 240}), form.p_4->Handle());
    qmtest::Click(*form.b_RebuiltIconCache);
    EXPECT_FALSE(qmtest::Exists(cache));  // the rebuild's first step removes the old cache file
    qmtest::SaveScreenshot(form.Handle(), L"tools_page");
}

// The tools page's line on the Windows 11 menu, from the registration answers (the seam stands in
// for Windows: Wine has no package deployment), in English and in German.
qm::ShellStatus g_answers;
qm::ShellStatus Answers() { return g_answers; }

TEST_F(OptionsPage, ToolsPageShowsTheWindows11MenuState) {
    struct Case {
        unsigned long build;
        bool registered;
        std::optional<bool> signedPackage;
        const wchar_t *english, *german;
    };
    const Case cases[] = {
        {22631, true, true, L"Windows 11 menu: on", L"Windows-11-Men\u00fc: an"},
        {22631, false, false, L"Windows 11 menu: off: unsigned build; only an all-users installation registers it",
         L"Windows-11-Men\u00fc: aus: unsignierter Build; nur eine Installation f\u00fcr alle Benutzer registriert "
         L"ihn"},
        {19045, false, true, L"Windows 11 menu: not available", L"Windows-11-Men\u00fc: nicht verf\u00fcgbar"},
    };
    // The shipped German file (UTF-16LE with a byte-order mark).
    const auto bytes = qmtest::ReadBytes(qmtest::SourceFolder() + L"\\data\\langs\\German.ini");
    ASSERT_GE(bytes.size(), 2u);
    std::wstring shipped((bytes.size() - 2) / 2, L'\0');
    std::memcpy(shipped.data(), bytes.data() + 2, shipped.size() * 2);
    const qmtest::ScopedLanguageFile germanFile(L"German.ini", shipped);
    qm::SetShellStatusSource(&Answers);
    for (const Case& c : cases) {
        SCOPED_TRACE(qm::WideToUtf8(c.english));
        g_answers = qm::ShellStatus{true, true, c.registered, std::nullopt, c.signedPackage, c.build};
        {
            TForm2 form;
            EXPECT_EQ(form.Label22->Text(), c.english);
            EXPECT_EQ(form.Label22->Parent(), form.p_4);
        }
        qmtest::ScopedCurrentLanguage german(L"German.ini");
        TForm2 form;
        EXPECT_EQ(form.Label22->Text(), c.german);
    }
    qm::SetShellStatusSource(nullptr);
}

// ---- toolbar themes ------------------------------------------------------------------------------

// Theme folders made inside the program's toolbar folder, removed at the end (the toolbar folder
// too when the test made it).
class ToolbarThemes : public OptionsPage {
protected:
    void SetUp() override {
        OptionsPage::SetUp();
        madeFolder_ = !qmtest::Exists(qm::ToolbarFolder());
        CreateDirectoryW(qm::ToolbarFolder().c_str(), nullptr);
    }
    void TearDown() override {
        for (const auto& t : themes_) qmtest::RemoveTree(qm::ToolbarFolder() + L"\\" + t);
        if (madeFolder_) RemoveDirectoryW(qm::ToolbarFolder().c_str());
    }
    // A theme folder with the given icon files, each a distinct 32 x 32 picture.
    void MakeTheme(const std::wstring& name, const std::vector<const wchar_t*>& files) {
        themes_.push_back(name);
        const std::wstring folder = qm::ToolbarFolder() + L"\\" + name;
        CreateDirectoryW(folder.c_str(), nullptr);
        std::uint32_t seed = 7;
        for (const wchar_t* f : files)
            qmtest::WriteBytes(folder + L"\\" + f, qmtest::MakeIcoFile({{32, 32, 32, seed++}}));
    }
    static int IndexOf(ui::ComboBox& box, const std::wstring& text) {
        for (int i = 0; i < box.Count(); ++i)
            if (box.Item(i) == text) return i;
        return -1;
    }
    static std::vector<HICON> Pictures(TForm2& f) {
        return {f.i_1->Icon(), f.i_2->Icon(), f.i_3->Icon(), f.i_4->Icon(), f.Image2->Icon(), f.Image1->Icon()};
    }
    void SaveThemeName(const wchar_t* name) {
        WritePrivateProfileStringW(L"Toolbar", L"Name", name, qm::SettingsFilePath().c_str());
    }

    std::vector<std::wstring> themes_;
    bool madeFolder_ = false;
};

TEST_F(ToolbarThemes, ListHoldsDefaultFirstThenTheVisibleEntries) {
    MakeTheme(L"qm_gui_Alpha", {});
    MakeTheme(L"qm_gui_Hidden", {});
    SetFileAttributesW((qm::ToolbarFolder() + L"\\qm_gui_Hidden").c_str(), FILE_ATTRIBUTE_HIDDEN);
    themes_.push_back(L"qm_gui_file.txt");
    qmtest::WriteBytes(qm::ToolbarFolder() + L"\\qm_gui_file.txt", {'x'});
    TForm2 form;
    form.Show();
    ASSERT_GE(form.cbTBThemes->Count(), 3);
    EXPECT_EQ(form.cbTBThemes->Item(0), L"Default");
    EXPECT_EQ(SendMessageW(form.cbTBThemes->Handle(), CB_GETITEMHEIGHT, 0, 0), 48);  // every item 48 pixels high
    // The selection field shows the previews too (the platform may add its border to the height).
    EXPECT_GE(SendMessageW(form.cbTBThemes->Handle(), CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0), 48);
    EXPECT_GE(IndexOf(*form.cbTBThemes, L"qm_gui_Alpha"), 1);
    EXPECT_GE(IndexOf(*form.cbTBThemes, L"qm_gui_file.txt"), 1);  // plain files are listed like folders
    EXPECT_EQ(IndexOf(*form.cbTBThemes, L"qm_gui_Hidden"), -1);
    EXPECT_EQ(IndexOf(*form.cbTBThemes, L"."), -1);
    EXPECT_EQ(IndexOf(*form.cbTBThemes, L".."), -1);
    EXPECT_EQ(form.cbTBThemes->ItemIndex(), 0);  // nothing saved: "Default"

    std::vector<std::wstring> none = qm::ListToolbarThemes(qm::ToolbarFolder() + L"\\missing");
    EXPECT_TRUE(none.empty());
}

TEST_F(ToolbarThemes, ThemeWithTwoIconsChangesOnlyThoseButtons) {
    MakeTheme(L"qm_gui_Two", {L"change.ico", L"about.ico"});
    TForm2 form;
    form.Show();
    const std::vector<HICON> before = Pictures(form);
    const COLORREF t1Before = form.t_1->Picture()->Pixel(38, 21);
    qmtest::SelectItem(*form.cbTBThemes, IndexOf(*form.cbTBThemes, L"qm_gui_Two"));
    const std::vector<HICON> after = Pictures(form);
    EXPECT_NE(after[0], before[0]);  // change.ico -> i_1
    EXPECT_EQ(after[1], before[1]);
    EXPECT_EQ(after[2], before[2]);
    EXPECT_EQ(after[3], before[3]);
    EXPECT_EQ(after[4], before[4]);   // no folder.ico: Image2 keeps its picture
    EXPECT_NE(after[5], before[5]);   // about.ico -> Image1
    EXPECT_EQ(form.ActivePage(), 2);  // re-rendered with the options page in front
    EXPECT_NE(form.t_1->Picture()->Pixel(38, 21), t1Before);
    EXPECT_EQ(GetFocus(), form.cbTBThemes->Handle());
    qmtest::SaveScreenshot(form.Handle(), L"toolbar_theme_two_icons");

    // Back to "Default": nothing changes until the next start.
    qmtest::SelectItem(*form.cbTBThemes, 0);
    EXPECT_EQ(Pictures(form), after);
}

// A theme picked and not saved stays on the toolbar when the window moves to another DPI.
TEST_F(ToolbarThemes, PickedThemeStaysWhenTheDpiChanges) {
    MakeTheme(L"qm_gui_Picked", {L"change.ico"});
    TForm2 picked, plain;
    picked.Show();
    plain.Show();
    qmtest::SelectItem(*picked.cbTBThemes, IndexOf(*picked.cbTBThemes, L"qm_gui_Picked"));
    ASSERT_NE(picked.t_1->Picture()->Pixel(38, 21), plain.t_1->Picture()->Pixel(38, 21));
    const int to = picked.Dpi() + 96;
    for (TForm2* f : {&picked, &plain}) SendMessageW(f->Handle(), WM_DPICHANGED, MAKEWPARAM(to, to), 0);
    ASSERT_EQ(picked.Dpi(), to);
    const int x = picked.Scale(38), y = picked.Scale(21);
    EXPECT_NE(picked.t_1->Picture()->Pixel(x, y), plain.t_1->Picture()->Pixel(x, y));
}

TEST_F(ToolbarThemes, SavedThemeIsAppliedWhenTheWindowIsShown) {
    MakeTheme(L"qm_gui_Saved", {L"change.ico", L"options.ico", L"lang.ico", L"tools.ico", L"folder.ico", L"about.ico"});
    const struct {
        const wchar_t* saved;
        bool selected;  // an item matches exactly
        bool loaded;
    } cases[] = {{L"qm_gui_Saved", true, true},
                 {L"QM_GUI_SAVED", false, true},  // the file system finds the folder in any case
                 {L"qm_gui_Nothing", false, false},
                 {L"Default", true, false}};
    for (const auto& c : cases) {
        SaveThemeName(c.saved);
        TForm2 form;
        const std::vector<HICON> builtIn = Pictures(form);
        qmtest::Click(Find<ui::Image>(form, L"t_3"));
        form.Show();
        const std::vector<HICON> shown = Pictures(form);
        for (std::size_t i = 0; i < shown.size(); ++i)
            EXPECT_EQ(shown[i] != builtIn[i], c.loaded) << c.saved << " " << i;
        if (c.selected) {
            EXPECT_EQ(form.cbTBThemes->Text(), c.saved);
        } else {
            EXPECT_EQ(form.cbTBThemes->ItemIndex(), -1) << c.saved;
        }
        // A theme other than "Default" re-renders the toolbar with page 1 in front.
        EXPECT_EQ(form.ActivePage(), std::wstring(c.saved) == L"Default" ? 3 : 1) << c.saved;
    }
}

TEST_F(ToolbarThemes, ItemsPreviewFourIconsBesideTheName) {
    MakeTheme(L"qm_gui_Preview", {L"change.ico", L"lang.ico"});
    TForm2 form;
    form.Show();
    const int index = IndexOf(*form.cbTBThemes, L"qm_gui_Preview");
    ASSERT_GE(index, 1);
    auto draw = [&](int item, UINT state) {
        return qmtest::DrawItemOffScreen(
            300, 48, [&](const RECT& r, ui::Canvas& c) { form.cbTBThemesDrawItem(item, r, state, c); });
    };
    auto inked = [](const ui::Bitmap& b, int x0, int x1, int y0, int y1, COLORREF background) {
        return qmtest::HasInk(b, RECT{x0, y0, x1, y1}, background);
    };
    const COLORREF window = GetSysColor(COLOR_WINDOW), highlight = GetSysColor(COLOR_HIGHLIGHT);
    const auto normal = draw(index, 0);
    EXPECT_TRUE(inked(*normal, 6, 38, 4, 36, window));      // change.ico at x = 6
    EXPECT_FALSE(inked(*normal, 40, 72, 0, 48, window));    // no options.ico
    EXPECT_TRUE(inked(*normal, 74, 106, 4, 36, window));    // lang.ico at x = 74
    EXPECT_FALSE(inked(*normal, 108, 140, 0, 48, window));  // no tools.ico
    EXPECT_TRUE(inked(*normal, 145, 300, 0, 48, window));   // the name from x = 145
    EXPECT_FALSE(inked(*normal, 0, 6, 0, 48, window));
    EXPECT_EQ(normal->Pixel(299, 47), window);

    const auto selected = draw(index, ODS_SELECTED);
    EXPECT_EQ(selected->Pixel(299, 47), highlight);
    const auto byDefault = draw(0, 0);
    EXPECT_TRUE(inked(*byDefault, 12, 140, 0, 48, window));  // "Default" from x = 12
    EXPECT_FALSE(inked(*byDefault, 0, 12, 0, 48, window));
}

}  // namespace
