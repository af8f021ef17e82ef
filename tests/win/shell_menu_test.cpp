// The folder menu as Explorer gets it: the class created through the registry, Initialize with a
// CF_HDROP data object, QueryContextMenu into a real menu, read back with GetMenuItemInfoW.
#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "core/base/handles_win.h"
#include "tests/support/com_client_win.h"
#include "tests/support/icon_fixtures.h"

using qmtest::MenuItem;
using qmtest::ShellMenuHost;

namespace {

constexpr UINT kFirst = 100;

// One installation, registered once; each test picks its theme through the settings file.
class ShellMenu : public testing::Test {
protected:
    static void SetUpTestSuite() {
        qmtest::RemoveQuillshellRegistration();
        install_ = new qmtest::ShellInstall();
        ASSERT_EQ(qmtest::RunRegsvr32(install_->dll(), false), 0u);
    }
    static void TearDownTestSuite() {
        CoFreeUnusedLibrariesEx(0, 0);
        qmtest::RemoveQuillshellRegistration();
        delete install_;
        install_ = nullptr;
    }
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(com_.result()));
        ASSERT_EQ(host_.Create(), S_OK);
    }
    void UseTheme(int icons) {
        install_->SetTheme(L"Theme" + std::to_wstring(icons) + L".icl", qmtest::ThemeLibrary(icons));
    }
    std::vector<MenuItem> Submenu() {
        const auto top = qmtest::ReadMenu(host_.menu());
        if (top.size() != 1 || !top[0].submenu) return {};
        return qmtest::ReadMenu(top[0].submenu);
    }

    static qmtest::ShellInstall* install_;
    qmtest::ComApartment com_;
    qmtest::TempDir work_{L"qmfolders"};
    ShellMenuHost host_;
};
qmtest::ShellInstall* ShellMenu::install_ = nullptr;

// The icons that a column break stands before, for a theme of n icons.
struct BreakCase {
    int icons;
    std::vector<int> iconsAfterBreak;
};

std::vector<int> ThirteenBreaks() {
    std::vector<int> v;
    for (int k = 0; k < 13; ++k) v.push_back(20 + 23 * k);  // 20, 43, 66, ..., 296
    return v;
}

TEST_F(ShellMenu, SubmenuHoldsTheCommandsTheSeparatorAndOneEntryPerIconInColumns) {
    const std::vector<BreakCase> cases = {
        {0, {}}, {1, {}}, {24, {}}, {25, {20}}, {45, {20, 43}}, {309, ThirteenBreaks()}, {1000, ThirteenBreaks()},
    };
    const std::wstring folder = work_.MakeFolder(L"My Files");
    for (const BreakCase& c : cases) {
        SCOPED_TRACE(c.icons);
        UseTheme(c.icons);
        ShellMenuHost host;
        ASSERT_EQ(host.Create(), S_OK);
        ASSERT_EQ(host.InitializeWithFolders({folder}), S_OK);
        const HRESULT hr = host.QueryContextMenu(CMF_NORMAL, kFirst);
        ASSERT_TRUE(SUCCEEDED(hr));
        EXPECT_EQ(HRESULT_CODE(hr), c.icons + 5);

        const auto top = qmtest::ReadMenu(host.menu());
        ASSERT_EQ(top.size(), 1u);
        EXPECT_EQ(top[0].text, L"Quillmark");
        EXPECT_EQ(top[0].id, kFirst);
        EXPECT_EQ(top[0].type, static_cast<UINT>(MFT_STRING));
        EXPECT_TRUE(top[0].state & MFS_CHECKED);
        ASSERT_NE(top[0].submenu, nullptr);
        ASSERT_NE(top[0].checked, nullptr);
        EXPECT_EQ(top[0].unchecked, top[0].checked);
        const HBITMAP checkMark = top[0].checked;
        // The check-mark art at the menu check size, a 32-bit DIB section (its pixels: below).
        const auto mark = qmtest::ReadDibSection(checkMark);
        EXPECT_EQ(mark.width, GetSystemMetrics(SM_CXMENUCHECK));
        EXPECT_EQ(mark.height, GetSystemMetrics(SM_CYMENUCHECK));
        ASSERT_EQ(mark.bitCount, 32);

        const auto items = qmtest::ReadMenu(top[0].submenu);
        ASSERT_EQ(items.size(), c.icons + 5 + c.iconsAfterBreak.size());
        const wchar_t* captions[] = {L"Select custom icon...", L"Reset", L"Change Theme...", L"About Quillmark..."};
        for (UINT i = 0; i < 4; ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(items[i].text, captions[i]);
            EXPECT_EQ(items[i].id, kFirst + 1 + i);
            EXPECT_EQ(items[i].type, static_cast<UINT>(MFT_STRING));
            EXPECT_TRUE(items[i].state & MFS_CHECKED);
            EXPECT_EQ(items[i].checked, checkMark);
            EXPECT_EQ(items[i].unchecked, checkMark);
        }
        EXPECT_TRUE(items[4].IsSeparator());
        EXPECT_FALSE(items[4].IsColumnBreak());

        std::vector<int> breaksBefore;
        std::set<HBITMAP> pictures;
        int icon = 0;
        for (std::size_t pos = 5; pos < items.size(); ++pos) {
            const MenuItem& item = items[pos];
            if (item.IsSeparator()) {
                EXPECT_TRUE(item.IsColumnBreak()) << pos;
                breaksBefore.push_back(icon);
                continue;
            }
            SCOPED_TRACE(icon);
            EXPECT_EQ(item.text, std::to_wstring(icon));
            EXPECT_EQ(item.id, kFirst + 5 + static_cast<UINT>(icon));
            EXPECT_EQ(item.state, 0u);
            ASSERT_NE(item.bitmap, nullptr);
            pictures.insert(item.bitmap);
            ++icon;
        }
        EXPECT_EQ(icon, c.icons);
        EXPECT_EQ(breaksBefore, c.iconsAfterBreak);
        EXPECT_EQ(pictures.size(), static_cast<std::size_t>(c.icons));  // a picture of its own each
        if (c.icons > 0) {
            const auto picture = qmtest::ReadDibSection(*pictures.begin());
            EXPECT_EQ(picture.width, GetSystemMetrics(SM_CXSMICON));
            EXPECT_EQ(picture.height, GetSystemMetrics(SM_CYSMICON));
            EXPECT_EQ(picture.bitCount, 32);
        }
    }
}

