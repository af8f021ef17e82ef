// Page 1 of the main window run for real: choosing a folder through the folder-browser seam and
// reading its customization back, the preview, the icon picker opened from the page, Apply in copy
// and link mode checked on disk, Reset, and the warnings read from the real message boxes.
#include <gtest/gtest.h>

#include "app/main_window/main_window_win.h"
#include "core/folder/folder_customization.h"
#include "core/folder/folder_files_win.h"
#include "core/icons/icon_library_win.h"
#include "tests/gui/picker_test_support.h"
#include "tests/support/folder_fixtures_win.h"
#include "tests/support/gui_driver_win.h"
#include "tests/support/message_box_watcher_win.h"
#include "ui/dialogs_win.h"

namespace {

using qm::TForm2;
using qmtest::CopiesIn;
using qmtest::FolderBrowserAnswer;

std::wstring IniValue(const std::wstring& folder, const wchar_t* key) {
    wchar_t buf[2048] = {};
    GetPrivateProfileStringW(L".ShellClassInfo", key, L"<missing>", buf, 2048, (folder + L"\\desktop.ini").c_str());
    return buf;
}

// The picture of icon `index` of `file` as the preview draws it: white 51 x 50, the icon at (0, 0).
std::unique_ptr<ui::Bitmap> ExpectedPreview(const std::wstring& file, int index) {
    auto b = std::make_unique<ui::Bitmap>(51, 50);
    b->GetCanvas().FillRect(RECT{0, 0, 51, 50}, ui::kWhite);
    qm::IconLibrary library;
    if (library.Open(file)) {
        qm::UniqueIcon icon = qm::MakeLargeLibraryIcon(library, index);
        if (icon) b->GetCanvas().DrawIcon(0, 0, icon.get());
    }
    return b;
}

int DifferingPixels(const ui::Bitmap& a, const ui::Bitmap& b, int w, int h) {
    int n = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) n += a.Pixel(x, y) != b.Pixel(x, y);
    return n;
}

class ChangeIconPage : public testing::Test {
protected:
    void SetUp() override { ui::App().SetTitle(L"Quillmark"); }

    std::wstring Library(const std::wstring& name, int count) {
        const std::wstring path = files_ / name;
        qmtest::WriteBytes(path, qmtest::MakeNeLibrary(count));
        return path;
    }
    std::wstring Folder(const std::wstring& name) { return files_.MakeFolder(name); }
    void ChooseFolder(TForm2& form, const std::wstring& folder) {
        FolderBrowserAnswer answer(folder);
        qmtest::Click(*form.b_SelFolder);
        ASSERT_EQ(answer.requests.size(), 1u);
    }
    // Opens the picker from the page, picks icon `index` of `library` and presses Select.
    void PickIcon(TForm2& form, const std::wstring& library, int index) {
        bool driven = false;
        qmtest::InsideModalLoop inside([&] {
            qm::TForm1* picker = qmtest::OpenPicker();
            if (!picker) return;
            driven = true;
            EXPECT_EQ(GetWindow(picker->Handle(), GW_OWNER), form.Handle());
            EXPECT_FALSE(IsWindowEnabled(form.Handle()));
            picker->cb_FileName->SetText(library);
            qmtest::Click(*picker->Button1);
            qmtest::SelectItem(*picker->ListView1, index);
            qmtest::Click(*picker->Button2);
            if (IsWindowVisible(picker->Handle())) picker->Close();
        });
        qmtest::Click(*form.b_SelIco);
        EXPECT_TRUE(driven);
        EXPECT_TRUE(IsWindowEnabled(form.Handle()));
    }

    qmtest::ProgramFolderGuard program_;
    qmtest::ScopedCurrentLanguage english_{L"English"};
    qmtest::TempDir files_{L"page1"};
};

