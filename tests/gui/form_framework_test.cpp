// The window framework driven for real: events through containers, the error box for errors that
// leave a handler, modal forms, owner-drawn lists, fonts, file lists and the dialog seams.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <stdexcept>
#include <utility>
#include <vector>

#include "core/base/error.h"
#include "tests/support/files_win.h"
#include "tests/support/gui_driver_win.h"
#include "tests/support/message_box_watcher_win.h"
#include "ui/dialogs_win.h"

namespace {

using qmtest::Find;

class SampleForm : public ui::Form {
public:
    explicit SampleForm(ui::Form* owner = nullptr) : Form(owner) {
        SetCaption(L"Sample");
        SetClientSize(300, 240);
        panel = Add<ui::Panel>(L"Panel1", nullptr, ui::Bounds{0, 0, 300, 60});
        inPanel = Add<ui::Button>(L"Button1", panel, ui::Bounds{5, 5, 80, 24}, L"In panel");
        group = Add<ui::GroupBox>(L"GroupBox1", nullptr, ui::Bounds{0, 60, 300, 60}, L"Group");
        inGroup = Add<ui::CheckBox>(L"CheckBox1", group, ui::Bounds{10, 20, 100, 20}, L"In group");
        failing = Add<ui::Button>(L"b_Fail", nullptr, ui::Bounds{5, 130, 80, 24}, L"Fail");
        list = Add<ui::ListBox>(L"ListBox1", nullptr, ui::Bounds{100, 125, 190, 110}, ui::ListStyle::OwnerDrawVariable);
        inPanel->OnClick = [this] { ++panelClicks; };
        inGroup->OnClick = [this] { ++groupClicks; };
        list->OnMeasureItem = [](int, int& height) { height = 22; };
        list->OnDrawItem = [this](int index, const RECT& r, UINT, ui::Canvas& canvas) {
            drawn.push_back(index);
            canvas.FillRect(r, RGB(0, 128, 0));
        };
        list->OnDblClick = [this] { doubleClicked = list->ItemIndex(); };
        for (const wchar_t* s : {L"one", L"two", L"three"}) list->Add(s);
    }
    ui::Panel* panel;
    ui::Button* inPanel;
    ui::GroupBox* group;
    ui::CheckBox* inGroup;
    ui::Button* failing;
    ui::ListBox* list;
    int panelClicks = 0, groupClicks = 0, doubleClicked = -1;
    std::vector<int> drawn;
};

class Framework : public testing::Test {
protected:
    void SetUp() override { ui::App().SetTitle(L"Quillmark"); }
};

TEST_F(Framework, ClicksReachHandlersThroughPanelsAndGroupBoxes) {
    SampleForm form;
    form.Show();
    qmtest::Click(*form.inPanel);
    qmtest::Click(*form.inGroup);
    qmtest::Click(Find<ui::Button>(form, L"Button1"));
    EXPECT_EQ(form.panelClicks, 2);
    EXPECT_EQ(form.groupClicks, 1);
    EXPECT_TRUE(form.inGroup->Checked());
}

TEST_F(Framework, AnErrorLeavingAHandlerIsShownAndEndsOnlyThatHandler) {
    SampleForm form;
    int reached = 0, after = 0;
    const struct {
        std::function<void()> raise;
        std::wstring text;
    } cases[] = {{[] { throw qm::UserError(qm::FormatMessageText(L"Unable to write to %s", L"C:\\x.ini")); },
                  L"Unable to write to C:\\x.ini"},
                 {[] { throw std::runtime_error("Failed to set data for 'name'"); }, L"Failed to set data for 'name'"}};
    form.Show();
    for (const auto& c : cases) {
        form.failing->OnClick = [&] {
            ++reached;
            c.raise();
            ++after;
        };
        qmtest::MessageBoxWatcher boxes;
        qmtest::Click(*form.failing);
        ASSERT_TRUE(boxes.WaitForCount(1));
        EXPECT_EQ(boxes.Seen()[0].text, c.text);
        EXPECT_EQ(boxes.Seen()[0].caption, L"Quillmark");
    }
    EXPECT_EQ(reached, 2);
    EXPECT_EQ(after, 0);
    // The form goes on working.
    qmtest::Click(*form.inPanel);
    EXPECT_EQ(form.panelClicks, 1);
}

// A form that refuses to close with an error.
class StubbornForm : public SampleForm {
public:
    bool FormCloseQuery() override {
        ++asked;
        throw qm::UserError(L"Cannot close now");
    }
    int asked = 0;
};

TEST_F(Framework, AnErrorWhileAskingToCloseIsShownAndKeepsTheFormOpen) {
    StubbornForm form;
    form.Show();
    qmtest::MessageBoxWatcher boxes;
    PostMessageW(form.Handle(), WM_CLOSE, 0, 0);
    qmtest::PumpMessages();
    ASSERT_TRUE(boxes.WaitForCount(1));
    EXPECT_EQ(boxes.Texts(), std::vector<std::wstring>{L"Cannot close now"});
    EXPECT_EQ(form.asked, 1);
    EXPECT_TRUE(IsWindow(form.Handle()));
    EXPECT_TRUE(IsWindowVisible(form.Handle()));
}

TEST_F(Framework, OwnerDrawnListMeasuresDrawsAndReportsDoubleClicks) {
    SampleForm form;
    form.Show();
    qmtest::PumpMessages();
    const RECT r = form.list->ItemRect(1);
    EXPECT_EQ(r.bottom - r.top, 22);
    EXPECT_FALSE(form.drawn.empty());
    qmtest::DoubleClickItem(*form.list, 2);
    EXPECT_EQ(form.doubleClicked, 2);
    EXPECT_EQ(form.list->Items(), (std::vector<std::wstring>{L"one", L"two", L"three"}));
}

// A list view in owner-data mode over 500 entries named "Entry <i>": it holds only the count and
// asks for the caption and image of what it shows.
class OwnerDataForm : public ui::Form {
public:
    OwnerDataForm() {
        SetCaption(L"Owner data");
        SetClientSize(300, 200);
        images = Add<ui::ImageList>(L"ImageList1", 16, 16);
        view = Add<ui::ListView>(L"ListView1", nullptr, ui::Bounds{0, 0, 300, 200}, ui::ListViewStyle::List,
                                 ui::ListViewData::Owner);
        view->SetImageList(images, LVSIL_SMALL);
        view->OnItemText = [](int item) { return L"Entry " + std::to_wstring(item); };
        view->OnItemImage = [this](int item) {
            imageAsked.insert(item);
            return item % 2;
        };
        view->OnCacheHint = [this](int from, int to) { hints.emplace_back(from, to); };
        view->OnSelect = [this] { ++selections; };
    }
    ui::ImageList* images;
    ui::ListView* view;
    std::set<int> imageAsked;
    std::vector<std::pair<int, int>> hints;
    int selections = 0;
};

TEST_F(Framework, OwnerDataListViewAsksOnlyForWhatItShows) {
    OwnerDataForm form;
    form.images->SetCount(2);
    EXPECT_EQ(form.images->Count(), 2);
    form.Show();
    form.view->SetItemCount(500);
    qmtest::PumpMessages();
    UpdateWindow(form.view->Handle());
    ASSERT_EQ(form.view->Count(), 500);
    EXPECT_EQ(form.view->ItemText(499), L"Entry 499");  // read back through the owner
    // Painting asked for the images of the entries in view, not of all of them, and hinted them first.
    const int shown = ListView_GetCountPerPage(form.view->Handle());
    ASSERT_GT(shown, 0);
    ASSERT_LT(shown, 500);
    ASSERT_FALSE(form.imageAsked.empty());
    EXPECT_EQ(*form.imageAsked.begin(), 0);
    EXPECT_LT(*form.imageAsked.rbegin(), 500 - shown);
    ASSERT_FALSE(form.hints.empty());
    EXPECT_EQ(form.hints.front().first, 0);
    EXPECT_GE(form.hints.front().second, shown - 1);
    // Scrolled to the end: the last entry is asked for as it is drawn.
    ListView_EnsureVisible(form.view->Handle(), 499, FALSE);
    UpdateWindow(form.view->Handle());
    EXPECT_EQ(form.imageAsked.count(499), 1u);
    // Selection and type-ahead search work on entries the view never held.
    qmtest::SelectItem(*form.view, 250);
    EXPECT_EQ(form.view->ItemIndex(), 250);
    EXPECT_EQ(form.selections, 1);
    LVFINDINFOW find{};
    find.flags = LVFI_STRING | LVFI_PARTIAL | LVFI_WRAP;
    find.psz = L"entry 12";
    EXPECT_EQ(ListView_FindItem(form.view->Handle(), 300, &find), 12);
    find.flags = LVFI_STRING;
    find.psz = L"Entry 7";
    EXPECT_EQ(ListView_FindItem(form.view->Handle(), -1, &find), 7);
    find.psz = L"Entry 7x";
    EXPECT_EQ(ListView_FindItem(form.view->Handle(), -1, &find), -1);
    // A new count starts at the top with nothing selected.
    form.view->SetItemCount(400);
    qmtest::PumpMessages();
    EXPECT_EQ(form.view->Count(), 400);
    EXPECT_EQ(ListView_GetTopIndex(form.view->Handle()), 0);
    EXPECT_EQ(form.view->ItemIndex(), -1);
    form.view->Clear();
    EXPECT_EQ(form.view->Count(), 0);
}

// A modal form that presses its own OK button as soon as it is shown.
class ConfirmingForm : public ui::Form {
public:
    explicit ConfirmingForm(ui::Form* owner) : Form(owner) {
        ok = Add<ui::Button>(L"b_Ok", nullptr, ui::Bounds{5, 5, 80, 24}, L"OK");
        ok->modalResult = ui::mrOk;
    }
    void FormShow() override { PostMessageW(ok->Handle(), BM_CLICK, 0, 0); }
    ui::Button* ok;
};

TEST_F(Framework, ModalFormsDisableTheirOwnerAndReturnTheirResult) {
    SampleForm owner;
    owner.Show();
    int closedResult = 0, confirmedResult = 0;
    owner.inPanel->OnClick = [&] {
        SampleForm modal(&owner);
        closedResult = modal.ShowModal();  // closed by the closer below, as by the title bar
        ConfirmingForm confirm(&owner);
        confirmedResult = confirm.ShowModal();
    };
    {
        qmtest::WindowCloser closer;
        qmtest::Click(*owner.inPanel);
        const auto seen = closer.Seen();
        ASSERT_GE(seen.size(), 1u);
        EXPECT_EQ(seen[0].caption, L"Sample");
        EXPECT_EQ(seen[0].owner, owner.Handle());
        EXPECT_TRUE(seen[0].ownerWasDisabled);
    }
    EXPECT_EQ(closedResult, ui::mrCancel);
    EXPECT_EQ(confirmedResult, ui::mrOk);
    EXPECT_TRUE(IsWindowEnabled(owner.Handle()));
}

TEST_F(Framework, ControlsFollowTheFormsFontUnlessTheyHaveTheirOwn) {
    SampleForm form;
    LOGFONTW own = ui::IconTitleFont();
    own.lfHeight = -20;
    form.inGroup->SetFont(own);
    LOGFONTW shared = ui::IconTitleFont();
    shared.lfHeight = -15;
    form.SetFont(shared);
    auto height = [](HWND h) {
        LOGFONTW lf{};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0)), sizeof lf, &lf);
        return lf.lfHeight;
    };
    EXPECT_EQ(height(form.inPanel->Handle()), -15);
    EXPECT_EQ(height(form.failing->Handle()), -15);
    EXPECT_EQ(height(form.inGroup->Handle()), -20);
}