TEST_F(ShellMenu, IconPicturesAre32BitPremultipliedDibsTransparentAtAlphaZero) {
    // Icon 0: a 16x16 true-colour image whose top-left pixel is transparent by its alpha.
    auto alphaIco = qmtest::MakeIcoFile({qmtest::ImageSpec{16, 16, 32, 7}});
    const std::size_t image = 6 + 16;
    const std::size_t topRow = image + 40 + 15 * 64;  // rows are stored bottom-up
    const std::size_t maskTopRow = image + 40 + 16 * 64 + 15 * 4;
    alphaIco[topRow + 3] = 0;      // alpha of pixel (0, 0)
    alphaIco[maskTopRow] |= 0x80;  // and its mask bit
    const std::uint32_t opaque = 0xFF000000u | alphaIco[topRow + 4] | (alphaIco[topRow + 5] << 8) |
                                 (alphaIco[topRow + 6] << 16);  // pixel (1, 0)
    // Icon 1: a 16-colour image whose top-left pixel is transparent by its AND mask.
    auto maskIco = qmtest::MakeIcoFile({qmtest::ImageSpec{16, 16, 4, 3}});
    const std::size_t palette = image + 40;
    const std::size_t maskedTopRow = palette + 64 + 15 * 8;
    maskIco[palette + 64 + 16 * 8 + 15 * 4] |= 0x80;         // mask bit of pixel (0, 0)
    const std::size_t index = maskIco[maskedTopRow] & 0x0F;  // pixel (1, 0)
    const std::uint32_t fromPalette = 0xFF000000u | maskIco[palette + 4 * index] |
                                      (maskIco[palette + 4 * index + 1] << 8) |
                                      (maskIco[palette + 4 * index + 2] << 16);
    install_->SetTheme(L"Picture.icl", qmtest::ThemeLibrary(2, {alphaIco, maskIco}));

    ASSERT_EQ(host_.InitializeWithFolders({work_.MakeFolder(L"f")}), S_OK);
    ASSERT_EQ(HRESULT_CODE(host_.QueryContextMenu()), 7);
    const auto items = Submenu();
    ASSERT_EQ(items.size(), 7u);
    const struct {
        HBITMAP bitmap;
        std::uint32_t pixel1;
    } cases[] = {{items[5].bitmap, opaque}, {items[6].bitmap, fromPalette}};
    for (const auto& c : cases) {
        const auto picture = qmtest::ReadDibSection(c.bitmap);
        ASSERT_EQ(picture.bitCount, 32);
        ASSERT_EQ(picture.width, GetSystemMetrics(SM_CXSMICON));
        ASSERT_EQ(picture.height, GetSystemMetrics(SM_CYSMICON));
        EXPECT_EQ(picture.At(0, 0), 0u);  // transparent: alpha 0, no colour
        EXPECT_EQ(picture.At(1, 0), c.pixel1);
        for (std::uint32_t px : picture.bgra) {
            const std::uint32_t a = px >> 24;
            EXPECT_TRUE((px & 0xFF) <= a && ((px >> 8) & 0xFF) <= a && ((px >> 16) & 0xFF) <= a) << std::hex << px;
        }
    }
}

