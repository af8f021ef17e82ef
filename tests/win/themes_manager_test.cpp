// The theme store on real files, with the real message boxes read and answered by the watcher.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/base/module_path_win.h"
#include "core/base/text.h"
#include "core/settings/current_language.h"
#include "core/themes/theme_files_win.h"
#include "core/themes/theme_path_win.h"
#include "core/themes/themes_manager_win.h"
#include "tests/support/files_win.h"
#include "tests/support/message_box_watcher_win.h"

namespace {

using qmtest::Exists;
using qmtest::ReadBytes;
using qmtest::SeenMessageBox;
using qmtest::TempDir;
using qmtest::WriteBytes;

std::vector<std::uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

const std::wstring kYesNo[] = {L"&Yes", L"&No"};

class ThemeStoreTest : public testing::Test {
protected:
    ThemeStoreTest() {
        qmtest::RecycleBinFiles();  // before the first shell operation of the process
        store_.folder = dirs_.MakeFolder(L"samples") + L"\\";
        store_.owner = owner_;
        savedLanguage_ = qm::CurrentLanguage();
        qm::CurrentLanguage() = L"English";
    }
    // Without a display no box could appear, and a test expecting none would prove nothing.
    void SetUp() override { ASSERT_NE(owner_, nullptr) << "no window can be created (no display?)"; }
    ~ThemeStoreTest() override {
        qm::CurrentLanguage() = savedLanguage_;
        DestroyWindow(owner_);
    }
    std::wstring Source(const std::wstring& name, const std::string& content) {
        const std::wstring path = dirs_.MakeFolder(L"from") + L"\\" + name;
        WriteBytes(path, Bytes(content));
        return path;
    }
    std::wstring InStore(const std::wstring& name) const { return store_.folder + name; }
    void ExpectInfoBox(const SeenMessageBox& box, const std::wstring& caption, const std::wstring& text,
                       std::vector<std::wstring> buttons) const {
        EXPECT_EQ(box.caption, caption);
        EXPECT_EQ(box.text, text);
        EXPECT_EQ(box.buttons, buttons);
        EXPECT_EQ(box.icon, LoadIconW(nullptr, IDI_INFORMATION));
        EXPECT_EQ(box.owner, owner_);
    }
    static std::wstring AlreadyExists(const std::wstring& name, bool sameSize) {
        return L"Theme with name:\n\r" + name + L"\n\r" +
               (sameSize ? L"already exists in your collection, and was have same file-size"
                         : L"already exists in your collection, but was have different file-size") +
               L"\n\rDo you want to replace old theme ?";
    }
    const std::wstring unique_ = std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount64());
    TempDir dirs_{L"qm-store"};
    HWND owner_ = CreateWindowExW(0, L"STATIC", L"Quillmark", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                                  nullptr, nullptr);
    qm::ThemeStore store_;
    qmtest::MessageBoxWatcher boxes_;
    std::wstring savedLanguage_;
};

TEST_F(ThemeStoreTest, NewLibraryIsCopiedWithoutAQuestion) {
    const std::wstring src = Source(L"Metal.ICL", "metal icons");
    qm::InstallTheme(store_, src);
    EXPECT_EQ(ReadBytes(InStore(L"Metal.ICL")), Bytes("metal icons"));
    EXPECT_TRUE(Exists(src));
    EXPECT_TRUE(boxes_.Seen().empty());
}

TEST_F(ThemeStoreTest, SameLibraryTwiceAsksOnceWithTheSameSizeWording) {
    const std::wstring src = Source(L"Metal.icl", "metal icons");
    qm::InstallTheme(store_, src);
    boxes_.AnswerNext(IDNO);
    qm::InstallTheme(store_, src);
    ASSERT_EQ(boxes_.Seen().size(), 1u);
    ExpectInfoBox(boxes_.Seen()[0], L"Accept ?", AlreadyExists(L"Metal", true), {kYesNo[0], kYesNo[1]});
    EXPECT_EQ(ReadBytes(InStore(L"Metal.icl")), Bytes("metal icons"));
}