TEST_F(ChangeIconPage, ChoosingAFolderReadsItsTooltipAndIconBackAndPreviewsIt) {
    const std::wstring lib = Library(L"themes.icl", 4);
    const std::wstring folder = Folder(L"Linked");
    qmtest::WriteUtf16File(folder + L"\\desktop.ini",
                           L"[.ShellClassInfo]\r\nIconFile=" + lib + L"\r\nIconIndex=1\r\nInfotip=Holiday photos\r\n");
    TForm2 form;
    form.Show();
    FolderBrowserAnswer answer(folder);
    qmtest::Click(*form.b_SelFolder);
    ASSERT_EQ(answer.requests.size(), 1u);
    EXPECT_EQ(answer.requests[0].owner, form.Handle());
    EXPECT_EQ(answer.requests[0].title, L"Select folder");
    EXPECT_EQ(answer.requests[0].flags, 1u);  // BIF_RETURNONLYFSDIRS
    EXPECT_EQ(form.t_Folder->Text(), folder);
    EXPECT_EQ(form.Label8->Text(), lib);
    EXPECT_EQ(form.Label9->Text(), L"1");
    EXPECT_EQ(form.t_Tip->Text(), L"Holiday photos");
    EXPECT_FALSE(form.Label8->Visible());
    EXPECT_FALSE(form.Label9->Visible());
    ASSERT_NE(form.Image3->Picture(), nullptr);
    EXPECT_GT(qmtest::InkPixels(*form.Image3->Picture(), 48, 48), 0);
    EXPECT_EQ(DifferingPixels(*form.Image3->Picture(), *ExpectedPreview(lib, 1), 51, 50), 0);
    EXPECT_NE(DifferingPixels(*form.Image3->Picture(), *ExpectedPreview(lib, 0), 51, 50), 0);
    qmtest::PumpMessages();
    EXPECT_FALSE(qmtest::SaveScreenshot(form.Handle(), L"change_icon_page_preview").empty());
}

TEST_F(ChangeIconPage, ReadBackCases) {
    const std::wstring lib = Library(L"themes.icl", 2);
    const std::wstring plain = Folder(L"Plain"), copied = Folder(L"Copied"), odd = Folder(L"Odd"),
                       start = Folder(L"Start");
    qmtest::WriteUtf16File(copied + L"\\desktop.ini",
                           L"[.ShellClassInfo]\r\nIconFile=OstrelQuillmark3_4075.ico\r\nIconIndex=0\r\nInfotip=x\r\n");
    qmtest::WriteBytes(copied + L"\\OstrelQuillmark3_4075.ico", qmtest::MakeIcoFile({{32, 32, 32, 7}}));
    qmtest::WriteUtf16File(odd + L"\\desktop.ini",
                           L"[.ShellClassInfo]\r\nIconFile=" + lib + L"\r\nIconIndex=one\r\nInfotip=y\r\n");
    qmtest::WriteUtf16File(start + L"\\desktop.ini",
                           L"[.ShellClassInfo]\r\nIconFile=" + lib + L"\r\nIconIndex=0\r\nInfotip=start\r\n");
    const struct {
        std::wstring folder, file, index, tip;
        std::wstring previewed;  // the icon file the preview shows icon 0 of; empty: blank
    } cases[] = {
        // No desktop.ini: all three fields empty, the preview blank.
        {plain, L"", L"", L"", L""},
        // A copy-mode folder: the bare copy name is kept as read and previewed from the folder.
        {copied, L"OstrelQuillmark3_4075.ico", L"0", L"x", copied + L"\\OstrelQuillmark3_4075.ico"},
        // A hand-edited index that is no number: the fields as read, the preview blank, no message.
        {odd, lib, L"one", L"y", L""},
    };
    TForm2 form;
    form.Show();
    ChooseFolder(form, start);
    ASSERT_GT(qmtest::InkPixels(*form.Image3->Picture(), 48, 48), 0);
    for (const auto& c : cases) {
        qmtest::MessageBoxWatcher boxes;
        ChooseFolder(form, c.folder);
        EXPECT_EQ(form.t_Folder->Text(), c.folder);
        EXPECT_EQ(form.Label8->Text(), c.file) << c.folder;
        EXPECT_EQ(form.Label9->Text(), c.index) << c.folder;
        EXPECT_EQ(form.t_Tip->Text(), c.tip) << c.folder;
        if (c.previewed.empty()) {
            EXPECT_EQ(qmtest::InkPixels(*form.Image3->Picture(), 51, 50), 0) << c.folder;
        } else {
            EXPECT_GT(qmtest::InkPixels(*form.Image3->Picture(), 51, 50), 0) << c.folder;
            EXPECT_EQ(DifferingPixels(*form.Image3->Picture(), *ExpectedPreview(c.previewed, 0), 51, 50), 0);
        }
        EXPECT_TRUE(boxes.Seen().empty());
    }
}

