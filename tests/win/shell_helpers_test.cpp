// Shell helpers on real files, the real registry of the test prefix and libraries with and without
// version information.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <vector>

#include "core/base/handles_win.h"
#include "core/base/text.h"
#include "core/shell/shell_helpers_win.h"
#include "core/themes/theme_path_win.h"
#include "core/base/module_path_win.h"
#include "core/settings/settings_win.h"
#include "tests/support/files_win.h"
#include "tests/support/folder_fixtures_win.h"
#include "tests/support/message_box_watcher_win.h"

namespace {

using qmtest::Exists;
using qmtest::ReadBytes;
using qmtest::TempDir;
using qmtest::WriteBytes;

std::vector<std::uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

TEST(FindFileSize, SizesOfFilesAndSearches) {
    TempDir dir;
    WriteBytes(dir / L"a.bin", Bytes("12345"));
    WriteBytes(dir / L"empty.bin", {});
    EXPECT_EQ(qm::FindFileSize(dir / L"a.bin"), 5u);
    EXPECT_EQ(qm::FindFileSize(dir / L"empty.bin"), 0u);
    EXPECT_EQ(qm::FindFileSize(dir / L"missing.bin"), 0u);
    EXPECT_EQ(qm::FindFileSize(dir / L"a.*"), 5u);  // a pattern gives its first match
    EXPECT_EQ(qm::FindFileSize(dir / L"nothing\\a.bin"), 0u);
}

TEST(FindFileSize, FileLargerThanFourGigabytes) {
    TempDir dir;
    const std::wstring path = dir / L"big.bin";
    constexpr std::uint64_t kSize = 5368709120ull;  // extended without writing: sparse on the host
    {
        qm::UniqueFile f(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
        ASSERT_TRUE(f);
        LARGE_INTEGER end;
        end.QuadPart = static_cast<LONGLONG>(kSize);
        ASSERT_TRUE(SetFilePointerEx(f.get(), end, nullptr, FILE_BEGIN));
        ASSERT_TRUE(SetEndOfFile(f.get())) << "cannot make a sparse file here";
    }
    EXPECT_EQ(qm::FindFileSize(path), kSize);
}

class ShellFileOperations : public testing::Test {
protected:
    static std::wstring TrashFiles() { return qmtest::RecycleBinFiles(); }
    static bool InTrash(const std::wstring& prefix) { return qmtest::InRecycleBin(prefix); }
    TempDir dir_{L"qm-shop"};
    qmtest::MessageBoxWatcher boxes_;  // no dialog may appear
    void TearDown() override { EXPECT_TRUE(boxes_.Seen().empty()); }
};

// Wine's shell never shows an error box when an operation fails; Windows does unless the request
// carries FOF_NOERRORUI. So the flags asked of the shell are checked, failing requests included.
TEST_F(ShellFileOperations, EveryRequestIsSilentWithoutTheShellsErrorBox) {
    WriteBytes(dir_ / L"src.icl", Bytes("content"));
    WriteBytes(dir_ / L"gone.icl", Bytes("content"));
    WriteBytes(dir_ / L"binned.icl", Bytes("content"));
    const struct {
        const char* what;
        std::function<bool()> run;
        UINT operation;
        unsigned flags;
    } cases[] = {
        {"copy", [&] { return qm::CopyFileSilently(dir_ / L"src.icl", dir_ / L"copy.icl"); }, FO_COPY, 0x414},
        {"copy of a missing file", [&] { return qm::CopyFileSilently(dir_ / L"none.icl", dir_ / L"x.icl"); }, FO_COPY,
         0x414},
        {"delete", [&] { return qm::DeleteFilePermanently(dir_ / L"gone.icl"); }, FO_DELETE, 0x414},
        {"delete of a missing file", [&] { return qm::DeleteFilePermanently(dir_ / L"none.icl"); }, FO_DELETE, 0x414},
        {"recycle", [&] { return qm::RecycleFile(dir_ / L"binned.icl"); }, FO_DELETE, 0x454},
        {"recycle of a missing file", [&] { return qm::RecycleFile(dir_ / L"none.icl"); }, FO_DELETE, 0x454},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        qmtest::FileOperationRecorder ops;
        const bool result = c.run();
        ASSERT_EQ(ops.Requests().size(), 1u);
        EXPECT_EQ(ops.Requests()[0].operation, c.operation);
        EXPECT_EQ(ops.Requests()[0].flags, c.flags);
        EXPECT_TRUE(ops.Requests()[0].flags & FOF_NOERRORUI);
        EXPECT_EQ(ops.Requests()[0].succeeded, result);
    }
}

TEST_F(ShellFileOperations, CopyMakesAndReplacesTargetsWithoutAsking) {
    WriteBytes(dir_ / L"src.icl", Bytes("new content"));
    EXPECT_TRUE(qm::CopyFileSilently(dir_ / L"src.icl", dir_ / L"copy.icl"));
    EXPECT_EQ(ReadBytes(dir_ / L"copy.icl"), Bytes("new content"));

    WriteBytes(dir_ / L"old.icl", Bytes("old"));
    EXPECT_TRUE(qm::CopyFileSilently(dir_ / L"src.icl", dir_ / L"old.icl"));
    EXPECT_EQ(ReadBytes(dir_ / L"old.icl"), Bytes("new content"));
    EXPECT_EQ(ReadBytes(dir_ / L"src.icl"), Bytes("new content"));

    EXPECT_FALSE(qm::CopyFileSilently(dir_ / L"missing.icl", dir_ / L"other.icl"));
    EXPECT_FALSE(Exists(dir_ / L"other.icl"));
}

TEST_F(ShellFileOperations, CopyOntoAFolderOfTheTargetsNameFails) {
    // The shell copies the file into such a folder: nothing then stands at the target as a file.
    WriteBytes(dir_ / L"src.icl", Bytes("x"));
    ASSERT_TRUE(CreateDirectoryW((dir_ / L"taken.icl").c_str(), nullptr));
    EXPECT_FALSE(qm::CopyFileSilently(dir_ / L"src.icl", dir_ / L"taken.icl"));
}

TEST_F(ShellFileOperations, CopyOntoAReadOnlyMediumFails) {
    const std::wstring ro = qmtest::ReadOnlyMediaFolder();
    if (ro.empty()) GTEST_SKIP() << "no read-only medium";
    WriteBytes(dir_ / L"src.icl", Bytes("x"));
    // Wine's shell may report success for this copy; the file on disk decides.
    EXPECT_FALSE(qm::CopyFileSilently(dir_ / L"src.icl", ro + L"\\src.icl"));
}

TEST_F(ShellFileOperations, RecycleMovesToTheRecycleBin) {
    if (TrashFiles().empty()) GTEST_SKIP() << "XDG_DATA_HOME is not set";
    const std::wstring name = L"recycled-" + std::to_wstring(GetCurrentProcessId());
    WriteBytes(dir_ / (name + L".icl"), Bytes("theme"));
    EXPECT_TRUE(qm::RecycleFile(dir_ / (name + L".icl")));
    EXPECT_FALSE(Exists(dir_ / (name + L".icl")));
    EXPECT_TRUE(InTrash(name));

    EXPECT_FALSE(qm::RecycleFile(dir_ / L"missing.icl"));
}

TEST_F(ShellFileOperations, DeletePermanentlyBypassesTheRecycleBin) {
    const std::wstring name = L"deleted-" + std::to_wstring(GetCurrentProcessId());
    WriteBytes(dir_ / (name + L".ico"), Bytes("icon"));
    SetFileAttributesW((dir_ / (name + L".ico")).c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    EXPECT_TRUE(qm::DeleteFilePermanently(dir_ / (name + L".ico")));
    EXPECT_FALSE(Exists(dir_ / (name + L".ico")));
    if (!TrashFiles().empty()) {
        EXPECT_FALSE(InTrash(name));
    }
    EXPECT_FALSE(qm::DeleteFilePermanently(dir_ / L"missing.ico"));
}

TEST(FileDescription, FromTheTranslationBlockOrTheFallbackBlock) {
    const std::wstring build = qmtest::BuildFolder() + L"\\";
    struct Case {
        const wchar_t* file;
        const wchar_t* expected;
    } cases[] = {
        {L"version_described.dll", L"Crystal"},        // block 040904B0 named by the translation entry
        {L"version_fallback.dll", L"Fallback block"},  // no translation entry: 040904E4
        {L"version_none.dll", L"kept"},                // no version information
        {L"no such file.dll", L"kept"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(qm::WideToUtf8(c.file));
        std::wstring text = L"kept";
        qm::GetFileDescription(build + c.file, text);
        EXPECT_EQ(text, c.expected);
    }
    TempDir dir;
    WriteBytes(dir / L"garbage.dll", Bytes("MZ not really a module"));
    std::wstring text = L"kept";
    qm::GetFileDescription(dir / L"garbage.dll", text);
    EXPECT_EQ(text, L"kept");
}

TEST(ThemePath, SettingResolvedInTheStoreNextToTheModule) {
    TempDir dir;
    const std::wstring folder = dir.path() + L"\\";
    // No settings file: the default theme.
    EXPECT_EQ(qm::CurrentThemePathIn(folder), folder + L"samples\\WindowsXP.icl");
    EXPECT_EQ(qm::ReadThemeNameIn(folder), L"WindowsXP.icl");
    // A settings file without the key.
    qmtest::WriteUtf16File(dir / L"quillmark.ini", L"[Options]\r\nCopyIco=1\r\n");
    EXPECT_EQ(qm::CurrentThemePathIn(folder), folder + L"samples\\WindowsXP.icl");
    // A theme that does not exist is still named.
    qmtest::WriteUtf16File(dir / L"quillmark.ini", L"[theme]\r\nName=Deleted Theme.ICL\r\n");
    EXPECT_EQ(qm::CurrentThemePathIn(folder), folder + L"samples\\Deleted Theme.ICL");
    // A new value is seen at the next call.
    qmtest::WriteUtf16File(dir / L"quillmark.ini", L"[Theme]\r\nname=Metal.icl\r\n");
    EXPECT_EQ(qm::CurrentThemePathIn(folder), folder + L"samples\\Metal.icl");
    EXPECT_EQ(qm::ThemeStoreFolderIn(folder), folder + L"samples\\");
    // The module's own folder.
    EXPECT_EQ(qm::CurrentThemePath(), qm::ModuleFolder() + L"samples\\" + qm::ReadSetting(qm::kThemeNameSetting));
}

}  // namespace
