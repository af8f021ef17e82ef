// Window translation on a real form holding one component of every kind, under a real language
// file in the program's "langs" folder.
#include <gtest/gtest.h>

#include <stdexcept>

#include "app/window_translation_win.h"
#include "core/settings/current_language.h"
#include "tests/support/gui_driver_win.h"

namespace {

using qmtest::Find;

const wchar_t kLanguageFile[] =
    L"[Dict]\r\n"
    L"Translation test=\u00dcbersetzungstest\r\n"
    L"Apply=Anwenden\r\n"
    L"Anwenden=Doppelt\r\n"
    L"Apply hint=Hinweis\r\n"
    L"Choice=Wahl\r\n"
    L"Choice hint=Wahlhinweis\r\n"
    L"Tick=Haken\r\n"
    L"Menu entry=Men\u00fceintrag\r\n"
    L"Men\u00fceintrag=Zweimal\r\n"
    L"Menu hint=Men\u00fchinweis\r\n"
    L"Frame=Rahmen\r\n"
    L"Label text=Beschriftung\r\n"
    L"Label hint=Beschriftungshinweis\r\n"
    L"Pick a file=Datei w\u00e4hlen\r\n"
    L"Files with icons|*.exe;*.icl;*.dll;*.ico=Dateien mit Symbolen|*.exe;*.icl;*.dll;*.ico\r\n"
    L"Tool=Werkzeug\r\n"
    L"Name=Bezeichnung\r\n"
    L"Size=Gr\u00f6\u00dfe\r\n"
    L"Speed=Schnell\r\n"
    L"Generic text=Allgemein\r\n"
    L"Act=Handlung\r\n"
    L"Act hint=Handlungshinweis\r\n"
    L"Open panel=Tafel\r\n"
    L"After the broken one=Danach\r\n"
    L"Install Theme=WRONG\r\n"
    L"Add \"Install Theme\" menu item for IconLibraries ( ICL )=Men\u00fc \"Thema installieren\" f\u00fcr ICL\r\n";

// A control whose text cannot be read: window translation must go on past it.
class BrokenControl : public ui::Control {
public:
    BrokenControl(ui::Form& owner, std::wstring name)
        : Control(owner, std::move(name), nullptr, L"STATIC", ui::Bounds{0, 0, 10, 10}, L"x") {}
    std::wstring Text() const override { throw std::runtime_error("text cannot be read"); }
};

// One component of each kind, with English design texts.
class EveryKindForm : public ui::Form {
public:
    explicit EveryKindForm(ui::Form* owner = nullptr) : Form(owner) {
        SetCaption(L"Translation test");
        auto* button = Add<ui::Button>(L"b_Apply", nullptr, ui::Bounds{0, 0, 80, 24}, L"Apply");
        button->SetHint(L"Apply hint");
        auto* radio = Add<ui::RadioButton>(L"RadioButton1", nullptr, ui::Bounds{0, 30, 80, 20}, L"Choice");
        radio->SetHint(L"Choice hint");
        Add<ui::CheckBox>(L"CheckBox1", nullptr, ui::Bounds{0, 50, 80, 20}, L"Tick");
        auto* menu = Add<ui::MenuItem>(L"MenuItem1", L"Menu entry");
        menu->hint = L"Menu hint";
        auto* group = Add<ui::GroupBox>(L"GroupBox1", nullptr, ui::Bounds{100, 0, 200, 100}, L"Frame");
        auto* label = Add<ui::Label>(L"Label1", group, ui::Bounds{10, 20, 100, 16}, L"Label text");
        label->SetHint(L"Label hint");
        Add<ui::OpenDialog>(L"OpenDialog1", L"Pick a file", L"Files with icons|*.exe;*.icl;*.dll;*.ico");
        Add<ui::ToolButton>(L"ToolButton1", nullptr, ui::Bounds{0, 80, 60, 22}, L"Tool")->SetHint(L"Apply hint");
        auto* view = Add<ui::ListView>(L"ListView1", nullptr, ui::Bounds{0, 110, 200, 80});
        view->AddColumn(L"Name", 80);
        view->AddColumn(L"Size", 60);
        view->AddItem(L"Apply");
        Add<ui::SpeedButton>(L"SpeedButton1", nullptr, ui::Bounds{0, 200, 60, 22}, L"Speed");
        Add<ui::Control>(L"Control1", nullptr, L"STATIC", ui::Bounds{0, 230, 100, 16}, L"Generic text");
        auto* action = Add<ui::Action>(L"Action1", L"Act");
        action->hint = L"Act hint";
        Add<ui::Edit>(L"t_Tip", nullptr, ui::Bounds{0, 250, 200, 22}, L"  Apply...  ");
        Add<ui::Memo>(L"Memo1", nullptr, ui::Bounds{0, 280, 200, 40}, L"Apply /n Tick");
        auto* combo = Add<ui::ComboBox>(L"cb_FileName", nullptr, ui::Bounds{0, 330, 200, 22}, ui::ComboStyle::DropDown);
        combo->Add(L"Tick");
        combo->SetText(L"Apply");
        auto* list =
            Add<ui::ListBox>(L"ListBox1", nullptr, ui::Bounds{220, 110, 100, 80}, ui::ListStyle::OwnerDrawVariable);
        list->Add(L"Apply");
        Add<ui::Image>(L"Image1", nullptr, ui::Bounds{220, 200, 32, 32});
        Add<ui::Shape>(L"Shape1", nullptr, ui::Bounds{260, 200, 32, 32}, ui::kWhite, ui::kBlack);
        Add<ui::Panel>(L"Panel1", nullptr, ui::Bounds{300, 200, 80, 30}, L"  Open panel...");
        Add<BrokenControl>(L"Broken1");
        Add<ui::CheckBox>(L"cb_ShellMenu", nullptr, ui::Bounds{0, 360, 300, 20},
                          L"Add \"Install Theme\" menu item for IconLibraries ( ICL )");
        Add<ui::Label>(L"Label2", nullptr, ui::Bounds{0, 380, 200, 16}, L"After the broken one");
        Add<ui::Timer>(L"Timer1", 1000u, false);
        Add<ui::ImageList>(L"ImageList1");
        Add<ui::FileListBox>(L"FileListBox1", nullptr, L"*.ini");
    }
};

class WindowTranslation : public testing::Test {
protected:
    void SetUp() override { qm::CurrentLanguage() = file_.name(); }
    void TearDown() override { qm::CurrentLanguage() = saved_; }
    std::wstring Text(ui::Form& f, const wchar_t* name) { return Find<ui::Control>(f, name).Text(); }

