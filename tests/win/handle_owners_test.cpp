// The owners of core/base/handles_win.h against the platform: what each releases and when, put()
// for out parameters, the selected-object guard, both bitmaps of GetIconInfo, the COM apartment
// scope (also nested in another kind of apartment) and the scope-exit helper.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <thread>
#include <vector>

#include "core/base/handles_win.h"

using namespace qm;

namespace {

bool IsOpenHandle(HANDLE h) {
    DWORD flags = 0;
    return GetHandleInformation(h, &flags) != FALSE;
}

UniqueIcon MakeIcon(bool colour) {
    const UniqueBitmap mask(CreateBitmap(16, colour ? 16 : 32, 1, 1, nullptr));
    const UniqueBitmap picture(colour ? CreateBitmap(16, 16, 1, 32, nullptr) : nullptr);
    ICONINFO info{TRUE, 0, 0, mask.get(), picture.get()};
    return UniqueIcon(CreateIconIndirect(&info));  // copies both bitmaps
}

TEST(HandleOwners, ReleaseAtTheEndAndOnReset) {
    HANDLE raw = nullptr;
    {
        const UniqueKernelHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        raw = event.get();
        ASSERT_TRUE(event);
        EXPECT_TRUE(IsOpenHandle(raw));
    }
    EXPECT_FALSE(IsOpenHandle(raw));

    UniqueKernelHandle first(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    raw = first.get();
    first.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    EXPECT_FALSE(IsOpenHandle(raw));
    EXPECT_TRUE(IsOpenHandle(first.get()));
}

TEST(HandleOwners, ReleaseGivesTheHandleUpAndMoveTransfersIt) {
    UniqueKernelHandle owner(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    const HANDLE raw = owner.get();
    UniqueKernelHandle moved(std::move(owner));
    EXPECT_FALSE(owner);
    EXPECT_EQ(moved.get(), raw);
    const HANDLE given = moved.release();
    EXPECT_FALSE(moved);
    moved.reset();
    EXPECT_TRUE(IsOpenHandle(given));                     // the owner let it go: still open
    EXPECT_NE(UniqueKernelHandle(given).close(), FALSE);  // CloseHandle's own answer
    EXPECT_FALSE(IsOpenHandle(given));
}

TEST(HandleOwners, PutReleasesTheHeldHandleAndTakesTheNewOne) {
    UniqueKernelHandle token(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    const HANDLE before = token.get();
    HANDLE* slot = token.put();
    EXPECT_FALSE(IsOpenHandle(before));  // checked before the call below may reuse the value
    EXPECT_EQ(*slot, nullptr);
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, slot));
    EXPECT_TRUE(token);
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    EXPECT_TRUE(GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof elevation, &size));

    UniqueCoTaskString folder;
    ASSERT_TRUE(SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Windows, 0, nullptr, folder.put())));
    ASSERT_TRUE(folder);
    EXPECT_NE(folder.get()[0], L'\0');
}

TEST(HandleOwners, FileAndFindOwnersTakeInvalidHandleValueForNone) {
    const UniqueFile missing(CreateFileW(L"C:\\no such folder\\no such file", GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    EXPECT_EQ(missing.get(), INVALID_HANDLE_VALUE);
    EXPECT_FALSE(missing);
    EXPECT_FALSE(UniqueFind());
    EXPECT_EQ(UniqueFind().get(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(UniqueKey().get(), nullptr);
    WIN32_FIND_DATAW found{};
    EXPECT_TRUE(UniqueFind(FindFirstFileW(L"C:\\windows\\*", &found)));
}

TEST(HandleOwners, SelectedObjectPutsThePreviousObjectBack) {
    const UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    const UniqueBitmap bitmap(CreateBitmap(8, 8, 1, 32, nullptr));
    ASSERT_TRUE(dc && bitmap);
    const HGDIOBJ original = GetCurrentObject(dc.get(), OBJ_BITMAP);
    {
        const SelectedObject selected(dc.get(), bitmap.get());
        EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BITMAP), bitmap.get());
        {
            const SelectedObject nothing(dc.get(), nullptr);  // selects nothing, puts nothing back
            EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BITMAP), bitmap.get());
        }
        EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BITMAP), bitmap.get());
    }
    EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BITMAP), original);
}

TEST(HandleOwners, IconInfoOwnsBothBitmaps) {
    struct Case {
        bool colour;
        int pictureHeight;  // a monochrome icon's mask holds the AND and XOR halves
    };
    for (const Case c : {Case{true, 16}, Case{false, 32}}) {
        const UniqueIcon icon = MakeIcon(c.colour);
        ASSERT_TRUE(icon) << c.colour;
        HBITMAP colour = nullptr, mask = nullptr;
        {
            const IconInfo info(icon.get());
            ASSERT_TRUE(info) << c.colour;
            colour = info.color();
            mask = info.mask();
            EXPECT_EQ(colour != nullptr, c.colour);
            ASSERT_NE(mask, nullptr);
            EXPECT_EQ(info.picture(), c.colour ? colour : mask);
            BITMAP bm{};
            ASSERT_TRUE(GetObjectW(info.picture(), sizeof bm, &bm));
            EXPECT_EQ(bm.bmHeight, c.pictureHeight);
            EXPECT_EQ(GetObjectType(mask), static_cast<DWORD>(OBJ_BITMAP));
        }
        EXPECT_EQ(GetObjectType(mask), 0u) << c.colour;  // deleted with the owner
        if (colour) {
            EXPECT_EQ(GetObjectType(colour), 0u);
        }
    }
    EXPECT_FALSE(IconInfo(nullptr));
}

// Whether COM is initialised on the calling thread: CoInitializeEx answers S_FALSE when it is.
HRESULT ProbeApartment(DWORD flags) {
    const ComApartment probe(flags);
    return probe.result();
}

TEST(HandleOwners, ComApartmentUninitialisesOnlyWhatItInitialised) {
    std::vector<HRESULT> seen;
    std::thread([&] {
        {
            const ComApartment outer(COINIT_MULTITHREADED);
            seen.push_back(outer.result());
            {
                // Another kind of apartment on the same thread: refused, and nothing to undo.
                const ComApartment inner(COINIT_APARTMENTTHREADED);
                seen.push_back(inner.result());
            }
            seen.push_back(ProbeApartment(COINIT_MULTITHREADED));  // still initialised
        }
        seen.push_back(ProbeApartment(COINIT_APARTMENTTHREADED));  // fully left: any kind again
    }).join();
    EXPECT_EQ(seen, (std::vector<HRESULT>{S_OK, RPC_E_CHANGED_MODE, S_FALSE, S_OK}));
}

TEST(HandleOwners, ScopeExitRunsUnlessDismissed) {
    int runs = 0;
    {
        const ScopeExit count([&] { ++runs; });
    }
    EXPECT_EQ(runs, 1);
    {
        ScopeExit count([&] { ++runs; });
        count.dismiss();
    }
    EXPECT_EQ(runs, 1);
    try {
        const ScopeExit count([&] { ++runs; });
        throw 1;
    } catch (int) {}
    EXPECT_EQ(runs, 2);
}

}  // namespace
