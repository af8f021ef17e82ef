// The one route for messages to the user: boxes from the folder engine, the icon loaders and
// direct callers are owned by this thread's message owner, and a nested owner scope gives the
// previous owner back when it ends.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/base/handles_win.h"
#include "core/base/message_owner_win.h"
#include "core/folder/folder_messages_win.h"
#include "core/icons/icon_messages.h"
#include "tests/support/message_box_watcher_win.h"

namespace {

qm::UniqueWindow MakeWindow(const wchar_t* caption) {
    return qm::UniqueWindow(CreateWindowExW(0, L"STATIC", caption, WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                            GetModuleHandleW(nullptr), nullptr));
}

TEST(UserMessages, EveryRouteIsOwnedByTheScopesOwnerAndANestedScopeGivesThePreviousOneBack) {
    const qm::UniqueWindow outer = MakeWindow(L"outer"), inner = MakeWindow(L"inner");
    ASSERT_TRUE(outer && inner);
    qmtest::MessageBoxWatcher boxes;
    EXPECT_EQ(qm::ThreadMessageOwner(), nullptr);
    {
        const qm::ThreadMessageOwnerScope outerScope(outer.get());
        {
            const qm::ThreadMessageOwnerScope innerScope(inner.get());
            qm::ShowFolderMessage(qm::MessageChannel::Program, {"program, inner", "Quillmark"});
            EXPECT_EQ(qm::ThreadMessageOwner(), inner.get());
        }
        EXPECT_EQ(qm::ThreadMessageOwner(), outer.get());
        qm::ShowFolderMessage(qm::MessageChannel::Program, {"program, outer", "Quillmark"});
        qm::ShowFolderMessage(qm::MessageChannel::Extension, {"extension, outer", "Quillmark"});
        qm::ShowIconLoadMessage(L"icon, outer");
        EXPECT_EQ(qm::ShowUserMessage(L"direct, outer", L"Caption", MB_OK), IDOK);
    }
    EXPECT_EQ(qm::ThreadMessageOwner(), nullptr);
    qm::ShowUserMessage(L"direct, none", L"Caption");
    ASSERT_TRUE(boxes.WaitForCount(6));
    const std::vector<qmtest::SeenMessageBox> seen = boxes.Seen();
    ASSERT_EQ(seen.size(), 6u);
    const std::vector<std::pair<std::wstring, HWND>> expected = {
        {L"program, inner", inner.get()}, {L"program, outer", outer.get()}, {L"extension, outer", outer.get()},
        {L"icon, outer", outer.get()},    {L"direct, outer", outer.get()},  {L"direct, none", nullptr},
    };
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(seen[i].text, expected[i].first);
        EXPECT_EQ(seen[i].owner, expected[i].second) << seen[i].text;
        EXPECT_EQ(seen[i].buttons, std::vector<std::wstring>{L"OK"});
    }
}

}  // namespace