TEST_F(ThemeStoreTest, DifferentFileOfTheSameNameAnsweredNoKeepsTheOldOne) {
    const std::wstring name = L"Old-" + unique_;
    WriteBytes(InStore(name + L".icl"), Bytes("old"));
    boxes_.AnswerNext(IDNO);
    qm::InstallTheme(store_, Source(name + L".icl", "a newer library"));
    ASSERT_EQ(boxes_.Seen().size(), 1u);
    ExpectInfoBox(boxes_.Seen()[0], L"Accept ?", AlreadyExists(name, false), {kYesNo[0], kYesNo[1]});
    EXPECT_EQ(ReadBytes(InStore(name + L".icl")), Bytes("old"));
    EXPECT_FALSE(qmtest::InRecycleBin(name));
}

TEST_F(ThemeStoreTest, DifferentFileAnsweredYesReplacesAndRecyclesTheOldOne) {
    const std::wstring name = L"Replaced-" + unique_;
    WriteBytes(InStore(name + L".icl"), Bytes("old"));
    boxes_.AnswerNext(IDYES);
    qm::InstallTheme(store_, Source(name + L".icl", "a newer library"));
    ASSERT_EQ(boxes_.Seen().size(), 1u);
    EXPECT_EQ(boxes_.Seen()[0].text, AlreadyExists(name, false));
    EXPECT_EQ(ReadBytes(InStore(name + L".icl")), Bytes("a newer library"));
    EXPECT_TRUE(qmtest::InRecycleBin(name));
}

TEST_F(ThemeStoreTest, ColorFolderLibrariesAreNamedByTheirDescription) {
    const std::wstring build = qmtest::BuildFolder() + L"\\";
    const std::wstring described = dirs_.MakeFolder(L"crystal") + L"\\iColorFolder.dll";
    const std::wstring plain = dirs_.MakeFolder(L"plain") + L"\\ICOLORFOLDER.DLL";
    ASSERT_TRUE(CopyFileW((build + L"version_described.dll").c_str(), described.c_str(), FALSE));
    ASSERT_TRUE(CopyFileW((build + L"version_none.dll").c_str(), plain.c_str(), FALSE));
    qm::InstallTheme(store_, described);
    qm::InstallTheme(store_, plain);
    EXPECT_EQ(ReadBytes(InStore(L"Crystal.icl")), ReadBytes(described));
    EXPECT_EQ(ReadBytes(InStore(L"ICOLORFOLDER.icl")), ReadBytes(plain));
    EXPECT_EQ(qmtest::ListFolder(store_.folder).size(), 2u);
    EXPECT_TRUE(boxes_.Seen().empty());
}

TEST_F(ThemeStoreTest, OtherFilesAreNotKnown) {
    const std::wstring files[] = {Source(L"themes.zip", "PK"), Source(L"shell32.dll", "MZ"),
                                  Source(L"iColorFolder.dll.bak", "MZ"), L""};
    for (const auto& f : files) qm::InstallTheme(store_, f);
    ASSERT_EQ(boxes_.Seen().size(), 4u);
    for (const auto& box : boxes_.Seen())
        ExpectInfoBox(box, L"Sorry, Error", L"Quillmark do not knows ho to use this file.", {L"OK"});
    EXPECT_TRUE(qmtest::ListFolder(store_.folder).empty());
}

TEST_F(ThemeStoreTest, TheStoresOwnFileInstalledOntoItselfIsKept) {
    WriteBytes(InStore(L"WindowsXP.icl"), Bytes("the default theme"));
    qm::InstallTheme(store_, InStore(L"WindowsXP.icl"));
    // The same file under another spelling of its path.
    qm::InstallTheme(store_, store_.folder + L"..\\samples\\WINDOWSXP.ICL");
    EXPECT_EQ(ReadBytes(InStore(L"WindowsXP.icl")), Bytes("the default theme"));
    EXPECT_TRUE(boxes_.Seen().empty());
}

TEST_F(ThemeStoreTest, MissingSourceReportsTheCopyErrorAndKeepsTheStoredTheme) {
    WriteBytes(InStore(L"Gone.icl"), Bytes("stored"));
    qm::InstallTheme(store_, dirs_ / L"Gone.icl");
    qm::InstallTheme(store_, dirs_ / L"Never.icl");
    ASSERT_EQ(boxes_.Seen().size(), 2u);
    for (const auto& box : boxes_.Seen())
        ExpectInfoBox(box, L"Sorry, Error", L"Sorry, occured error when copying  theme", {L"OK"});
    EXPECT_EQ(ReadBytes(InStore(L"Gone.icl")), Bytes("stored"));
    EXPECT_FALSE(Exists(InStore(L"Never.icl")));
}

