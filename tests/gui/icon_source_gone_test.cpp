// An icon source deleted, cut short or overwritten with garbage while the icon picker (opened from
// the change-icon page) and the custom icon window list its icons. The lists keep showing what they
// read when scrolled and repainted; Select still hands the choice back; the apply then either
// does what its mode does with such a file or stops with a message and leaves the folder as it was.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "app/custom_icon_window_win.h"
#include "app/main_window/main_window_win.h"
#include "core/base/error.h"
#include "core/base/text.h"
#include "core/folder/folder_engine_win.h"
#include "core/folder/folder_files_win.h"
#include "tests/gui/picker_test_support.h"
#include "tests/support/files_win.h"
#include "tests/support/folder_fixtures_win.h"
#include "tests/support/gui_driver_win.h"
#include "tests/support/message_box_watcher_win.h"

namespace {

enum class Fault { Deleted, CutToFewBytes, CutInHalf, Garbage };
enum class Source { NeLibrary, PeLibrary };

const char* Name(Fault f) {
    switch (f) {
        case Fault::Deleted: return "deleted";
        case Fault::CutToFewBytes: return "cut to 8 bytes";
        case Fault::CutInHalf: return "cut in half";
        case Fault::Garbage: return "garbage";
    }
    return "?";
}

void Damage(const std::wstring& path, Fault fault) {
    std::vector<std::uint8_t> bytes = qmtest::ReadBytes(path);
    switch (fault) {
        case Fault::Deleted: ASSERT_TRUE(DeleteFileW(path.c_str())) << GetLastError(); return;
        case Fault::CutToFewBytes: bytes.resize(8); break;
        case Fault::CutInHalf: bytes.resize(bytes.size() / 2); break;
        case Fault::Garbage: {
            std::uint32_t state = 0x2545F491u;
            for (auto& b : bytes) {
                state = state * 1664525u + 1013904223u;
                b = static_cast<std::uint8_t>(state >> 24);
            }
            bytes[0] = 'Z';  // never "MZ"
            break;
        }
    }
    qmtest::WriteBytes(path, bytes);
}

using qmtest::ContentOf;
using qmtest::CopiesIn;
using qmtest::FolderContent;

// The pixels of a control as the screen shows it after a full repaint.
std::vector<std::uint32_t> Shown(HWND control) { return qmtest::CaptureWindow(control).bgra; }

// The icon list scrolled to its last and back to its first icon: what each end shows.
struct ListEnds {
    std::vector<std::uint32_t> first, last;
};
ListEnds ScrollThrough(ui::ListView& view) {
    ListEnds ends;
    ListView_EnsureVisible(view.Handle(), view.Count() - 1, FALSE);
    qmtest::PumpMessages();
    ends.last = Shown(view.Handle());
    ListView_EnsureVisible(view.Handle(), 0, FALSE);
    qmtest::PumpMessages();
    ends.first = Shown(view.Handle());
    // Both ends show icons, and different ones: the list did scroll.
    EXPECT_GT(std::set<std::uint32_t>(ends.first.begin(), ends.first.end()).size(), 16u);
    EXPECT_FALSE(ends.first == ends.last);
    return ends;
}

constexpr int kIcons = 120;  // more than the list shows at once
constexpr int kChosen = 7;

struct Case {
    Source source;
    Fault fault;
    bool copyMode;
};

// What the apply is expected to do with the damaged source.
struct Expected {
    bool applied;                        // the folder changed (linked to the source)
    std::vector<std::wstring> messages;  // the boxes shown, in order
};

Expected ExpectedFor(const Case& c) {
    if (!c.copyMode) return {true, {}};  // link mode never reads the source
    switch (c.fault) {
        // Nothing can ever show an icon from a file that is gone: the apply stops with the
        // platform's words for it, and the folder keeps its icon.
        case Fault::Deleted: return {false, {qm::SystemErrorText(ERROR_FILE_NOT_FOUND)}};
        // Too short or no module at all: the probe does not recognise it, so copy mode links.
        case Fault::CutToFewBytes:
        case Fault::Garbage: return {true, {}};
        // The module's headers are still there but the icon's group is not: the loader says so,
        // and the folder is linked to the source as for any source that gives no icon.
        case Fault::CutInHalf: return {true, {L"<loader>"}};
    }
    return {};
}

std::string Describe(const Case& c) {
    return std::string(c.source == Source::NeLibrary ? "NE" : "PE") + " library " + Name(c.fault) +
           (c.copyMode ? ", copy mode" : ", link mode");
}

std::vector<Case> AllCases() {
    std::vector<Case> cases;
    for (Source s : {Source::NeLibrary, Source::PeLibrary})
        for (Fault f : {Fault::Deleted, Fault::CutToFewBytes, Fault::CutInHalf, Fault::Garbage})
            for (bool copy : {true, false}) cases.push_back({s, f, copy});
    return cases;
}

class IconSourceGone : public testing::Test {
protected:
    void SetUp() override { ui::App().SetTitle(L"Quillmark"); }

