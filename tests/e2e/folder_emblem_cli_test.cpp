// quillmark-cli folder apply --emblem: the icon being applied (an icon of a library, a picture, a
// colour) gets the emblem in every image and becomes a made icon, always copied into the folder;
// an emblem file that cannot serve gives its message and changes nothing.
#include <gtest/gtest.h>

#include <map>

#include "core/base/long_path_win.h"
#include "core/base/text.h"
#include "core/folder/folder_files_win.h"
#include "core/folder/folder_mark_win.h"
#include "core/folder/folder_profiles.h"
#include "core/icons/icon_library.h"
#include "core/icons/icon_library_win.h"
#include "core/icons/marked_icon_win.h"
#include "tests/support/cli_runner_win.h"
#include "tests/support/process_win.h"
#include "tests/support/files_win.h"
#include "tests/support/folder_fixtures_win.h"
#include "tests/support/icon_fixtures.h"

namespace {

using namespace std::string_literals;
using qmtest::RunCli;

class FolderEmblemCliTest : public qmtest::FolderCliFixture {
protected:
    FolderEmblemCliTest() : FolderCliFixture(L"qm-emblem") {}

    // The folder's copy, rendered at size x size.
    qm::IconPixels CopyAt(const std::wstring& folder, int size) {
        const auto c = qm::ReadFolderCustomization(folder);
        EXPECT_TRUE(qm::IsCopyNameFor(qm::CallerProfile::MainWindow, c.IconFile)) << qm::WideToUtf8(c.IconFile);
        qm::IconLibrary copy;
        qm::IconPixels out;
        EXPECT_TRUE(copy.Open(folder + L"\\" + c.IconFile));
        EXPECT_TRUE(qm::RenderLibraryIcon(copy, 0, size, size, out));
        return out;
    }
};

// Icon `index` of a file (a negative index: the group of that resource id) at size x size.
qm::IconPixels Rendered(const std::wstring& file, int index, int size) {
    qm::IconLibrary library;
    qm::IconPixels out;
    EXPECT_TRUE(library.Open(file)) << qm::WideToUtf8(file);
    for (int i = 0; index < 0 && i < library.Count(); ++i)
        if (library.GroupName(i).isId && library.GroupName(i).id == -index) index = i;
    EXPECT_TRUE(qm::RenderLibraryIcon(library, index, size, size, out)) << qm::WideToUtf8(file) << "," << index;
    return out;
}

// Straight-alpha storage rounds premultiplied pixels by at most one step a channel.
bool Near(std::uint32_t a, std::uint32_t b) {
    for (int c = 0; c < 32; c += 8)
        if (std::abs(static_cast<int>((a >> c) & 0xFF) - static_cast<int>((b >> c) & 0xFF)) > 1) return false;
    return true;
}

TEST_F(FolderEmblemCliTest, TheAppliedIconGetsTheEmblemAndIsCopied) {
    settings.SetCopyIco(L"0");  // link mode: a marked icon is copied all the same
    const std::wstring a = dir.MakeFolder(L"a"), b = dir.MakeFolder(L"b");
    auto r = RunCli(dir, L"folder apply " + qmtest::Quote(a) + L" " + qmtest::Quote(b) + L" --icon " +
                             qmtest::Quote(library) + L" --index 4 --emblem Done --tip Finished");
    EXPECT_EQ(r.exit, 0u) << qm::WideToUtf8(r.err);
    const auto expected = qm::MakeMarkedIcon(qm::IconSourceImages(library, 4),
                                             qm::EmblemImages(qm::EmblemArgument{qm::Emblem::Done, L"", 0}));
    for (const auto& f : {a, b}) {
        const auto c = qm::ReadFolderCustomization(f);
        EXPECT_EQ(c.Infotip, L"Finished");
        EXPECT_EQ(qmtest::ReadBytes(f + L"\\" + c.IconFile), expected);
    }
    // the base shows where the emblem and its halo are not; the corner shows the emblem
    for (const int size : {16, 32, 48, 256}) {
        const qm::IconPixels base = Rendered(library, 4, size), made = CopyAt(a, size);
        ASSERT_EQ(made.width, size);
        const int free = size - qm::EmblemSide(size) - qm::EmblemHaloWidth(size);
        for (int y = 0; y < free; ++y)
            for (int x = 0; x < size; ++x)
                ASSERT_TRUE(Near(made.bgra[y * size + x], base.bgra[y * size + x])) << size << " " << x << "," << y;
        const qm::IconPixels emblem = qm::DrawEmblem(qm::Emblem::Done, qm::EmblemSide(size));
        const int mid = qm::EmblemSide(size) / 2;  // the badge's opaque centre
        const std::uint32_t want = emblem.bgra[mid * emblem.width + mid];
        const int at = (size - qm::EmblemSide(size) + mid) * size + size - qm::EmblemSide(size) + mid;
        EXPECT_TRUE(Near(made.bgra[at], want)) << size;
    }
}

TEST_F(FolderEmblemCliTest, ColoursPicturesAndIconFilesAsEmblems) {
    const std::wstring red = dir.MakeFolder(L"red"), own = dir.MakeFolder(L"own");
    auto r = RunCli(dir, L"folder apply " + qmtest::Quote(red) + L" --color #C01C28 --emblem locked");
    EXPECT_EQ(r.exit, 0u) << qm::WideToUtf8(r.err);
    auto c = qm::ReadFolderCustomization(red);
    EXPECT_EQ(qmtest::ReadBytes(red + L"\\" + c.IconFile),
              qm::MakeMarkedIcon(qm::ColourFolderImages({0xC0, 0x1C, 0x28}),
                                 qm::EmblemImages(qm::EmblemArgument{qm::Emblem::Locked, L"", 0})));

    // icon 2 of the library as the emblem, drawn at each emblem side from the library's images
    r = RunCli(dir, L"folder apply " + qmtest::Quote(own) + L" --icon " + qmtest::Quote(library) +
                        L" --index 1 --emblem " + qmtest::Quote(library + L",2"));
    EXPECT_EQ(r.exit, 0u) << qm::WideToUtf8(r.err);
    c = qm::ReadFolderCustomization(own);
    const qm::IconPixels made = CopyAt(own, 32), mark = Rendered(library, 2, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const std::uint32_t m = mark.bgra[y * 16 + x];
            if ((m >> 24) == 255) {
                EXPECT_TRUE(Near(made.bgra[(16 + y) * 32 + 16 + x], m)) << x << "," << y;
            }
        }

    // --emblem marks the icon being applied: without one it is an argument error
    const std::wstring bare = dir.MakeFolder(L"bare");
    r = RunCli(dir, L"folder apply " + qmtest::Quote(bare) + L" --emblem done");
    EXPECT_EQ(r.exit, 2u);
    EXPECT_TRUE(qmtest::ListFolder(bare).empty());
}

TEST_F(FolderEmblemCliTest, AnEmblemFileThatCannotServeChangesNothing) {
    const std::wstring folder = dir.MakeFolder(L"kept");
    std::vector<std::uint8_t> cut = icons.IcoFile(3);
    cut.resize(cut.size() / 2);
    const std::wstring cutIco = dir / L"cut.ico";
    qmtest::WriteBytes(cutIco, cut);
    // a PNG whose header states 20000 x 20000 pixels
    std::vector<std::uint8_t> huge = {0x89, 'P',  'N',  'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R', 0,
                                      0,    0x4E, 0x20, 0,   0,    0x4E, 0x20, 8,    6, 0, 0, 0,  0,   0,   0,   0};
    const std::wstring hugePng = dir / L"huge.png";
    qmtest::WriteBytes(hugePng, huge);
    const std::wstring text = dir / L"notes.txt";
    qmtest::WriteBytes(text, {'h', 'e', 'l', 'l', 'o', '\r', '\n'});
    struct Case {
        std::wstring argument, file, why;
    };
    const Case cases[] = {
        {cutIco, cutIco, L""},
        {hugePng, hugePng, L"the picture is 20000 x 20000"},
        {text, text, L"not an icon, a file with icons or a picture"},
        {library + L",99", library, L""},
    };
    for (const auto& k : cases) {
        const auto r = RunCli(dir, L"folder apply " + qmtest::Quote(folder) + L" --icon " + qmtest::Quote(library) +
                                       L" --emblem " + qmtest::Quote(k.argument));
        EXPECT_EQ(r.exit, 1u) << qm::WideToUtf8(k.argument);
        const std::wstring head = qm::ShellPathForm(folder) + L": Cannot use " + k.file + L" as an emblem: ";
        EXPECT_EQ(r.err.rfind(head, 0), 0u) << qm::WideToUtf8(r.err);
        EXPECT_NE(r.err.find(k.why), std::wstring::npos) << qm::WideToUtf8(r.err);
        EXPECT_TRUE(qmtest::ListFolder(folder).empty()) << qm::WideToUtf8(k.argument);
    }
}

// Every file of the folder with its bytes, and the folder's attributes.
struct FolderState {
    std::map<std::wstring, std::vector<std::uint8_t>> files;
    DWORD attributes = 0;
    bool operator==(const FolderState&) const = default;
};
FolderState StateOf(const std::wstring& folder) {
    FolderState state;
    for (const auto& name : qmtest::ListFolder(folder)) state.files[name] = qmtest::ReadBytes(folder + L"\\" + name);
    state.attributes = GetFileAttributesW(folder.c_str());
    return state;
}

std::wstring Names(const FolderState& s) {
    std::wstring out;
    for (const auto& [name, bytes] : s.files) out += name + L" ";
    return out;
}

// A mark keeps what the folder shows and a clear puts the folder back byte for byte: a folder
// without an icon (the stock folder icon is marked), one showing a Quillmark copy (kept while the
// mark stands), two that Explorer gave an IconResource (a negative resource id, a positive index),
// and one linked to a library.
TEST_F(FolderEmblemCliTest, MarkThenClearLeavesTheFolderAsItWas) {
    settings.SetCopyIco(L"1");
    const std::wstring plain = dir.MakeFolder(L"plain"), copied = dir.MakeFolder(L"copied"),
                       explorer = dir.MakeFolder(L"explorer"), positive = dir.MakeFolder(L"positive"),
                       linked = dir.MakeFolder(L"linked");
    auto r = RunCli(dir, L"folder apply " + qmtest::Quote(copied) + L" --icon " + qmtest::Quote(library) +
                             L" --index 4 --tip Kept");
    ASSERT_EQ(r.exit, 0u) << qm::WideToUtf8(r.err);
    qm::IconLibrary lib;
    ASSERT_TRUE(lib.Open(library));
    const qm::PeResourceName id = lib.GroupName(2);
    ASSERT_TRUE(id.isId);
    // Explorer's Customize tab: IconResource with a negative resource id, or with a positive index
    for (const auto& [folder, index] : {std::pair{explorer, "-" + std::to_string(id.id)}, std::pair{positive, "1"s}}) {
        const std::string ini = "[.ShellClassInfo]\r\nIconResource=" + qm::WideToUtf8(library) + "," + index +
                                "\r\n[ViewState]\r\nMode=\r\n";
        qmtest::WriteBytes(folder + L"\\desktop.ini", std::vector<std::uint8_t>(ini.begin(), ini.end()));
    }
    // a linked icon, in a desktop.ini the engine wrote (UTF-16LE)
    settings.SetCopyIco(L"0");
    r = RunCli(dir, L"folder apply " + qmtest::Quote(linked) + L" --icon " + qmtest::Quote(library) + L" --index 3");
    ASSERT_EQ(r.exit, 0u) << qm::WideToUtf8(r.err);
    ASSERT_EQ(qm::ReadFolderCustomization(linked).IconFile, library);

    for (const auto& folder : {plain, copied, explorer, positive, linked}) {
        SCOPED_TRACE(qm::WideToUtf8(folder));
        const FolderState before = StateOf(folder);
        const qm::ShownIcon shown = qm::ShownIconOf(folder);
        ASSERT_FALSE(shown.file.empty());
        const std::map<std::wstring, int> libraryIndex = {{explorer, -id.id}, {positive, 1}, {linked, 3}};
        if (libraryIndex.count(folder)) {
            EXPECT_TRUE(qm::SamePath(shown.file, library)) << qm::WideToUtf8(shown.file);
            EXPECT_EQ(shown.index, libraryIndex.at(folder));
        }
        const qm::IconPixels base = Rendered(shown.file, shown.index, 32);

        r = RunCli(dir, L"folder mark " + qmtest::Quote(folder) + L" --emblem done --dry-run");
        EXPECT_EQ(r.exit, 0u) << qm::WideToUtf8(r.err);
        EXPECT_TRUE(StateOf(folder) == before);

        r = RunCli(dir, L"folder mark " + qmtest::Quote(folder) + L" --emblem done");
        EXPECT_EQ(r.exit, 0u) << qm::WideToUtf8(r.err);
        EXPECT_TRUE(qm::IsFolderMarked(folder));
        const auto marked = qm::ReadFolderCustomization(folder);
        EXPECT_TRUE(qm::IsCopyNameFor(qm::CallerProfile::MainWindow, marked.IconFile));
        // the copy shows the base where the emblem is not
        const qm::IconPixels made = CopyAt(folder, 32);
        for (int i = 0; i < 32 * 14; ++i) ASSERT_TRUE(Near(made.bgra[i], base.bgra[i])) << i;

        // marking again replaces the emblem on the same base: one made copy
        r = RunCli(dir, L"folder mark " + qmtest::Quote(folder) + L" --emblem flag");
        EXPECT_EQ(r.exit, 0u) << qm::WideToUtf8(r.err);
        const auto again = qm::ReadFolderCustomization(folder);
        EXPECT_NE(again.IconFile, marked.IconFile);
        EXPECT_FALSE(qmtest::Exists(folder + L"\\" + marked.IconFile));
        EXPECT_EQ(qmtest::ReadBytes(folder + L"\\" + again.IconFile),
                  qm::MakeMarkedIcon(qm::IconSourceImages(qm::ShownIconOf(folder).file, qm::ShownIconOf(folder).index),
                                     qm::EmblemImages(qm::EmblemArgument{qm::Emblem::Flag, L"", 0})));

        r = RunCli(dir, L"folder mark " + qmtest::Quote(folder) + L" --clear");
        EXPECT_EQ(r.exit, 0u) << qm::WideToUtf8(r.err);
        const FolderState after = StateOf(folder);
        EXPECT_TRUE(after == before) << qm::WideToUtf8(Names(before)) << "/ " << qm::WideToUtf8(Names(after));
        EXPECT_FALSE(qm::IsFolderMarked(folder));
    }
    // a folder that is not marked is not changed by a clear
    r = RunCli(dir, L"folder mark " + qmtest::Quote(plain) + L" --clear");
    EXPECT_EQ(r.exit, 1u);
    EXPECT_NE(r.err.find(L": the folder has no mark"), std::wstring::npos) << qm::WideToUtf8(r.err);
    EXPECT_TRUE(qmtest::ListFolder(plain).empty());
}

}  // namespace