TEST_F(ThemeStoreTest, AFolderNamedLikeALibraryIsNoThemeAndIsNotCopied) {
    dirs_.MakeFolder(L"from");
    const std::wstring folder = dirs_.MakeFolder(L"from\\Folder.icl");
    WriteBytes(folder + L"\\inside.txt", Bytes("not a theme"));
    qm::InstallTheme(store_, folder);
    ASSERT_EQ(boxes_.Seen().size(), 1u);
    ExpectInfoBox(boxes_.Seen()[0], L"Sorry, Error", L"Sorry, occured error when copying  theme", {L"OK"});
    EXPECT_FALSE(qmtest::Exists(InStore(L"Folder.icl")));
}

TEST_F(ThemeStoreTest, CopyIntoAStoreThatRefusesItIsReported) {
    const std::wstring ro = qmtest::ReadOnlyMediaFolder();
    if (ro.empty()) GTEST_SKIP() << "no read-only medium";
    qm::ThemeStore locked{ro + L"\\", owner_};
    qm::InstallTheme(locked, Source(L"Metal.icl", "x"));
    ASSERT_EQ(boxes_.Seen().size(), 1u);
    ExpectInfoBox(boxes_.Seen()[0], L"Sorry, Error", L"Sorry, occured error when copying  theme", {L"OK"});
    EXPECT_FALSE(Exists(ro + L"\\Metal.icl"));
}

TEST_F(ThemeStoreTest, DeleteAsksAndRecyclesTheThemeButNotItsDescription) {
    const std::wstring name = L"Doomed-" + unique_;
    WriteBytes(InStore(name + L".icl"), Bytes("icons"));
    WriteBytes(InStore(name + L".txt"), Bytes("about these icons"));
    const std::wstring question = L"Delete theme:\n\r" + name + L"\n\rfrom your collection ?";

    boxes_.AnswerNext(IDNO);
    qm::DeleteTheme(store_, InStore(name + L".icl"));
    EXPECT_TRUE(Exists(InStore(name + L".icl")));

    boxes_.AnswerNext(IDYES);
    qm::DeleteTheme(store_, InStore(name + L".icl"));
    ASSERT_EQ(boxes_.Seen().size(), 2u);
    for (const auto& box : boxes_.Seen()) ExpectInfoBox(box, L"Accept ?", question, {kYesNo[0], kYesNo[1]});
    EXPECT_FALSE(Exists(InStore(name + L".icl")));
    EXPECT_TRUE(qmtest::InRecycleBin(name + L".icl"));
    EXPECT_EQ(ReadBytes(InStore(name + L".txt")), Bytes("about these icons"));
}

TEST_F(ThemeStoreTest, DeleteFailureIsReported) {
    boxes_.AnswerNext(IDYES);
    qm::DeleteTheme(store_, InStore(L"Missing.icl"));
    ASSERT_EQ(boxes_.Seen().size(), 2u);
    EXPECT_EQ(boxes_.Seen()[0].text, L"Delete theme:\n\rMissing\n\rfrom your collection ?");
    ExpectInfoBox(boxes_.Seen()[1], L"Sorry, Error", L"Sorry, occured error when deleting theme", {L"OK"});
}

TEST_F(ThemeStoreTest, OnlyTheNamedLinesAreTranslated) {
    // A language file next to the test executable, where the program's lookup finds it.
    const std::wstring langs = qm::ModuleFolder() + L"langs";
    const bool madeLangs = CreateDirectoryW(langs.c_str(), nullptr) != 0;
    const std::wstring file = L"ThemeStoreTest-" + unique_ + L".ini";
    qmtest::WriteUtf16File(langs + L"\\" + file,
                           L"[Dict]\r\nTheme with name:=Thema:\r\nClose=Schlie\u00dfen\r\nAccept ?=Annehmen?\r\n"
                           L"already exists in your collection, and was have same file-size=gleich gro\u00df\r\n"
                           L"Do you want to replace old theme ?=Ersetzen?\r\n");
    qm::CurrentLanguage() = file;
    WriteBytes(InStore(L"Close.icl"), Bytes("same"));
    boxes_.AnswerNext(IDNO);
    qm::InstallTheme(store_, Source(L"Close.icl", "same"));
    DeleteFileW((langs + L"\\" + file).c_str());
    if (madeLangs) RemoveDirectoryW(langs.c_str());
    ASSERT_EQ(boxes_.Seen().size(), 1u);
    EXPECT_EQ(boxes_.Seen()[0].caption, L"Annehmen?");
    EXPECT_EQ(boxes_.Seen()[0].text, L"Thema:\n\rClose\n\rgleich gro\u00df\n\rErsetzen?");  // the name stays as it is
}

