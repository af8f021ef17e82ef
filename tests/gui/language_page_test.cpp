// Page 3 of the main window run for real: the language list with native names, the selection of
// the stored language, the details box, the double click that stores CurLang, and the owner-drawn
// rows (alternating colours, versions, flags).
#include <gtest/gtest.h>

#include <memory>

#include "app/main_window/main_window_win.h"
#include "core/base/module_path_win.h"
#include "core/settings/current_language.h"
#include "core/settings/language_support.h"
#include "core/settings/settings_win.h"
#include "tests/support/files_win.h"
#include "tests/support/gui_driver_win.h"
#include "tests/support/icon_fixtures.h"
#include "tests/support/owner_draw_win.h"
#include "tests/support/settings_backup_win.h"

namespace {

using qm::TForm2;

const wchar_t kGerman[] =
    L"[info]\r\nNativeName=Deutsch\r\nVer=3.6\r\nAuthor=Anna Beispiel\r\nwww=www.beispiel.example\r\n"
    L"email=anna@beispiel.example\r\n[Dict]\r\n* Please Restart application to apply Language=* Bitte neu starten\r\n";

std::wstring LangsFolder() { return qm::ModuleFolder() + L"langs\\"; }

int IndexOf(ui::ListBox& list, const std::wstring& text) {
    for (int i = 0; i < list.Count(); ++i)
        if (list.Item(i) == text) return i;
    return -1;
}

class LanguagePage : public testing::Test {
protected:
    void SetUp() override { ui::App().SetTitle(L"Quillmark"); }
    qmtest::ScopedSettingsFile settings_;
    // A real German.ini / German.ico of the build folder comes back afterwards.
    qmtest::ScopedFileBackup keepIni_{LangsFolder() + L"German.ini"};
    qmtest::ScopedFileBackup keepIco_{LangsFolder() + L"German.ico"};
};

TEST_F(LanguagePage, DisplayNamesUseNativeNamesOfAtLeastFourCharacters) {
    qmtest::ScopedLanguageFile german(L"German.ini", kGerman);
    qmtest::ScopedLanguageFile shortName(L"qm_gui_Short.ini", L"[info]\r\nNativeName=Dan\r\n");
    qmtest::ScopedLanguageFile none(L"qm_gui_None.ini", L"[Dict]\r\nOptions=x\r\n");
    const struct {
        const wchar_t* entry;
        const wchar_t* shown;
    } cases[] = {{L"German.ini", L"Deutsch   (German.ini)"},
                 {L"qm_gui_Short.ini", L"qm_gui_Short.ini"},
                 {L"qm_gui_None.ini", L"qm_gui_None.ini"},
                 {L"English", L"English"}};
    for (const auto& c : cases) EXPECT_EQ(qm::LanguageDisplayName(c.entry, qm::LanguageNativeName(c.entry)), c.shown);
}

TEST_F(LanguagePage, StoredLanguageIsSelectedWithItsDetails) {
    qmtest::ScopedLanguageFile german(L"German.ini", kGerman);
    qmtest::ScopedCurrentLanguage language(L"German.ini");
    TForm2 form;
    form.Show();
    qmtest::Click(qmtest::Find<ui::Image>(form, L"t_3"));
    ASSERT_GE(form.ListBox1->Count(), 2);
    EXPECT_EQ(form.ListBox1->Item(0), L"English");
    const int index = IndexOf(*form.ListBox1, L"German.ini");
    ASSERT_GE(index, 1);
    EXPECT_EQ(form.ListBox1->ItemIndex(), index);
    EXPECT_EQ(form.Edit1->Text(), L"German.ini");
    EXPECT_EQ(form.Label17->Text(), L"Anna Beispiel");
    EXPECT_EQ(form.Label18->Text(), L"www.beispiel.example");
    EXPECT_EQ(form.Label20->Text(), L"anna@beispiel.example");
    qmtest::SaveScreenshot(form.Handle(), L"language_page_german");

    // A single click shows the built-in details of English and changes nothing else.
    qmtest::ClickItem(*form.ListBox1, 0);
    EXPECT_EQ(form.ListBox1->ItemIndex(), 0);
    EXPECT_NE(form.Label17->Text(), L"Anna Beispiel");
    EXPECT_FALSE(form.Label17->Text().empty());
    EXPECT_EQ(form.Edit1->Text(), L"German.ini");
    EXPECT_EQ(qm::ReadSetting(qm::kCurLangSetting), L"German.ini");
}

TEST_F(LanguagePage, DoubleClickingEnglishStoresEnglish) {
    qmtest::ScopedLanguageFile german(L"German.ini", kGerman);
    qmtest::ScopedCurrentLanguage language(L"German.ini");
    TForm2 form;
    form.Show();
    qmtest::Click(qmtest::Find<ui::Image>(form, L"t_3"));
    EXPECT_EQ(form.Label21->Text(), L"* Bitte neu starten");  // translated when shown
    qmtest::DoubleClickItem(*form.ListBox1, 0);
    EXPECT_EQ(qm::ReadSetting(qm::kCurLangSetting), L"English");
    EXPECT_EQ(qm::CurrentLanguage(), L"English");
    EXPECT_EQ(form.Edit1->Text(), L"English");
    EXPECT_EQ(form.Label21->Text(), L"* Please Restart application to apply Language");
    EXPECT_EQ(form.Label13->Text(), L"Current language:");  // not in the German file: unchanged either way

    qmtest::DoubleClickItem(*form.ListBox1, IndexOf(*form.ListBox1, L"German.ini"));
    EXPECT_EQ(qm::ReadSetting(qm::kCurLangSetting), L"German.ini");
    EXPECT_EQ(form.Label21->Text(), L"* Bitte neu starten");
}

TEST_F(LanguagePage, NameMatchingNoEntryLeavesNothingSelectedAndClicksFallBackToEnglish) {
    qmtest::ScopedCurrentLanguage language(L"Default");
    TForm2 form;
    form.Show();
    EXPECT_EQ(form.ListBox1->ItemIndex(), -1);
    EXPECT_EQ(form.Edit1->Text(), L"Default");
    EXPECT_FALSE(form.Label17->Text().empty());
    EXPECT_NE(form.Label17->Text(), L"-");  // the details of the first entry, English
}

TEST_F(LanguagePage, RowsAlternateAndShowVersionAndFlag) {
    qmtest::ScopedLanguageFile germanFile(L"German.ini", kGerman);
    qmtest::WriteBytes(LangsFolder() + L"German.ico", qmtest::MakeIcoFile({{16, 16, 32, 3}}));
    TForm2 form;
    form.Show();
    const int german = IndexOf(*form.ListBox1, L"German.ini");
    ASSERT_GE(german, 1);
    auto draw = [&](int index, UINT state) {
        return qmtest::DrawItemOffScreen(
            265, 22, [&](const RECT& r, ui::Canvas& c) { form.ListBox1DrawItem(index, r, state, c); });
    };
    const COLORREF window = GetSysColor(COLOR_WINDOW);
    const COLORREF darker = qm::DarkenColor(ui::SystemColor(COLOR_WINDOW));
    const auto english = draw(0, 0);
    EXPECT_EQ(english->Pixel(200, 20), darker);     // even index: darkened
    EXPECT_EQ(english->Pixel(3, 20), darker);       // no English.ico: no flag
    EXPECT_EQ(draw(1, 0)->Pixel(200, 20), window);  // odd index: the window colour
    EXPECT_EQ(draw(0, ODS_SELECTED)->Pixel(200, 20), GetSysColor(COLOR_HIGHLIGHT));

    const auto row = draw(german, 0);
    const COLORREF back = german % 2 ? window : darker;
    auto inked = [&](int x0, int x1) { return qmtest::HasInk(*row, RECT{x0, 0, x1, 22}, back); };
    EXPECT_TRUE(inked(3, 19));     // the flag at x = 3
    EXPECT_TRUE(inked(24, 200));   // the display name from x = 24
    EXPECT_TRUE(inked(220, 265));  // the version at right - 45
    qmtest::Click(qmtest::Find<ui::Image>(form, L"t_3"));
    qmtest::SaveScreenshot(form.Handle(), L"language_page_rows");
}

TEST(DarkenColor, TakesThirtyTwoFromEachComponentDownToZero) {
    const struct {
        COLORREF in, out;
    } cases[] = {{RGB(255, 255, 255), RGB(223, 223, 223)},
                 {RGB(20, 40, 33), RGB(0, 8, 1)},
                 {RGB(32, 33, 31), RGB(0, 1, 0)},
                 {RGB(0, 0, 0), RGB(0, 0, 0)}};
    for (const auto& c : cases) EXPECT_EQ(qm::DarkenColor(c.in), c.out) << std::hex << c.in;
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    EXPECT_EQ(qm::DarkenColor(ui::SystemColor(COLOR_BTNFACE)), qm::DarkenColor(face));
}

}  // namespace
