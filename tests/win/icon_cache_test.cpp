// The icon cache rebuild: the registry value sequence seen by a real top-level window at each
// settings broadcast, the cache file, the desktop refresh branches and the association notice.
#include <gtest/gtest.h>

#include <shlobj.h>

#include "core/shell/registry_win.h"
#include "core/shell/icon_cache_win.h"
#include "tests/support/files_win.h"
#include "tests/support/shell_notify_observer_win.h"

namespace {

const wchar_t kMetrics[] = L"Control Panel\\Desktop\\WindowMetrics";
const wchar_t kValue[] = L"Shell Icon Size";

std::wstring CurrentIconSize() {
    wchar_t buf[256] = {};
    DWORD size = sizeof buf - sizeof(wchar_t);
    if (RegGetValueW(HKEY_CURRENT_USER, kMetrics, kValue, RRF_RT_REG_SZ, nullptr, buf, &size) != ERROR_SUCCESS)
        return L"<missing>";
    return buf;
}

// A top-level window of the test that notes the value of "Shell Icon Size" at every WM_SETTINGCHANGE,
// and can pose as the shell's "Progman" desktop window.
class Listener {
public:
    explicit Listener(bool asProgman = false) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = asProgman ? L"Progman" : L"QmSettingListener";
        RegisterClassW(&wc);
        hwnd_ = CreateWindowExW(0, wc.lpszClassName, asProgman ? L"Program Manager" : L"listener", WS_POPUP, 0, 0, 1, 1,
                                nullptr, nullptr, wc.hInstance, nullptr);
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~Listener() { DestroyWindow(hwnd_); }
    std::vector<std::wstring> sizes;  // at each settings change
    std::vector<WPARAM> commands;

private:
    static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM wp, LPARAM lp) {
        auto* self = reinterpret_cast<Listener*>(GetWindowLongPtrW(h, GWLP_USERDATA));
        if (self && m == WM_SETTINGCHANGE && wp == 0 && lp == 0) self->sizes.push_back(CurrentIconSize());
        if (self && m == WM_COMMAND) self->commands.push_back(wp);
        return DefWindowProcW(h, m, wp, lp);
    }
    HWND hwnd_;
};

class IconCacheTest : public testing::Test {
protected:
    void SetUp() override { saved_ = CurrentIconSize(); }
    void TearDown() override { Set(saved_); }
    static void Set(const std::wstring& v) {
        if (v == L"<missing>")
            RegDeleteKeyValueW(HKEY_CURRENT_USER, kMetrics, kValue);
        else
            qm::WriteRegString(HKEY_CURRENT_USER, kMetrics, kValue, v);
    }
    std::wstring saved_;
};

TEST_F(IconCacheTest, IconSizeIsNudgedByOnePixelAndRestoredAroundEachBroadcast) {
    struct Case {
        const wchar_t* before;
        const wchar_t* during;
        const wchar_t* after;
    };
    const Case cases[] = {
        {L"32", L"33", L"32"},
        {L"<missing>", L"33", L"32"},  // afterwards the value exists
        {L"large", L"33", L"large"},   // not a number counts as 32 and is put back as it was
        {L"48", L"49", L"48"},
    };
    for (const auto& c : cases) {
        Set(c.before);
        Listener listener;
        qm::RebuildIconCache();
        // Under Wine the Active Desktop object exists, so there are exactly the two broadcasts.
        ASSERT_GE(listener.sizes.size(), 2u) << c.before;
        EXPECT_EQ(listener.sizes[0], c.during) << c.before;
        EXPECT_EQ(listener.sizes[1], c.after) << c.before;
        EXPECT_EQ(CurrentIconSize(), c.after) << c.before;
    }
}

TEST_F(IconCacheTest, DeletesTheCacheFileAndTellsTheShellAssociationsChanged) {
    wchar_t windows[MAX_PATH];
    GetWindowsDirectoryW(windows, MAX_PATH);
    const std::wstring cache = std::wstring(windows) + L"\\ShellIconCache";
    qmtest::WriteBytes(cache, {1, 2, 3, 4});
    qmtest::ShellNotifyObserver observer;
    observer.Events();
    qm::RebuildIconCache();
    EXPECT_FALSE(qmtest::Exists(cache));
    bool assocChanged = false;
    for (const auto& e : observer.Events()) assocChanged |= e.event == SHCNE_ASSOCCHANGED;
    EXPECT_TRUE(assocChanged);
    qm::RebuildIconCache();  // a missing cache file is no error
}

TEST_F(IconCacheTest, WithoutActiveDesktopTheProgmanWindowGetsTheRefreshCommand) {
    // Wine has no "Progman" window; the test's own window stands in for it.
    Listener progman(true);
    qm::RefreshDesktopWithoutActiveDesktop();
    ASSERT_EQ(progman.commands.size(), 1u);
    EXPECT_EQ(progman.commands[0], WPARAM(0xA065));
    EXPECT_TRUE(progman.sizes.empty());
}

TEST_F(IconCacheTest, WithoutActiveDesktopOrProgmanTheSettingsChangeIsBroadcastOnceMore) {
    ASSERT_EQ(FindWindowW(L"Progman", L"Program Manager"), nullptr);
    Listener listener;
    qm::RefreshDesktopWithoutActiveDesktop();
    EXPECT_EQ(listener.sizes.size(), 1u);
}

TEST_F(IconCacheTest, ActiveDesktopObjectIsUsedWhereThePlatformHasIt) {
    // Wine provides the object (its ApplyChanges answers E_NOTIMPL); then no further step runs.
    Listener listener;
    EXPECT_TRUE(qm::ApplyActiveDesktopChanges());
    qm::RefreshDesktop();
    EXPECT_TRUE(listener.sizes.empty());
}

}  // namespace