// The picker opened over a copy-mode folder lists the folder's copy, whatever the current folder.
TEST_F(ChangeIconPage, ThePickerOpensTheCopyOfACopyModeFolder) {
    const std::wstring copied = Folder(L"Copied");
    const std::wstring copy = copied + L"\\OstrelQuillmark3_4075.ico";
    qmtest::WriteUtf16File(copied + L"\\desktop.ini",
                           L"[.ShellClassInfo]\r\nIconFile=OstrelQuillmark3_4075.ico\r\nIconIndex=0\r\n");
    qmtest::WriteBytes(copy, qmtest::MakeIcoFile({{32, 32, 32, 7}}));
    TForm2 form;
    form.Show();
    ChooseFolder(form, copied);
    bool driven = false;
    qmtest::InsideModalLoop inside([&] {
        qm::TForm1* picker = qmtest::OpenPicker();
        if (!picker) return;
        driven = true;
        EXPECT_EQ(picker->cb_FileName->Text(), copy);
        EXPECT_EQ(picker->ListView1->Count(), 1);
        picker->Close();
    });
    qmtest::Click(*form.b_SelIco);
    EXPECT_TRUE(driven);
    EXPECT_EQ(form.Label8->Text(), L"OstrelQuillmark3_4075.ico");  // cancelled: the page keeps what it read
}

TEST_F(ChangeIconPage, CancellingTheFolderBrowserChangesNothing) {
    const std::wstring lib = Library(L"themes.icl", 2);
    const std::wstring folder = Folder(L"Kept");
    qmtest::WriteUtf16File(folder + L"\\desktop.ini",
                           L"[.ShellClassInfo]\r\nIconFile=" + lib + L"\r\nIconIndex=0\r\nInfotip=kept\r\n");
    TForm2 form;
    form.Show();
    ChooseFolder(form, folder);
    qmtest::TypeText(*form.t_Tip, L"edited");
    const auto before = ExpectedPreview(lib, 0);
    FolderBrowserAnswer cancel(std::nullopt);
    qmtest::Click(*form.b_SelFolder);
    ASSERT_EQ(cancel.requests.size(), 1u);
    EXPECT_EQ(form.t_Folder->Text(), folder);
    EXPECT_EQ(form.Label8->Text(), lib);
    EXPECT_EQ(form.Label9->Text(), L"0");
    EXPECT_EQ(form.t_Tip->Text(), L"edited");
    EXPECT_EQ(DifferingPixels(*form.Image3->Picture(), *before, 51, 50), 0);
}

TEST_F(ChangeIconPage, TheCommandLineFolderIsReadBackAtStart) {
    const std::wstring lib = Library(L"themes.icl", 3);
    const std::wstring folder = Folder(L"Argument");
    qmtest::WriteUtf16File(folder + L"\\desktop.ini", L"[.ShellClassInfo]\r\nIconFile=" + lib +
                                                          L"\r\nIconIndex=2\r\nInfotip=from the command line\r\n");
    TForm2 form(folder);
    form.Show();
    EXPECT_EQ(form.t_Folder->Text(), folder);
    EXPECT_EQ(form.Label8->Text(), lib);
    EXPECT_EQ(form.Label9->Text(), L"2");
    EXPECT_EQ(form.t_Tip->Text(), L"from the command line");
    EXPECT_EQ(DifferingPixels(*form.Image3->Picture(), *ExpectedPreview(lib, 2), 51, 50), 0);
}