// The check-mark art's background (the palette's grey 192,192,192 in the bitmap resource) is
// transparent in the 32-bit art the menu gets, so that no grey box shows on white or dark menus;
// the folder and the brush stay opaque.
TEST_F(ShellMenu, CheckMarkArtIsTransparentWhereItsGreyBackgroundWas) {
    UseTheme(0);
    ASSERT_EQ(host_.InitializeWithFolders({work_.MakeFolder(L"f")}), S_OK);
    ASSERT_EQ(HRESULT_CODE(host_.QueryContextMenu()), 5);
    const auto top = qmtest::ReadMenu(host_.menu());
    ASSERT_EQ(top.size(), 1u);
    const auto mark = qmtest::ReadDibSection(top[0].checked);
    ASSERT_EQ(mark.bitCount, 32);
    ASSERT_GT(mark.width, 2);
    // The art's top corners are background; the folder fills most of its middle row.
    EXPECT_EQ(mark.At(0, 0), 0u) << std::hex << mark.At(0, 0);
    EXPECT_EQ(mark.At(mark.width - 1, 0), 0u) << std::hex << mark.At(mark.width - 1, 0);
    EXPECT_EQ(mark.At(mark.width / 2, mark.height / 2) >> 24, 0xFFu);
    int transparent = 0, opaque = 0, grey = 0;
    for (std::uint32_t px : mark.bgra) {
        const std::uint32_t a = px >> 24;
        transparent += a == 0;
        opaque += a == 0xFF;
        grey += (px & 0xFFFFFFu) == 0xC0C0C0u && a == 0xFF;
        EXPECT_TRUE((px & 0xFF) <= a && ((px >> 8) & 0xFF) <= a && ((px >> 16) & 0xFF) <= a) << std::hex << px;
        if (a == 0) {
            EXPECT_EQ(px, 0u);  // premultiplied: no colour where nothing shows
        }
    }
    EXPECT_EQ(grey, 0);
    EXPECT_GT(transparent, mark.width);  // the art's background: more than a row of it
    EXPECT_GT(opaque, mark.width * mark.height / 3);
}

TEST_F(ShellMenu, VerbsOnlyAddsNothing) {
    UseTheme(3);
    ASSERT_EQ(host_.InitializeWithFolders({work_.MakeFolder(L"f")}), S_OK);
    EXPECT_EQ(host_.QueryContextMenu(CMF_VERBSONLY), E_FAIL);
    EXPECT_EQ(GetMenuItemCount(host_.menu()), 0);
    EXPECT_EQ(host_.QueryContextMenu(CMF_VERBSONLY | CMF_EXPLORE), E_FAIL);
    EXPECT_EQ(GetMenuItemCount(host_.menu()), 0);
    // Other flags are not consulted.
    EXPECT_EQ(HRESULT_CODE(host_.QueryContextMenu(CMF_EXPLORE | CMF_CANRENAME | CMF_EXTENDEDVERBS)), 8);
}

// A double-click asks for the default verb with CMF_DEFAULTONLY: a handler that does not change
// the default item adds nothing then, whatever other flags come with it.
TEST_F(ShellMenu, DefaultOnlyAddsNothingAndUsesNoIdentifier) {
    UseTheme(3);
    ASSERT_EQ(host_.InitializeWithFolders({work_.MakeFolder(L"f")}), S_OK);
    for (const UINT flags : {UINT{CMF_DEFAULTONLY}, UINT{CMF_DEFAULTONLY | CMF_EXPLORE},
                             UINT{CMF_DEFAULTONLY | CMF_ITEMMENU | CMF_EXTENDEDVERBS}}) {
        SCOPED_TRACE(flags);
        const HRESULT hr = host_.QueryContextMenu(flags);
        EXPECT_EQ(hr, MAKE_HRESULT(SEVERITY_SUCCESS, FACILITY_NULL, 0));
        EXPECT_EQ(GetMenuItemCount(host_.menu()), 0);
    }
    // The same object still builds the whole menu when asked without it.
    EXPECT_EQ(HRESULT_CODE(host_.QueryContextMenu(CMF_NORMAL)), 8);
}