    qmtest::ScopedLanguageFile file_{L"gui_window_translation.ini", kLanguageFile};
    std::wstring saved_ = qm::CurrentLanguage();
};

TEST_F(WindowTranslation, TranslatesEveryKindByItsRulesInOnePass) {
    EveryKindForm form;
    qm::TranslateWindow(form);

    EXPECT_EQ(form.Caption(), L"\u00dcbersetzungstest");
    // A button's caption passes its own rule and then the rule for every control: the second
    // lookup takes the first one's result as its key. Its hint is translated once.
    EXPECT_EQ(Text(form, L"b_Apply"), L"Doppelt");
    EXPECT_EQ(Find<ui::Button>(form, L"b_Apply").Hint(), L"Hinweis");
    EXPECT_EQ(Text(form, L"RadioButton1"), L"Wahl");
    EXPECT_EQ(Find<ui::RadioButton>(form, L"RadioButton1").Hint(), L"Wahlhinweis");
    EXPECT_EQ(Text(form, L"CheckBox1"), L"Haken");
    // A menu item is no control: one lookup only.
    EXPECT_EQ(Find<ui::MenuItem>(form, L"MenuItem1").caption, L"Men\u00fceintrag");
    EXPECT_EQ(Find<ui::MenuItem>(form, L"MenuItem1").hint, L"Men\u00fchinweis");
    EXPECT_EQ(Text(form, L"GroupBox1"), L"Rahmen");
    EXPECT_EQ(Text(form, L"Label1"), L"Beschriftung");
    EXPECT_EQ(Find<ui::Label>(form, L"Label1").Hint(), L"Beschriftungshinweis");
    auto& dialog = Find<ui::OpenDialog>(form, L"OpenDialog1");
    EXPECT_EQ(dialog.title, L"Datei w\u00e4hlen");
    EXPECT_EQ(dialog.filter, L"Dateien mit Symbolen|*.exe;*.icl;*.dll;*.ico");
    EXPECT_EQ(Text(form, L"ToolButton1"), L"Werkzeug");
    EXPECT_EQ(Find<ui::ToolButton>(form, L"ToolButton1").Hint(), L"Hinweis");
    auto& view = Find<ui::ListView>(form, L"ListView1");
    ASSERT_EQ(view.ColumnCount(), 2);
    EXPECT_EQ(view.ColumnCaption(0), L"Bezeichnung");
    EXPECT_EQ(view.ColumnCaption(1), L"Gr\u00f6\u00dfe");
    EXPECT_EQ(view.ItemText(0), L"Apply");  // list contents are data
    EXPECT_EQ(Text(form, L"SpeedButton1"), L"Schnell");
    EXPECT_EQ(Text(form, L"Control1"), L"Allgemein");
    EXPECT_EQ(Find<ui::Action>(form, L"Action1").caption, L"Handlung");
    EXPECT_EQ(Find<ui::Action>(form, L"Action1").hint, L"Handlungshinweis");
    // A panel has no rule of its own; the rule for every control normalises and translates it.
    EXPECT_EQ(Text(form, L"Panel1"), L"Tafel ...");
    // A caption with quotes inside is one key.
    EXPECT_EQ(Text(form, L"cb_ShellMenu"), L"Men\u00fc \"Thema installieren\" f\u00fcr ICL");
    // The control after the one whose text cannot be read is still translated.
    EXPECT_EQ(Text(form, L"Label2"), L"Danach");
}

TEST_F(WindowTranslation, LeavesTheContentOfTextEntryControlsAsItIs) {
    EveryKindForm form;
    qm::TranslateWindow(form);
    EXPECT_EQ(Text(form, L"t_Tip"), L"  Apply...  ");
    EXPECT_EQ(Text(form, L"Memo1"), L"Apply /n Tick");
    EXPECT_EQ(Text(form, L"cb_FileName"), L"Apply");
    EXPECT_EQ(Find<ui::ComboBox>(form, L"cb_FileName").Item(0), L"Tick");
    EXPECT_EQ(Find<ui::ListBox>(form, L"ListBox1").Item(0), L"Apply");
}

TEST_F(WindowTranslation, AControlMarkedAsHoldingDataKeepsItsTextAndHiddenOnesAreTranslatedAsAny) {
    EveryKindForm form;
    // A hidden label that holds the window's state (as the change-icon page's icon file and
    // number): its text is data, its hint a design text.
    auto& state = Find<ui::Label>(form, L"Label1");
    state.SetVisible(false);
    state.SetHoldsUserText(true);
    // Hidden alone is no reason: a hidden placeholder's design text is looked up like any other.
    auto& hidden = Find<ui::Label>(form, L"Label2");
    hidden.SetVisible(false);
    qm::TranslateWindow(form);
    EXPECT_EQ(state.Text(), L"Label text");
    EXPECT_EQ(state.Hint(), L"Beschriftungshinweis");
    EXPECT_EQ(hidden.Text(), L"Danach");
}

TEST_F(WindowTranslation, UnderEnglishTextsStayAsDesignedExceptLineBreaks) {
    qm::CurrentLanguage() = L"English";
    EveryKindForm form;
    auto& label = Find<ui::Label>(form, L"Label1");
    label.SetText(L" Info: two /nlines...");
    qm::TranslateWindow(form);
    EXPECT_EQ(form.Caption(), L"Translation test");
    EXPECT_EQ(Text(form, L"b_Apply"), L"Apply");
    EXPECT_EQ(Text(form, L"Panel1"), L"  Open panel...");
    EXPECT_EQ(label.Text(), L" Info: two \n\rlines...");
    EXPECT_EQ(Find<ui::OpenDialog>(form, L"OpenDialog1").filter, L"Files with icons|*.exe;*.icl;*.dll;*.ico");
    EXPECT_EQ(Text(form, L"Memo1"), L"Apply /n Tick");
}

TEST_F(WindowTranslation, TranslateAllWindowsReachesOnlyTheApplicationsOwnForms) {
    EveryKindForm top;
    EveryKindForm owned(&top);  // owned by another form, as the icon picker is
    qm::TranslateAllWindows();
    EXPECT_EQ(top.Caption(), L"\u00dcbersetzungstest");
    EXPECT_EQ(Text(top, L"Label1"), L"Beschriftung");
    EXPECT_EQ(owned.Caption(), L"Translation test");
    EXPECT_EQ(Text(owned, L"Label1"), L"Label text");
}

TEST(Components, AreListedInCreationOrderWithNameAndKind) {
    EveryKindForm form;
    std::vector<std::pair<std::wstring, ui::Kind>> got;
    for (const auto& c : form.Components()) got.emplace_back(c->Name(), c->GetKind());
    const std::vector<std::pair<std::wstring, ui::Kind>> want = {{L"b_Apply", ui::Kind::Button},
                                                                 {L"RadioButton1", ui::Kind::RadioButton},
                                                                 {L"CheckBox1", ui::Kind::CheckBox},
                                                                 {L"MenuItem1", ui::Kind::MenuItem},
                                                                 {L"GroupBox1", ui::Kind::GroupBox},
                                                                 {L"Label1", ui::Kind::Label},
                                                                 {L"OpenDialog1", ui::Kind::OpenDialog},
                                                                 {L"ToolButton1", ui::Kind::ToolButton},
                                                                 {L"ListView1", ui::Kind::ListView},
                                                                 {L"SpeedButton1", ui::Kind::SpeedButton},
                                                                 {L"Control1", ui::Kind::Control},
                                                                 {L"Action1", ui::Kind::Action},
                                                                 {L"t_Tip", ui::Kind::Edit},
                                                                 {L"Memo1", ui::Kind::Memo},
                                                                 {L"cb_FileName", ui::Kind::ComboBox},
                                                                 {L"ListBox1", ui::Kind::ListBox},
                                                                 {L"Image1", ui::Kind::Image},
                                                                 {L"Shape1", ui::Kind::Shape},
                                                                 {L"Panel1", ui::Kind::Panel},
                                                                 {L"Broken1", ui::Kind::Control},
                                                                 {L"cb_ShellMenu", ui::Kind::CheckBox},
                                                                 {L"Label2", ui::Kind::Label},
                                                                 {L"Timer1", ui::Kind::Timer},
                                                                 {L"ImageList1", ui::Kind::ImageList},
                                                                 {L"FileListBox1", ui::Kind::FileListBox}};
    EXPECT_EQ(got, want);
    // The label inside the group box belongs to the form all the same, and sits in the box.
    EXPECT_EQ(GetParent(Find<ui::Label>(form, L"Label1").Handle()), Find<ui::GroupBox>(form, L"GroupBox1").Handle());
}

}  // namespace