TEST_F(ChangeIconPage, PickingTheThirdIconThenApplyingInCopyModeThenResetting) {
    const std::wstring lib = Library(L"five.icl", 5);
    const std::wstring folder = Folder(L"Holiday");
    program_.Settings().SetCopyIco(L"1");
    TForm2 form;
    form.Show();
    ChooseFolder(form, folder);
    PickIcon(form, lib, 2);
    EXPECT_EQ(form.Label8->Text(), lib);
    EXPECT_EQ(form.Label9->Text(), L"2");
    EXPECT_EQ(qm::ReadHistoryFile(program_.History()), std::vector<std::wstring>{lib});
    EXPECT_EQ(DifferingPixels(*form.Image3->Picture(), *ExpectedPreview(lib, 2), 48, 48), 0);
    qmtest::PumpMessages();
    EXPECT_FALSE(qmtest::SaveScreenshot(form.Handle(), L"change_icon_page_picked").empty());

    qmtest::TypeText(*form.t_Tip, L"Summer 2026");
    qmtest::AttributeRecorder attributes;
    qmtest::Click(*form.b_Apply);
    const qm::FolderCustomization applied = qm::ReadFolderCustomization(folder);
    const std::vector<std::wstring> copies = CopiesIn(folder);
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(applied.IconFile, copies[0]);
    EXPECT_EQ(applied.IconFile.rfind(L"OstrelQuillmark3_", 0), 0u);
    EXPECT_EQ(applied.IconIndex, L"0");
    EXPECT_EQ(applied.Infotip, L"Summer 2026");
    EXPECT_EQ(IniValue(folder, L"ConfirmFileOp"), L"0");
    // The copy holds the third icon of the library.
    qm::IconLibrary copy, source;
    ASSERT_TRUE(copy.Open(folder + L"\\" + copies[0]));
    ASSERT_TRUE(source.Open(lib));
    EXPECT_EQ(copy.GroupDirectory(0).size(), source.GroupDirectory(2).size());
    EXPECT_EQ(attributes.For(folder), std::vector<DWORD>{FILE_ATTRIBUTE_READONLY});
    EXPECT_EQ(attributes.For(folder + L"\\desktop.ini").back(), DWORD{FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM});
    EXPECT_EQ(attributes.For(folder + L"\\" + copies[0]),
              std::vector<DWORD>{FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM});
    EXPECT_TRUE(qmtest::Attributes(folder + L"\\" + copies[0]) & FILE_ATTRIBUTE_HIDDEN);

    attributes.Clear();
    qmtest::Click(*form.Button1);
    const qm::FolderCustomization reset = qm::ReadFolderCustomization(folder);
    EXPECT_EQ(reset.IconFile, L"");
    EXPECT_EQ(reset.IconIndex, L"");
    EXPECT_EQ(reset.Infotip, L"");
    EXPECT_EQ(IniValue(folder, L"IconFile"), L"");  // the key stays, empty
    EXPECT_EQ(IniValue(folder, L"ConfirmFileOp"), L"0");
    EXPECT_EQ(CopiesIn(folder), copies);  // the main window's reset leaves the copy
    EXPECT_EQ(attributes.For(folder), std::vector<DWORD>{FILE_ATTRIBUTE_READONLY});
}

TEST_F(ChangeIconPage, ApplyingInLinkModeNamesTheLibraryAndRemovesOldCopies) {
    const std::wstring lib = Library(L"five.icl", 5);
    const std::wstring folder = Folder(L"Work");
    qmtest::WriteBytes(folder + L"\\OstrelQuillmark3_1.ico", qmtest::MakeIcoFile({{32, 32, 32, 3}}));
    program_.Settings().SetCopyIco(L"0");
    TForm2 form;
    form.Show();
    ChooseFolder(form, folder);
    PickIcon(form, lib, 2);
    qmtest::AttributeRecorder attributes;
    qmtest::Click(*form.b_Apply);
    const qm::FolderCustomization applied = qm::ReadFolderCustomization(folder);
    EXPECT_EQ(applied.IconFile, lib);
    EXPECT_EQ(applied.IconIndex, L"2");
    EXPECT_TRUE(CopiesIn(folder).empty());
    EXPECT_EQ(attributes.For(folder), std::vector<DWORD>{FILE_ATTRIBUTE_READONLY});
    EXPECT_EQ(attributes.For(folder + L"\\desktop.ini").back(), DWORD{FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM});

    // Picking the folder again and applying without a new choice writes the same keys again.
    ChooseFolder(form, folder);
    EXPECT_EQ(form.Label8->Text(), lib);
    EXPECT_EQ(DifferingPixels(*form.Image3->Picture(), *ExpectedPreview(lib, 2), 51, 50), 0);
    qmtest::Click(*form.b_Apply);
    EXPECT_EQ(qm::ReadFolderCustomization(folder).IconFile, lib);
    EXPECT_EQ(qm::ReadFolderCustomization(folder).IconIndex, L"2");
}

