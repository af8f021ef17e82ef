// What the windows share with the rest of the process and must not take or free twice: the image
// lists set into list views (the form's ImageList components own them; every view shares them),
// and the class cursor of STATIC (a link label shows the hand over itself only).
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "app/about_window_win.h"
#include "app/custom_icon_window_win.h"
#include "app/icon_picker_window_win.h"
#include "app/main_window/main_window_win.h"
#include "core/base/text.h"
#include "tests/gui/picker_test_support.h"
#include "tests/support/gui_driver_win.h"
#include "tests/support/settings_backup_win.h"

namespace {

using qmtest::Find;

// Records every image list the framework destroys, with the platform's answer.
class DestroyedImageLists {
public:
    DestroyedImageLists() {
        ui::SetImageListDestroyObserver([this](HIMAGELIST list, bool destroyed) { seen_[list].push_back(destroyed); });
    }
    ~DestroyedImageLists() { ui::SetImageListDestroyObserver(nullptr); }
    DestroyedImageLists(const DestroyedImageLists&) = delete;
    DestroyedImageLists& operator=(const DestroyedImageLists&) = delete;
    // The answers of every destroy of `list`, in order.
    std::vector<bool> Of(HIMAGELIST list) const {
        auto it = seen_.find(list);
        return it == seen_.end() ? std::vector<bool>{} : it->second;
    }

private:
    std::map<HIMAGELIST, std::vector<bool>> seen_;
};

// A form with one list view of the given style showing one image list as both its normal and its
// small list, and a second list as its state list.
class ListViewForm : public ui::Form {
public:
    explicit ListViewForm(ui::ListViewStyle style) {
        SetClientSize(200, 200);
        ListView1 = Add<ui::ListView>(L"ListView1", nullptr, ui::Bounds{0, 0, 200, 200}, style);
        ImageList1 = Add<ui::ImageList>(L"ImageList1", 16, 16);
        ImageList2 = Add<ui::ImageList>(L"ImageList2", 16, 16);
        ListView1->SetImageList(ImageList1, LVSIL_NORMAL);
        ListView1->SetImageList(ImageList1, LVSIL_SMALL);
        ListView1->SetImageList(ImageList2, LVSIL_STATE);
        ListView1->AddItem(L"one", 0);
    }
    ui::ListView* ListView1;
    ui::ImageList* ImageList1;
    ui::ImageList* ImageList2;
};

template <class Kind>
std::vector<Kind*> ComponentsOf(ui::Form& form) {
    std::vector<Kind*> found;
    for (const auto& c : form.Components())
        if (auto* k = dynamic_cast<Kind*>(c.get())) found.push_back(k);
    return found;
}

class SharedResources : public testing::Test {
protected:
    void SetUp() override { ui::App().SetTitle(L"Quillmark"); }
    qmtest::ProgramFolderGuard program_;
    qmtest::ScopedCurrentLanguage english_{L"English"};
    qmtest::TempDir files_{L"shared-resources"};
};

// Under Wine comctl32 survives a list destroyed twice; on Windows it is a double free. So the test
// destroys each view's window first and asks whether the lists it showed are still alive, then
// counts the form's own destroys: each list once, and valid when it goes.
TEST_F(SharedResources, ImageListsOutliveTheirListViewsAndTheFormDestroysEachOnce) {
    struct Case {
        const char* window;
        std::function<std::unique_ptr<ui::Form>()> make;
    };
    ui::Form page;  // the change-icon page's side of the picker
    ui::Label* label8 = page.Add<ui::Label>(L"Label8", nullptr, ui::Bounds{0, 0, 10, 10}, L"");
    ui::Label* label9 = page.Add<ui::Label>(L"Label9", nullptr, ui::Bounds{0, 0, 10, 10}, L"");
    ui::Image* image3 = page.Add<ui::Image>(L"Image3", nullptr, ui::Bounds{0, 0, 51, 50});
    const std::wstring folder = files_.path();
    const Case cases[] = {
        {"report view", [] { return std::make_unique<ListViewForm>(ui::ListViewStyle::Report); }},
        {"icon view", [] { return std::make_unique<ListViewForm>(ui::ListViewStyle::Icon); }},
        {"small-icon view", [] { return std::make_unique<ListViewForm>(ui::ListViewStyle::SmallIcon); }},
        {"list view", [] { return std::make_unique<ListViewForm>(ui::ListViewStyle::List); }},
        {"icon picker",
         [&] {
             return std::make_unique<qm::TForm1>(&page, qm::IconChoiceTarget{label8, label9, image3});
         }},
        {"custom icon window", [&] { return std::make_unique<qm::TfCustomIcon>(folder); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.window);
        DestroyedImageLists destroyed;
        std::vector<HIMAGELIST> lists;
        {
            std::unique_ptr<ui::Form> form = c.make();
            form->Show();
            for (ui::ImageList* l : ComponentsOf<ui::ImageList>(*form)) lists.push_back(l->Handle());
            const std::vector<ui::ListView*> views = ComponentsOf<ui::ListView>(*form);
            ASSERT_FALSE(views.empty());
            ASSERT_FALSE(lists.empty());
            for (ui::ListView* v : views) {
                EXPECT_TRUE(GetWindowLongW(v->Handle(), GWL_STYLE) & LVS_SHAREIMAGELISTS);
                DestroyWindow(v->Handle());
            }
            for (HIMAGELIST l : lists) {
                int cx = 0, cy = 0;
                EXPECT_TRUE(ImageList_GetIconSize(l, &cx, &cy)) << "a list view destroyed a list of its form";
                EXPECT_TRUE(destroyed.Of(l).empty());
            }
        }
        for (HIMAGELIST l : lists) EXPECT_EQ(destroyed.Of(l), std::vector<bool>{true});
    }
}

// The class cursor of STATIC is shared by every label and message box text of the process; the
// link labels of the language page and the about window answer WM_SETCURSOR themselves.
TEST_F(SharedResources, LinkLabelsShowTheHandAndTheStaticClassKeepsTheArrow) {
    const HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
    const HCURSOR hand = LoadCursorW(nullptr, IDC_HAND);
    qm::TForm2 main;
    qm::TfAbout about;
    main.Show();
    about.Show();
    const struct {
        ui::Label* label;
        HCURSOR shown;
    } cases[] = {{main.Label4, hand}, {main.Label13, arrow}, {about.Label7, hand}, {about.Label3, arrow}};
    for (const auto& c : cases) {
        SCOPED_TRACE(qm::WideToUtf8(c.label->Name()));
        EXPECT_EQ(reinterpret_cast<HCURSOR>(GetClassLongPtrW(c.label->Handle(), GCLP_HCURSOR)), arrow);
        SetCursor(nullptr);
        SendMessageW(c.label->Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(c.label->Handle()),
                     MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        EXPECT_EQ(GetCursor(), c.shown);
    }
    // A label made after the link labels still has the arrow.
    ui::Form later;
    ui::Label* plain = later.Add<ui::Label>(L"Label1", nullptr, ui::Bounds{0, 0, 50, 16}, L"text");
    EXPECT_EQ(reinterpret_cast<HCURSOR>(GetClassLongPtrW(plain->Handle(), GCLP_HCURSOR)), arrow);
}

}  // namespace