TEST_F(ShellMenu, SubmenuEntryGoesToTheShellsPosition) {
    UseTheme(0);
    ASSERT_EQ(host_.InitializeWithFolders({work_.MakeFolder(L"f")}), S_OK);
    HMENU menu = CreatePopupMenu();
    for (UINT i = 0; i < 3; ++i) AppendMenuW(menu, MF_STRING, 1 + i, (L"shell " + std::to_wstring(i)).c_str());
    ASSERT_EQ(HRESULT_CODE(host_.menuHandler()->QueryContextMenu(menu, 1, 200, 0x7FFF, CMF_NORMAL)), 5);
    const auto items = qmtest::ReadMenu(menu);
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[0].text, L"shell 0");
    EXPECT_EQ(items[1].text, L"Quillmark");
    EXPECT_EQ(items[1].id, 200u);
    EXPECT_EQ(items[2].text, L"shell 1");
    DestroyMenu(menu);
}

TEST_F(ShellMenu, IdentifiersStayWithinTheShellsRange) {
    UseTheme(25);
    ASSERT_EQ(host_.InitializeWithFolders({work_.MakeFolder(L"f")}), S_OK);
    // Room for the five fixed identifiers and ten icons.
    ASSERT_EQ(HRESULT_CODE(host_.QueryContextMenu(CMF_NORMAL, kFirst, kFirst + 14)), 15);
    UINT highest = 0;
    int icons = 0;
    for (const auto& item : Submenu()) {
        if (item.IsSeparator()) continue;
        highest = std::max(highest, item.id);
        if (item.id >= kFirst + 5) ++icons;
    }
    EXPECT_EQ(highest, kFirst + 14);
    EXPECT_EQ(icons, 10);
    // Not even room for the commands: nothing is added.
    EXPECT_EQ(host_.QueryContextMenu(CMF_NORMAL, kFirst, kFirst + 3), E_FAIL);
    EXPECT_EQ(GetMenuItemCount(host_.menu()), 0);
}

TEST_F(ShellMenu, CaptionsComeFromTheCurrentLanguage) {
    UseTheme(0);
    qmtest::TempDir unused;
    const std::wstring langs = install_->folder() + L"\\langs";
    CreateDirectoryW(langs.c_str(), nullptr);
    qmtest::WriteUtf16File(langs + L"\\Deutsch.ini",
                           L"[Dict]\r\nReset=Zur\x00fc"
                           L"cksetzen\r\nAbout Quillmark=\x00dc"
                           L"ber Quillmark\r\n");
    install_->WriteSetting(L"Translate", L"CurLang", L"Deutsch.ini");
    ASSERT_EQ(host_.InitializeWithFolders({work_.MakeFolder(L"f")}), S_OK);
    ASSERT_EQ(HRESULT_CODE(host_.QueryContextMenu()), 5);
    const auto items = Submenu();
    ASSERT_EQ(items.size(), 5u);
    EXPECT_EQ(items[0].text, L"Select custom icon ...");  // no line: normalised English
    EXPECT_EQ(items[1].text,
              L"Zur\x00fc"
              L"cksetzen");
    EXPECT_EQ(items[3].text,
              L"\x00dc"
              L"ber Quillmark ...");
    EXPECT_EQ(qmtest::ReadMenu(host_.menu())[0].text, L"Quillmark");  // never translated
    install_->WriteSetting(L"Translate", L"CurLang", L"English");
}

TEST_F(ShellMenu, InitializeAcceptsExactlyOneExistingFolder) {
    const std::wstring folder = work_.MakeFolder(L"One Folder");
    const std::wstring other = work_.MakeFolder(L"Other");
    const std::wstring file = work_ / L"file.txt";
    qmtest::WriteAnsiFile(file, "x");
    struct Case {
        const char* what;
        std::vector<std::uint8_t> block;
        HRESULT expected;
    };
    const std::vector<Case> cases = {
        {"one folder", qmtest::DropBlock({folder}), S_OK},
        {"one folder, ANSI names", qmtest::DropBlock({folder}, false), S_OK},
        {"two folders", qmtest::DropBlock({folder, other}), E_FAIL},
        {"a file", qmtest::DropBlock({file}), E_FAIL},
        {"a missing folder", qmtest::DropBlock({work_ / L"missing"}), E_FAIL},
        {"no names", qmtest::DropBlock({}), E_FAIL},
        {"an empty name", qmtest::DropBlock({L""}), E_FAIL},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ShellMenuHost host;
        ASSERT_EQ(host.Create(), S_OK);
        auto data = qmtest::MakeDropDataObject(c.block);
        EXPECT_EQ(host.Initialize(data.get()), c.expected);
    }
}

