// Quillmark.exe /INSTALL FILE as a whole process: it installs into the store next to itself, shows
// the store's message boxes but no window of its own, and ends.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/files_win.h"
#include "tests/support/message_box_watcher_win.h"
#include "tests/support/process_win.h"

namespace {

using qmtest::ReadBytes;
using qmtest::WriteBytes;

std::vector<std::uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

// A copy of the program in a folder of its own, so its store is a fresh "samples" folder.
class InstallMode : public testing::Test {
protected:
    InstallMode() {
        qmtest::RecycleBinFiles();
        program_ = dir_.MakeFolder(L"app") + L"\\Quillmark.exe";
        copied_ = CopyFileW((qmtest::BuildFolder() + L"\\Quillmark.exe").c_str(), program_.c_str(), FALSE) != 0;
        dir_.MakeFolder(L"from");
    }
    void SetUp() override { ASSERT_TRUE(copied_); }
    std::wstring Store(const std::wstring& name) const { return dir_ / (L"app\\samples\\" + name); }
    std::wstring Source(const std::wstring& name, const std::string& content) const {
        WriteBytes(dir_ / (L"from\\" + name), Bytes(content));
        return dir_ / (L"from\\" + name);
    }

    struct Run {
        DWORD exitCode = STILL_ACTIVE;
        std::vector<qmtest::SeenMessageBox> boxes;
        std::vector<std::wstring> otherWindows;  // classes of visible windows that are no message box
    };
    // Runs the program with `arguments`, answering its message boxes with `answers`.
    Run Start(const std::wstring& arguments, std::vector<int> answers = {}) const {
        Run run;
        qmtest::ChildProcess p(qmtest::Quote(program_) + L" " + arguments);
        EXPECT_TRUE(p.started());
        if (!p.started()) return run;
        qmtest::MessageBoxWatcher boxes(p.pid());
        for (int a : answers) boxes.AnswerNext(a);
        // Bounded so that a program that never ends fails the test instead of hanging it.
        for (int i = 0; i < 3000 && p.running(); ++i) {
            for (HWND h : p.TopWindows()) {
                const std::wstring cls = qmtest::WindowClass(h);
                if (cls != L"#32770" &&
                    std::find(run.otherWindows.begin(), run.otherWindows.end(), cls) == run.otherWindows.end())
                    run.otherWindows.push_back(cls);
            }
            Sleep(10);
        }
        EXPECT_TRUE(p.Wait(5000)) << "the program did not end";
        run.exitCode = p.ExitCode();
        run.boxes = boxes.Seen();
        return run;
    }

    qmtest::TempDir dir_{L"qm-install"};
    std::wstring program_;
    bool copied_ = false;
};

TEST_F(InstallMode, InstallsANewLibraryAndEndsWithoutAWindow) {
    const Run run = Start(L"/INSTALL " + qmtest::Quote(Source(L"Metal Icons.icl", "metal")));
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(run.boxes.empty());
    EXPECT_TRUE(run.otherWindows.empty());
    EXPECT_EQ(ReadBytes(Store(L"Metal Icons.icl")), Bytes("metal"));
}

TEST_F(InstallMode, AsksBeforeReplacingAndKeepsTheThemeOnNo) {
    const std::wstring src = Source(L"Metal.icl", "metal");
    ASSERT_EQ(Start(L"/install " + qmtest::Quote(src)).exitCode, 0u);
    const Run run = Start(L"/Install " + qmtest::Quote(src), {IDNO});
    EXPECT_EQ(run.exitCode, 0u);
    ASSERT_EQ(run.boxes.size(), 1u);
    EXPECT_EQ(run.boxes[0].caption, L"Accept ?");
    EXPECT_EQ(run.boxes[0].text,
              L"Theme with name:\n\rMetal\n\ralready exists in your collection, and was have same file-size\n\r"
              L"Do you want to replace old theme ?");
    EXPECT_EQ(run.boxes[0].pressed, IDNO);
    EXPECT_TRUE(run.otherWindows.empty());
    EXPECT_EQ(ReadBytes(Store(L"Metal.icl")), Bytes("metal"));
}

TEST_F(InstallMode, UnknownOrMissingFileIsReported) {
    for (const std::wstring& args :
         {L"/INSTALL " + qmtest::Quote(Source(L"themes.zip", "PK")), std::wstring(L"/INSTALL")}) {
        const Run run = Start(args);
        EXPECT_EQ(run.exitCode, 0u);
        ASSERT_EQ(run.boxes.size(), 1u);
        EXPECT_EQ(run.boxes[0].caption, L"Sorry, Error");
        EXPECT_EQ(run.boxes[0].text, L"Quillmark do not knows ho to use this file.");
        EXPECT_TRUE(run.otherWindows.empty());
    }
    EXPECT_FALSE(qmtest::Exists(dir_ / L"app\\samples"));
}

}  // namespace