// The hidden labels hold the page's icon file and number, not design texts: translating the window
// when it is shown leaves them as read back, and Apply writes them back unchanged.
TEST_F(ChangeIconPage, TranslationLeavesTheIconFileAndNumberAsReadBack) {
    struct Case {
        const wchar_t* language;  // nullptr: a language file of our own
        const wchar_t* why;
    };
    const Case cases[] = {
        {L"English", L"\"/n\" in the path would become a line break"},
        {L"Default", L"no language file: the lookup normalises and breaks lines"},
        {nullptr, L"the number and the path are keys of the language file"},
    };
    program_.Settings().SetCopyIco(L"0");
    Folder(L"new");
    // Forward slashes: the path holds "/n" as a language text marks a line break.
    const std::wstring lib = files_.path() + L"/new/themes.icl";
    qmtest::WriteBytes(lib, qmtest::MakeNeLibrary(3));
    qmtest::ScopedLanguageFile file(L"gui_state_labels.ini", L"[Dict]\r\n2=zwei\r\n" + lib + L"=elsewhere.icl\r\n");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        qmtest::ScopedCurrentLanguage language(c.language ? c.language : file.name());
        const std::wstring folder = Folder(std::wstring(L"Keys ") + (c.language ? c.language : L"file"));
        qmtest::WriteUtf16File(folder + L"\\desktop.ini",
                               L"[.ShellClassInfo]\r\nIconFile=" + lib + L"\r\nIconIndex=2\r\n");
        TForm2 form(folder);
        form.Show();
        EXPECT_EQ(form.Label8->Text(), lib);
        EXPECT_EQ(form.Label9->Text(), L"2");
        qmtest::MessageBoxWatcher boxes;  // a failing apply asks; answered, so the test goes on
        qmtest::Click(*form.b_Apply);
        EXPECT_EQ(boxes.Texts(), std::vector<std::wstring>{});
        const qm::FolderCustomization applied = qm::ReadFolderCustomization(folder);
        EXPECT_EQ(applied.IconFile, lib);
        EXPECT_EQ(applied.IconIndex, L"2");
    }
}

TEST_F(ChangeIconPage, ReapplyingACopyModeFolderKeepsItsIcon) {
    const std::wstring lib = Library(L"five.icl", 5);
    const std::wstring folder = Folder(L"Again");
    program_.Settings().SetCopyIco(L"1");
    TForm2 form;
    form.Show();
    ChooseFolder(form, folder);
    PickIcon(form, lib, 3);
    qmtest::Click(*form.b_Apply);
    const std::wstring first = qm::ReadFolderCustomization(folder).IconFile;
    ASSERT_EQ(CopiesIn(folder), std::vector<std::wstring>{first});
    const std::vector<std::uint8_t> icon = qmtest::ReadBytes(folder + L"\\" + first);

    // Read back: the bare copy name; Apply again with nothing new chosen.
    ChooseFolder(form, folder);
    EXPECT_EQ(form.Label8->Text(), first);
    qmtest::Click(*form.b_Apply);
    const qm::FolderCustomization again = qm::ReadFolderCustomization(folder);
    EXPECT_EQ(again.IconIndex, L"0");
    ASSERT_EQ(CopiesIn(folder), std::vector<std::wstring>{again.IconFile});
    EXPECT_EQ(qmtest::ReadBytes(folder + L"\\" + again.IconFile), icon);
}

TEST_F(ChangeIconPage, WarningsComeFromTheRealMessageBoxes) {
    const std::wstring folder = Folder(L"Nothing");
    program_.Settings().SetCopyIco(L"1");
    TForm2 form;
    form.Show();
    {
        // Scoped, so that this watcher is gone before the picker's box appears below.
        qmtest::MessageBoxWatcher boxes;
        qmtest::Click(*form.b_Apply);  // no folder
        qmtest::Click(*form.Button1);  // no folder
        ASSERT_TRUE(boxes.WaitForCount(2));
        for (const auto& box : boxes.Seen()) {
            EXPECT_EQ(box.caption, L"Warning");
            EXPECT_EQ(box.text, L"Please select folder");
        }
        EXPECT_TRUE(IsWindowEnabled(form.Handle()));
    }

    // A folder without an icon: the picker asks for one when Select is pressed without a choice.
    ChooseFolder(form, folder);
    bool asked = false;
    qmtest::InsideModalLoop inside([&] {
        qm::TForm1* picker = qmtest::OpenPicker();
        if (!picker) return;
        qmtest::MessageBoxWatcher pickerBoxes;
        qmtest::Click(*picker->Button2);
        asked = pickerBoxes.WaitForCount(1) && pickerBoxes.Seen()[0].text == L"Please select icon." &&
                pickerBoxes.Seen()[0].caption == L"Warning";
        EXPECT_FALSE(IsWindowEnabled(form.Handle()));  // the box did not release the main window
        qmtest::Click(*picker->b_Cancel);
    });
    qmtest::Click(*form.b_SelIco);
    EXPECT_TRUE(asked);
    EXPECT_EQ(form.Label8->Text(), L"");
    EXPECT_EQ(form.Label9->Text(), L"");

    // "Close" closes the main window.
    qmtest::Click(*form.b_Cancel);
    EXPECT_FALSE(IsWindowVisible(form.Handle()));
}

}  // namespace