TEST_F(ShellMenu, MalformedOrMissingDropDataIsRefused) {
    const std::wstring folder = work_.MakeFolder(L"f");
    auto good = qmtest::DropBlock({folder});
    std::vector<std::vector<std::uint8_t>> blocks;
    blocks.push_back(std::vector<std::uint8_t>(good.begin(), good.begin() + 10));  // shorter than the header
    auto beyond = good;
    qmtest::Put32(beyond, 0, static_cast<std::uint32_t>(good.size() + 100));  // names beyond the block
    blocks.push_back(beyond);
    blocks.push_back(std::vector<std::uint8_t>(good.begin(), good.end() - 4));  // no final zeros
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        SCOPED_TRACE(i);
        auto data = qmtest::MakeDropDataObject(blocks[i]);
        EXPECT_EQ(host_.Initialize(data.get()), E_FAIL);
    }
    // The data object's own error comes back unchanged; no data object at all fails.
    auto empty = qmtest::MakeEmptyDataObject();
    EXPECT_EQ(host_.Initialize(empty.get()), DV_E_FORMATETC);
    EXPECT_EQ(host_.Initialize(nullptr), E_FAIL);
}

TEST_F(ShellMenu, LongNameIsTakenWholeNotCutToAShorterFolder) {
    // A folder whose path is just under 260 characters, and a name that runs on past 260 into a
    // sub-folder that does not exist. Cut at 259 characters the name would be the existing folder.
    const std::wstring base = work_.path() + L"\\";
    const std::size_t room = 259 - base.size();
    ASSERT_LT(room, 250u);
    const std::wstring cutFolder = work_.MakeFolder(std::wstring(room, L'c'));
    ASSERT_EQ(cutFolder.size(), 259u);
    const std::wstring longName = cutFolder + L"\\not here";
    auto data = qmtest::MakeDropDataObject(qmtest::DropBlock({longName}));
    EXPECT_EQ(host_.Initialize(data.get()), E_FAIL);
    auto whole = qmtest::MakeDropDataObject(qmtest::DropBlock({cutFolder}));
    EXPECT_EQ(host_.Initialize(whole.get()), S_OK);
}

TEST_F(ShellMenu, SecondMenuOfOneObjectKeepsTheFirstMenusPictures) {
    UseTheme(2);
    ASSERT_EQ(host_.InitializeWithFolders({work_.MakeFolder(L"f")}), S_OK);
    HMENU first = CreatePopupMenu();
    ASSERT_EQ(HRESULT_CODE(host_.menuHandler()->QueryContextMenu(first, 0, 1, 0x7FFF, CMF_NORMAL)), 7);
    ASSERT_EQ(HRESULT_CODE(host_.QueryContextMenu()), 7);
    const auto firstItems = qmtest::ReadMenu(qmtest::ReadMenu(first)[0].submenu);
    EXPECT_EQ(qmtest::ReadBitmap(firstItems[5].bitmap).width, 16);  // still a live bitmap
    EXPECT_NE(firstItems[5].bitmap, Submenu()[5].bitmap);
    DestroyMenu(first);
}

}  // namespace

TEST(DropBlockLock, OneLockForTheOwnersLifeHandedOnWhenMoved) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 64);
    ASSERT_NE(block, nullptr);
    auto locks = [block] { return GlobalFlags(block) & GMEM_LOCKCOUNT; };
    {
        qm::GlobalLockView view(block);
        ASSERT_TRUE(view);
        EXPECT_EQ(locks(), 1u);
        EXPECT_GE(view.size(), 64u);
        qm::GlobalLockView moved(std::move(view));
        EXPECT_FALSE(view);
        EXPECT_NE(moved.data(), nullptr);
        EXPECT_EQ(locks(), 1u);
    }
    EXPECT_EQ(locks(), 0u);
    EXPECT_FALSE(qm::GlobalLockView(nullptr));
    EXPECT_EQ(GlobalFree(block), nullptr);
}
