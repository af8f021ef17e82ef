#pragma once
// A test of the extension's library as the shell loads it: COM on the thread, a fresh install
// beside the stand-in program, the library loaded from there, its seams at hand and put back to
// the platform's at the end. A test's own SetUp calls this one first.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "core/base/handles_win.h"
#include "shellext/test_seams_win.h"
#include "tests/support/com_client_win.h"
#include "tests/support/files_win.h"

namespace qmtest {

class ShellLibraryTest : public testing::Test {
protected:
    explicit ShellLibraryTest(const wchar_t* workName) : work_{workName} {}

    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(com_.result()));
        library_.reset(LoadLibraryW(install_.dll().c_str()));
        ASSERT_TRUE(library_);
        seams_ = ShellSeamsOf(library_.get());
        ASSERT_NE(seams_, nullptr);
    }
    void TearDown() override {
        if (seams_) *seams_ = qm::shellext::ShellSeams();
    }

    ComApartment com_;
    ShellInstall install_;
    TempDir work_;
    qm::UniqueModule library_;
    qm::shellext::ShellSeams* seams_ = nullptr;
};

}  // namespace qmtest