    std::vector<std::uint8_t> LibraryBytes(Source s) {
        return s == Source::NeLibrary ? qmtest::MakeNeLibrary(kIcons) : qmtest::MakePeLibrary(kIcons);
    }

    // A folder that already has an icon copy from an earlier copy-mode apply, and a tooltip.
    std::wstring CustomizedFolder(const std::wstring& name) {
        const std::wstring folder = files_.MakeFolder(name);
        const std::wstring earlier = files_ / (name + L"-earlier.icl");
        qmtest::WriteBytes(earlier, qmtest::MakeNeLibrary(3));
        program_.Settings().SetCopyIco(L"1");
        EXPECT_TRUE(qm::ApplyIconToFolder({folder, earlier, L"1", L"Earlier tip"}, qm::CallerProfile::MainWindow));
        EXPECT_EQ(CopiesIn(folder).size(), 1u);
        DeleteFileW(earlier.c_str());
        return folder;
    }

    // Presses Apply and reads the boxes it shows. Afterwards either the folder is exactly as it
    // was, or it is linked to the source (the program's old copies removed, as in link mode).
    void ApplyAndCheck(const Case& c, ui::Button& apply, const std::wstring& folder, const std::wstring& source) {
        const Expected expected = ExpectedFor(c);
        const FolderContent before = ContentOf(folder);
        std::vector<std::wstring> messages;
        {
            qmtest::MessageBoxWatcher boxes;
            qmtest::Click(apply);
            if (!expected.messages.empty()) boxes.WaitForCount(expected.messages.size());
            qmtest::PumpMessages();
            messages = boxes.Texts();
        }
        const bool applied = qm::ReadFolderCustomization(folder).IconFile == source;
        EXPECT_EQ(applied, expected.applied) << Describe(c);
        ASSERT_EQ(messages.size(), expected.messages.size()) << Describe(c);
        for (std::size_t i = 0; i < messages.size(); ++i) {
            if (expected.messages[i] == L"<loader>") {
                const std::wstring loader = c.source == Source::NeLibrary ? L"LoadFromNE" : L"LoadFromPE";
                EXPECT_EQ(messages[i].rfind(L"TWrenIcoObj." + loader, 0), 0u) << Describe(c);
                EXPECT_NE(messages[i].find(source), std::wstring::npos) << Describe(c);
            } else {
                EXPECT_EQ(messages[i], expected.messages[i]) << Describe(c);
            }
        }
        if (!expected.applied) {
            EXPECT_TRUE(ContentOf(folder) == before) << Describe(c) << ": the folder changed";
            return;
        }
        EXPECT_EQ(qmtest::ShellClassInfoLines(folder),
                  (std::vector<std::wstring>{L"IconFile=" + source, L"IconIndex=" + std::to_wstring(kChosen),
                                             L"Infotip=Earlier tip", L"ConfirmFileOp=0"}))
            << Describe(c);
        EXPECT_TRUE(CopiesIn(folder).empty()) << Describe(c);
    }

    qmtest::ProgramFolderGuard program_;
    qmtest::ScopedCurrentLanguage english_{L"English"};
    qmtest::TempDir files_{L"gone"};
};

// The picker opened from the change-icon page lists a library; the library is damaged; the list is
// scrolled and repainted; an icon is selected and Select pressed; then Apply on the page.
TEST_F(IconSourceGone, PickerSelectsFromTheListItReadAndThePageAppliesOrStops) {
    int n = 0;
    for (const Case& c : AllCases()) {
        SCOPED_TRACE(Describe(c));
        const std::wstring folder = CustomizedFolder(L"page" + std::to_wstring(n));
        const std::wstring source = files_ / (L"listed" + std::to_wstring(n++) + L".icl");
        qmtest::WriteBytes(source, LibraryBytes(c.source));
        program_.Settings().SetCopyIco(c.copyMode ? L"1" : L"0");

        qm::TForm2 form(folder);
        form.Show();
        ASSERT_EQ(form.t_Tip->Text(), L"Earlier tip");
        bool driven = false;
        std::vector<std::uint32_t> chosenIcon;
        qmtest::InsideModalLoop inside([&] {
            qm::TForm1* picker = qmtest::OpenPicker();
            if (!picker) return;
            driven = true;
            picker->cb_FileName->SetText(source);
            qmtest::Click(*picker->Button1);
            ASSERT_EQ(picker->ListView1->Count(), kIcons);
            const ListEnds before = ScrollThrough(*picker->ListView1);
            const std::vector<std::uint32_t> themes = Shown(picker->ListBox1->Handle());
            Damage(source, c.fault);

            // Scrolled both ways and repainted: the same pictures as before, from memory.
            const ListEnds after = ScrollThrough(*picker->ListView1);
            EXPECT_TRUE(after.first == before.first);
            EXPECT_TRUE(after.last == before.last);
            EXPECT_TRUE(Shown(picker->ListBox1->Handle()) == themes);
            EXPECT_EQ(picker->ListView1->Count(), kIcons);

            qmtest::SelectItem(*picker->ListView1, kChosen);
            ui::Bitmap expected(48, 48);
            expected.GetCanvas().FillRect(RECT{0, 0, 48, 48}, ui::kWhite);
            ImageList_Draw(picker->ImageList1->Handle(), kChosen, expected.Dc(), 0, 0, ILD_TRANSPARENT);
            for (int y = 0; y < 48; ++y)
                for (int x = 0; x < 48; ++x) chosenIcon.push_back(expected.Pixel(x, y));
            qmtest::Click(*picker->Button2);
            if (IsWindowVisible(picker->Handle())) picker->Close();
        });
        qmtest::Click(*form.b_SelIco);
        ASSERT_TRUE(driven);

        // Select handed the choice back with the picture it had read.
        EXPECT_EQ(form.Label8->Text(), source);
        EXPECT_EQ(form.Label9->Text(), std::to_wstring(kChosen));
        ASSERT_NE(form.Image3->Picture(), nullptr);
        int differ = 0;
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 48; ++x)
                differ += form.Image3->Picture()->Pixel(x, y) != chosenIcon[static_cast<std::size_t>(y) * 48 + x];
        EXPECT_EQ(differ, 0);
        EXPECT_GT(qmtest::InkPixels(*form.Image3->Picture(), 48, 48), 0);
        EXPECT_EQ(qm::ReadHistoryFile(program_.History()).front(), source);

        ApplyAndCheck(c, *form.b_Apply, folder, source);
        EXPECT_TRUE(IsWindowVisible(form.Handle()));  // the page stays open either way
        form.Close();
    }
}