// The store of an all-users installation: shipped themes beside the program, the user's elsewhere.
class SplitThemeStoreTest : public ThemeStoreTest {
protected:
    SplitThemeStoreTest() {
        dirs_.MakeFolder(L"program");
        store_.shipped = dirs_.MakeFolder(L"program\\samples") + L"\\";
        store_.folder = dirs_ / L"appdata\\Quillmark\\samples\\";  // made by the first install
    }
};

TEST_F(SplitThemeStoreTest, DeletingAShippedThemeSaysOnlyAnAdministratorCanAndKeepsIt) {
    const std::wstring shipped = store_.shipped + L"Shipped.icl";
    WriteBytes(shipped, Bytes("shipped"));
    qm::DeleteTheme(store_, shipped);
    ASSERT_EQ(boxes_.Seen().size(), 1u);
    ExpectInfoBox(boxes_.Seen()[0], L"Info", L"This theme came with Quillmark: only an administrator can delete it.",
                  {L"OK"});
    EXPECT_EQ(ReadBytes(shipped), Bytes("shipped"));
}

TEST_F(SplitThemeStoreTest, InstallCreatesTheUsersStoreAndDeleteThereAsksAsBefore) {
    const std::wstring name = L"Mine-" + unique_;
    qm::InstallTheme(store_, Source(name + L".icl", "mine"));
    EXPECT_TRUE(boxes_.Seen().empty());
    EXPECT_EQ(ReadBytes(InStore(name + L".icl")), Bytes("mine"));
    EXPECT_TRUE(qmtest::ListFolder(store_.shipped).empty());
    boxes_.AnswerNext(IDYES);
    qm::DeleteTheme(store_, InStore(name + L".icl"));
    ASSERT_EQ(boxes_.Seen().size(), 1u);
    EXPECT_EQ(boxes_.Seen()[0].caption, L"Accept ?");
    EXPECT_FALSE(Exists(InStore(name + L".icl")));
    EXPECT_TRUE(qmtest::InRecycleBin(name));
}

TEST(ThemeStoreListing, BothFoldersAreListedAndTheUsersThemeOfTheSameNameWins) {
    TempDir dirs(L"qm-list");
    const std::wstring shipped = dirs.MakeFolder(L"shipped") + L"\\";
    const std::wstring user = dirs.MakeFolder(L"user") + L"\\";
    for (const wchar_t* name : {L"Alpha.icl", L"Beta.icl"}) WriteBytes(shipped + name, Bytes("s"));
    for (const wchar_t* name : {L"BETA.ICL", L"Gamma.icl"}) WriteBytes(user + name, Bytes("u"));
    WriteBytes(user + L"Notes.txt", Bytes("u"));

    struct Case {
        std::wstring userFolder, shippedFolder;
        std::vector<std::wstring> paths;  // expected, sorted
    };
    const std::vector<Case> cases = {
        {user, shipped, {shipped + L"Alpha.icl", user + L"BETA.ICL", user + L"Gamma.icl"}},
        {shipped, shipped, {shipped + L"Alpha.icl", shipped + L"Beta.icl"}},  // one folder: as one store
        {user, dirs / L"missing\\", {user + L"BETA.ICL", user + L"Gamma.icl"}},
        {dirs / L"missing\\", shipped, {shipped + L"Alpha.icl", shipped + L"Beta.icl"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << qm::WideToUtf8(c.userFolder) << " / " << qm::WideToUtf8(c.shippedFolder));
        std::vector<std::wstring> paths;
        for (const qm::ThemeFile& theme : qm::ListStoreThemes(c.userFolder, c.shippedFolder)) {
            EXPECT_EQ(theme.path, qm::FolderOf(theme.path) + theme.name);
            paths.push_back(theme.path);
        }
        std::sort(paths.begin(), paths.end());
        EXPECT_EQ(paths, c.paths);
    }
}

}  // namespace