TEST_F(Framework, FileListListsOrdinaryFilesOfTheMaskSortedByName) {
    qmtest::TempDir dir;
    for (const wchar_t* name : {L"b.ini", L"A.ini", L"c.txt", L"hidden.ini", L"system.ini"}) {
        qmtest::WriteAnsiFile(dir / name, "x");
    }
    dir.MakeFolder(L"folder.ini");
    SetFileAttributesW((dir / L"hidden.ini").c_str(), FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesW((dir / L"system.ini").c_str(), FILE_ATTRIBUTE_SYSTEM);
    SampleForm form;
    auto* files = form.Add<ui::FileListBox>(L"FileListBox1", nullptr, L"*.ini");
    EXPECT_FALSE(files->Visible());
    EXPECT_TRUE(files->ListFolder(dir.path()));
    EXPECT_EQ(files->Items(), (std::vector<std::wstring>{L"A.ini", L"b.ini"}));
    EXPECT_FALSE(files->ListFolder(dir / L"missing"));
    EXPECT_EQ(files->Count(), 0);
}

TEST_F(Framework, DialogSeamsAnswerInsteadOfTheUser) {
    SampleForm form;
    auto* dialog = form.Add<ui::OpenDialog>(L"OpenDialog1", L"Pick", L"Icons|*.ico");
    ui::OpenFileRequest asked;
    ui::SetOpenFileSeam([&](const ui::OpenFileRequest& r) -> std::optional<std::wstring> {
        asked = r;
        return std::wstring(L"C:\\icons\\a.ico");
    });
    EXPECT_TRUE(dialog->Execute());
    EXPECT_EQ(dialog->fileName, L"C:\\icons\\a.ico");
    EXPECT_EQ(asked.title, L"Pick");
    EXPECT_EQ(asked.filter, L"Icons|*.ico");
    EXPECT_EQ(asked.owner, form.Handle());
    ui::SetOpenFileSeam([](const ui::OpenFileRequest&) { return std::optional<std::wstring>(); });
    EXPECT_FALSE(dialog->Execute());
    EXPECT_EQ(dialog->fileName, L"C:\\icons\\a.ico");
    ui::SetOpenFileSeam({});

    ui::SetBrowseFolderSeam([](const ui::BrowseFolderRequest& r) -> std::optional<std::wstring> {
        return r.title == L"Select folder" ? std::optional<std::wstring>(L"C:\\chosen") : std::nullopt;
    });
    EXPECT_EQ(ui::BrowseForFolder({form.Handle(), L"Select folder"}), std::optional<std::wstring>(L"C:\\chosen"));
    EXPECT_EQ(ui::BrowseForFolder({form.Handle(), L"Other"}), std::nullopt);
    ui::SetBrowseFolderSeam({});

    EXPECT_EQ(ui::FilterForPlatform(L"A|*.a|B|*.b"), std::wstring(L"A\0*.a\0B\0*.b\0\0", 13));
}

TEST_F(Framework, ImagesPaintTheirPictureAndReportClicks) {
    SampleForm form;
    auto* image = form.Add<ui::Image>(L"Image1", nullptr, ui::Bounds{5, 160, 40, 30});
    int clicks = 0;
    image->OnClick = [&] { ++clicks; };
    image->GetCanvas().FillRect({0, 0, 40, 30}, RGB(200, 10, 10));
    ASSERT_NE(image->Picture(), nullptr);
    EXPECT_EQ(image->Picture()->Width(), 40);
    EXPECT_EQ(image->Picture()->Pixel(39, 29), RGB(200, 10, 10));
    form.Show();
    qmtest::Click(*image);
    EXPECT_EQ(clicks, 1);
    // A press that is released outside the picture is no click.
    PostMessageW(image->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageW(image->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(100, 5));
    qmtest::PumpMessages();
    EXPECT_EQ(clicks, 1);
}

TEST_F(Framework, TimersAndMenuItemsReceiveTheirMessages) {
    SampleForm form;
    auto* timer = form.Add<ui::Timer>(L"Timer1", 60000u, false);
    auto* item = form.Add<ui::MenuItem>(L"MenuItem1", L"Entry");
    int ticks = 0, chosen = 0;
    timer->OnTimer = [&] { ++ticks; };
    item->OnClick = [&] { ++chosen; };
    // The platform's own messages, sent at once instead of waiting for the interval or a menu.
    SendMessageW(form.Handle(), WM_TIMER, static_cast<WPARAM>(timer->Id()), 0);
    EXPECT_EQ(ticks, 0);  // a disabled timer does not fire
    timer->SetEnabled(true);
    SendMessageW(form.Handle(), WM_TIMER, static_cast<WPARAM>(timer->Id()), 0);
    EXPECT_EQ(ticks, 1);
    SendMessageW(form.Handle(), WM_COMMAND, MAKEWPARAM(item->Id(), 0), 0);
    EXPECT_EQ(chosen, 1);
}

}  // namespace

namespace {
// A form over a list view with entries of the item kind (the texts kept by the control).
class ItemListForm : public ui::Form {
public:
    ItemListForm() {
        SetClientSize(300, 200);
        view = Add<ui::ListView>(L"ListView1", nullptr, ui::Bounds{0, 0, 300, 200});
    }
    ui::ListView* view;
};
}  // namespace

TEST_F(Framework, ListViewTextsAreReadInFull) {
    ItemListForm form;
    // Around the sizes a reading buffer takes, and well past them.
    for (const std::size_t length : {0u, 1u, 255u, 256u, 1023u, 1024u, 1025u, 3000u}) {
        SCOPED_TRACE(length);
        std::wstring caption(length, L'c'), text(length, L't'), sub(length, L's');
        if (length > 1) caption.back() = text.back() = sub.back() = L'!';  // the end is read too
        form.view->Clear();
        while (form.view->ColumnCount() > 0) ListView_DeleteColumn(form.view->Handle(), 0);
        form.view->AddColumn(caption, 100);
        form.view->AddColumn(L"Second", 100);
        const int item = form.view->AddItem(text);
        form.view->SetSubItem(item, 1, sub);
        EXPECT_EQ(form.view->ColumnCaption(0), caption);
        EXPECT_EQ(form.view->ItemText(item), text);
        EXPECT_EQ(form.view->ItemText(item, 1), sub);
    }
}

namespace {
// A form that centres itself when shown, with an owner or without.
class CentredForm : public ui::Form {
public:
    explicit CentredForm(ui::Form* owner) : Form(owner) {
        SetBorderStyle(ui::BorderStyle::Dialog, false);
        SetClientSize(240, 160);
        SetCenterOnScreen(true);
    }
};

RECT WindowRect(HWND h) {
    RECT r{};
    GetWindowRect(h, &r);
    return r;
}
}  // namespace

TEST_F(Framework, CentredFormsLieOverTheirOwnerOnTheOwnersMonitor) {
    SampleForm owner;
    owner.SetClientSize(120, 80);  // smaller than the centred form
    owner.Show();
    MONITORINFO monitor{sizeof monitor};
    ASSERT_TRUE(GetMonitorInfoW(MonitorFromWindow(owner.Handle(), MONITOR_DEFAULTTOPRIMARY), &monitor));
    const RECT work = monitor.rcWork;
    struct Case {
        const char* what;
        POINT ownerAt;  // relative to the work area's corner
        bool clampedLeftTop;
    };
    const Case cases[] = {
        {"owner inside the work area", {300, 200}, false},
        {"owner in the work area's corner", {0, 0}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetWindowPos(owner.Handle(), nullptr, work.left + c.ownerAt.x, work.top + c.ownerAt.y, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        CentredForm form(&owner);
        form.Show();
        const RECT mine = WindowRect(form.Handle()), over = WindowRect(owner.Handle());
        const int w = mine.right - mine.left, h = mine.bottom - mine.top;
        const int x = std::max<int>(work.left, over.left + (over.right - over.left - w) / 2);
        const int y = std::max<int>(work.top, over.top + (over.bottom - over.top - h) / 2);
        EXPECT_EQ(mine.left, x);
        EXPECT_EQ(mine.top, y);
        EXPECT_EQ(mine.left == work.left && mine.top == work.top, c.clampedLeftTop);
    }
    // Without an owner: the middle of the primary monitor's work area.
    CentredForm alone(nullptr);
    alone.Show();
    const RECT mine = WindowRect(alone.Handle());
    EXPECT_EQ(mine.left, work.left + (work.right - work.left - (mine.right - mine.left)) / 2);
    EXPECT_EQ(mine.top, work.top + (work.bottom - work.top - (mine.bottom - mine.top)) / 2);
}

namespace {
// Two buttons, the second the form's Cancel button when asked for.
class EscapeForm : public ui::Form {
public:
    explicit EscapeForm(bool withCancel) {
        SetClientSize(200, 80);
        ok = Add<ui::Button>(L"b_Ok", nullptr, ui::Bounds{5, 5, 80, 24}, L"OK");
        cancel = Add<ui::Button>(L"b_Cancel", nullptr, ui::Bounds{90, 5, 80, 24}, L"Cancel");
        cancel->OnClick = [this] {
            ++cancelClicks;
            Close();
        };
        if (withCancel) SetCancelButton(cancel);
    }
    ui::Button* ok;
    ui::Button* cancel;
    int cancelClicks = 0;
};
}  // namespace

TEST_F(Framework, EscapePressesTheCancelButtonAndClosesNoOtherForm) {
    {
        EscapeForm form(true);
        form.Show();
        qmtest::PressKey(*form.ok, VK_ESCAPE);
        EXPECT_EQ(form.cancelClicks, 1);
        EXPECT_FALSE(IsWindowVisible(form.Handle()));
        // A disabled Cancel button is not pressed.
        form.Show();
        form.cancel->SetEnabled(false);
        qmtest::PressKey(*form.ok, VK_ESCAPE);
        EXPECT_EQ(form.cancelClicks, 1);
        EXPECT_TRUE(IsWindowVisible(form.Handle()));
    }
    {
        EscapeForm form(false);
        form.Show();
        qmtest::PressKey(*form.ok, VK_ESCAPE);
        EXPECT_EQ(form.cancelClicks, 0);
        EXPECT_TRUE(IsWindowVisible(form.Handle()));
    }
    // Modal: the Cancel button's modal result ends it.
    SampleForm owner;
    owner.Show();
    int result = 0;
    owner.inPanel->OnClick = [&] {
        EscapeForm modal(true);
        modal.cancel->modalResult = ui::mrNo;
        modal.Later([&] { qmtest::PressKey(*modal.ok, VK_ESCAPE); });
        result = modal.ShowModal();
    };
    qmtest::Click(*owner.inPanel);
    EXPECT_EQ(result, ui::mrNo);
}

TEST_F(Framework, AnchoredControlsFollowTheFormDownToItsMinimumSize) {
    SampleForm form;
    form.SetAnchors(*form.list, ui::akLeft | ui::akTop | ui::akRight | ui::akBottom);
    form.SetAnchors(*form.failing, ui::akLeft | ui::akBottom);
    form.SetMinClientSize(200, 180);
    form.Show();
    form.SetClientSize(400, 300);
    EXPECT_EQ(form.list->GetBounds().width, 290);
    EXPECT_EQ(form.list->GetBounds().height, 170);
    EXPECT_EQ(form.failing->GetBounds().y, 190);
    form.PlaceAnchored(*form.list, ui::Bounds{100, 125, 100, 100});
    form.SetClientSize(300, 240);
    EXPECT_EQ(form.list->GetBounds().width, 0);
    EXPECT_EQ(form.list->GetBounds().height, 40);
    // The user cannot size the form below its minimum client size.
    MINMAXINFO limits{};
    SendMessageW(form.Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    RECT frame{0, 0, form.Scale(200), form.Scale(180)};
    AdjustWindowRectExForDpi(&frame, static_cast<DWORD>(GetWindowLongW(form.Handle(), GWL_STYLE)), FALSE,
                             static_cast<DWORD>(GetWindowLongW(form.Handle(), GWL_EXSTYLE)),
                             static_cast<UINT>(form.Dpi()));
    EXPECT_EQ(limits.ptMinTrackSize.x, frame.right - frame.left);
    EXPECT_EQ(limits.ptMinTrackSize.y, frame.bottom - frame.top);
}

TEST_F(Framework, ComboItemsInsertAndTakeTheirHeight) {
    ui::Form form;
    auto* combo =
        form.Add<ui::ComboBox>(L"ComboBox1", nullptr, ui::Bounds{0, 0, 200, 21}, ui::ComboStyle::OwnerDrawFixed);
    combo->Add(L"b");
    combo->Insert(0, L"a");
    combo->Insert(-1, std::wstring(2000, L'z'));
    EXPECT_EQ(combo->Count(), 3);
    EXPECT_EQ(combo->Item(0), L"a");
    EXPECT_EQ(combo->Item(1), L"b");
    EXPECT_EQ(combo->Item(2), std::wstring(2000, L'z'));
    combo->SetItemHeight(40);
    EXPECT_EQ(SendMessageW(combo->Handle(), CB_GETITEMHEIGHT, 0, 0), form.Scale(40));
    // Wine answers the selection field's height with 2 pixels more than it was given.
    EXPECT_GE(SendMessageW(combo->Handle(), CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0), form.Scale(40));
}

TEST_F(Framework, LabelsTakeTheirAlignmentAndControlsTheirStyleBits) {
    ui::Form form;
    auto* label = form.Add<ui::Label>(L"Label1", nullptr, ui::Bounds{0, 0, 100, 16}, L"text");
    const std::pair<ui::Alignment, DWORD> alignments[] = {
        {ui::Alignment::Right, SS_RIGHT}, {ui::Alignment::Center, SS_CENTER}, {ui::Alignment::Left, SS_LEFT}};
    for (const auto& [alignment, bits] : alignments) {
        label->SetAlignment(alignment);
        const DWORD style = static_cast<DWORD>(GetWindowLongW(label->Handle(), GWL_STYLE));
        EXPECT_EQ(style & SS_TYPEMASK, bits);
        EXPECT_TRUE(style & SS_NOTIFY);  // the other bits stay
    }
    auto* memo = form.Add<ui::Memo>(L"Memo1", nullptr, ui::Bounds{0, 20, 100, 60});
    memo->ModifyExStyle(0, WS_EX_CLIENTEDGE);
    memo->ModifyStyle(WS_BORDER, WS_VSCROLL);
    EXPECT_FALSE(GetWindowLongW(memo->Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_TRUE(GetWindowLongW(memo->Handle(), GWL_STYLE) & WS_BORDER);
    EXPECT_FALSE(GetWindowLongW(memo->Handle(), GWL_STYLE) & WS_VSCROLL);
    EXPECT_EQ(memo->Font(), form.FontHandle());
}