// A folder whose desktop.ini already names a file that is gone (a library deleted since, or its
// own copy removed by hand): Apply on the page with only a new tooltip writes the same keys again
// in copy mode, as before; only a new choice of a file that is gone stops.
TEST_F(IconSourceGone, AFolderAlreadyNamingAFileThatIsGoneTakesANewTooltip) {
    program_.Settings().SetCopyIco(L"1");
    const struct {
        const wchar_t* name;
        std::wstring iconFile;
    } cases[] = {{L"linked", files_ / L"deleted since.icl"}, {L"copied", L"OstrelQuillmark3_4075.ico"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(qm::WideToUtf8(c.name));
        const std::wstring folder = files_.MakeFolder(c.name);
        qmtest::WriteUtf16File(folder + L"\\desktop.ini",
                               L"[.ShellClassInfo]\r\nIconFile=" + c.iconFile + L"\r\nIconIndex=3\r\nInfotip=Old\r\n");
        qm::TForm2 form(folder);
        form.Show();
        ASSERT_EQ(form.Label8->Text(), c.iconFile);
        qmtest::TypeText(*form.t_Tip, L"New");
        qmtest::MessageBoxWatcher boxes;
        qmtest::Click(*form.b_Apply);
        qmtest::PumpMessages();
        EXPECT_TRUE(boxes.Texts().empty());
        EXPECT_EQ(
            qmtest::ShellClassInfoLines(folder),
            (std::vector<std::wstring>{L"IconFile=" + c.iconFile, L"IconIndex=3", L"Infotip=New", L"ConfirmFileOp=0"}));
        form.Close();
    }
}

// The custom icon window lists a theme of the store; the theme file is damaged; the lists are
// scrolled and repainted; an icon is picked and Apply pressed.
TEST_F(IconSourceGone, CustomIconWindowAppliesOrStopsAndStaysOpen) {
    int n = 0;
    for (const Case& c : AllCases()) {
        SCOPED_TRACE(Describe(c));
        const std::wstring folder = CustomizedFolder(L"custom" + std::to_wstring(n));
        const std::wstring source = program_.Store() + L"Listed" + std::to_wstring(n++) + L".icl";
        for (const std::wstring& name : qmtest::ListFolder(program_.Store()))
            DeleteFileW((program_.Store() + name).c_str());
        qmtest::WriteBytes(source, LibraryBytes(c.source));
        program_.Settings().SetCopyIco(c.copyMode ? L"1" : L"0");

        qm::TfCustomIcon window(folder);
        window.Show();
        ASSERT_EQ(window.t_Tip->Text(), L"Earlier tip");
        ASSERT_EQ(window.ListBox1->Count(), 1);
        qmtest::ClickItem(*window.ListBox1, 0);
        ASSERT_EQ(window.cb_FileName->Text(), source);
        ASSERT_EQ(window.ListView1->Count(), kIcons);
        const ListEnds before = ScrollThrough(*window.ListView1);
        const std::vector<std::uint32_t> themes = Shown(window.ListBox1->Handle());
        Damage(source, c.fault);

        const ListEnds after = ScrollThrough(*window.ListView1);
        EXPECT_TRUE(after.first == before.first);
        EXPECT_TRUE(after.last == before.last);
        EXPECT_TRUE(Shown(window.ListBox1->Handle()) == themes);  // the theme's strip too
        qmtest::SelectItem(*window.ListView1, kChosen);

        ApplyAndCheck(c, *window.bApply, folder, source);
        // A successful apply closes the window; after an error it stays open for another choice.
        EXPECT_EQ(IsWindowVisible(window.Handle()) != 0, !ExpectedFor(c).applied) << Describe(c);
        window.Close();
    }
}

}  // namespace
