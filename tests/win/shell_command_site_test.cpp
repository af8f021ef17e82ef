// The Windows 11 folder menu on the background of a folder or of the desktop: Explorer may hand
// the handler no item array or an empty one and sets its site (IObjectWithSite); the folder is
// then the site's folder view's (IServiceProvider -> SID_SFolderView -> IFolderView::GetFolder).
// The site here is a host object made by the test, as Explorer's view would answer; Wine's shell
// never drives an IExplorerCommand.
#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <servprov.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

#include "core/base/handles_win.h"
#include "core/base/text.h"
#include "shellext/test_seams_win.h"
#include "tests/support/com_client_win.h"
#include "tests/support/explorer_command_client_win.h"
#include "tests/support/files_win.h"
#include "tests/support/shell_library_test_win.h"
#include "tests/support/message_box_watcher_win.h"
#include "tests/support/wine_drives_win.h"

namespace {

using qm::ComPtr;

// One reference count and QueryInterface over the listed interfaces, for the host's objects.
template <class... Interfaces>
class HostObject : public Interfaces... {
public:
    virtual ~HostObject() = default;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        (void)((riid == __uuidof(Interfaces) ? (*ppv = static_cast<Interfaces*>(this), true) : false) || ...);
        if (!*ppv && riid == IID_IUnknown)
            *ppv = static_cast<IUnknown*>(static_cast<typename Front<Interfaces...>::type*>(this));
        if (!*ppv) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }

private:
    template <class F, class...>
    struct Front {
        using type = F;
    };
    ULONG refs_ = 1;
};

// An item of a file-system path that answers only its names; nothing looks the path up.
class HostItem final : public HostObject<IShellItem> {
public:
    explicit HostItem(std::wstring path) : path_(std::move(path)) {}
    HRESULT STDMETHODCALLTYPE BindToHandler(IBindCtx*, REFGUID, REFIID, void** ppv) override {
        *ppv = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetParent(IShellItem** parent) override {
        *parent = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetDisplayName(SIGDN, LPWSTR* name) override { return SHStrDupW(path_.c_str(), name); }
    HRESULT STDMETHODCALLTYPE GetAttributes(SFGAOF, SFGAOF* attributes) override {
        *attributes = SFGAO_FOLDER | SFGAO_FILESYSTEM;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Compare(IShellItem*, SICHINTF, int*) override { return E_NOTIMPL; }

private:
    std::wstring path_;
};

// An item array of host items (none: as Explorer may hand one for a background).
class HostItems final : public HostObject<IShellItemArray> {
public:
    HostItems() = default;
    explicit HostItems(std::vector<std::wstring> paths) : paths_(std::move(paths)) {}
    HRESULT STDMETHODCALLTYPE BindToHandler(IBindCtx*, REFGUID, REFIID, void** ppv) override { return Fail(ppv); }
    HRESULT STDMETHODCALLTYPE GetPropertyStore(GETPROPERTYSTOREFLAGS, REFIID, void** ppv) override { return Fail(ppv); }
    HRESULT STDMETHODCALLTYPE GetPropertyDescriptionList(REFPROPERTYKEY, REFIID, void** ppv) override {
        return Fail(ppv);
    }
    HRESULT STDMETHODCALLTYPE GetAttributes(SIATTRIBFLAGS, SFGAOF, SFGAOF* attributes) override {
        if (attributes) *attributes = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetCount(DWORD* count) override {
        *count = static_cast<DWORD>(paths_.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetItemAt(DWORD i, IShellItem** item) override {
        if (i >= paths_.size()) return Fail(reinterpret_cast<void**>(item));
        *item = new HostItem(paths_[i]);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE EnumItems(IEnumShellItems** items) override {
        return Fail(reinterpret_cast<void**>(items));
    }

private:
    std::vector<std::wstring> paths_;
    static HRESULT Fail(void** ppv) {
        if (ppv) *ppv = nullptr;
        return E_NOTIMPL;
    }
};

// The folder view of a window showing `folder`: only GetFolder answers.
class HostFolderView final : public HostObject<IFolderView> {
public:
    explicit HostFolderView(std::wstring folder) : folder_(std::move(folder)) {}
    HRESULT STDMETHODCALLTYPE GetFolder(REFIID riid, void** ppv) override {
        return SHCreateItemFromParsingName(folder_.c_str(), nullptr, riid, ppv);
    }
    HRESULT STDMETHODCALLTYPE GetCurrentViewMode(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetCurrentViewMode(UINT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Item(int, PITEMID_CHILD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ItemCount(UINT, int*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Items(UINT, REFIID, void** ppv) override {
        *ppv = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetSelectionMarkedItem(int*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetFocusedItem(int*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetItemPosition(PCUITEMID_CHILD, POINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetSpacing(POINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDefaultSpacing(POINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetAutoArrange() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SelectItem(int, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SelectAndPositionItems(UINT, PCUITEMID_CHILD_ARRAY, POINT*, DWORD) override {
        return E_NOTIMPL;
    }

private:
    std::wstring folder_;
};

// Explorer's site: its folder view through SID_SFolderView when it has a folder; its window.
class HostSite final : public HostObject<IServiceProvider, IOleWindow> {
public:
    HostSite(std::wstring folder, HWND window) : folder_(std::move(folder)), window_(window) {}
    HRESULT STDMETHODCALLTYPE QueryService(REFGUID service, REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (service != SID_SFolderView || folder_.empty()) return E_NOINTERFACE;
        auto* view = new HostFolderView(folder_);
        const HRESULT hr = view->QueryInterface(riid, ppv);
        view->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
        *window = window_;
        return window_ ? S_OK : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

private:
    std::wstring folder_;
    HWND window_;
};

template <class T>
ComPtr<T> Own(T* object) {
    return ComPtr<T>::Attach(object);
}

class ShellCommandSite : public qmtest::ShellLibraryTest {
protected:
    ShellCommandSite() : ShellLibraryTest(L"qmsite") {}
    void SetUp() override {
        ShellLibraryTest::SetUp();
        if (HasFatalFailure()) return;
        install_.SetTheme(L"Two.icl", qmtest::ThemeLibrary(2));
        folder_ = work_.MakeFolder(L"background");
        other_ = work_.MakeFolder(L"selected");
        root_ = qmtest::CreateFolderCommand(library_.get());
        ASSERT_TRUE(root_);
        ASSERT_EQ(root_->QueryInterface(IID_IObjectWithSite, withSite_.put_void()), S_OK);
    }
    // Whether the folder's desktop.ini names an icon.
    static bool HasIcon(const std::wstring& folder) {
        wchar_t icon[MAX_PATH] = {};
        GetPrivateProfileStringW(L".ShellClassInfo", L"IconFile", L"", icon, MAX_PATH,
                                 (folder + L"\\desktop.ini").c_str());
        return icon[0] != L'\0';
    }
    EXPCMDSTATE StateFor(IShellItemArray* items) {
        EXPCMDSTATE state = 0xFF;
        EXPECT_EQ(root_->GetState(items, TRUE, &state), S_OK);
        return state;
    }

    std::wstring folder_, other_;
    ComPtr<IExplorerCommand> root_;
    ComPtr<IObjectWithSite> withSite_;
};

// A slow disk: each folder's job records its folder, then waits until the test opens the gate.
std::mutex g_orderMutex;
std::vector<std::wstring> g_order;
HANDLE g_gate = nullptr;
void SlowDisk(const wchar_t* folder) {
    {
        std::lock_guard lock(g_orderMutex);
        g_order.emplace_back(folder);
    }
    WaitForSingleObject(g_gate, 10000);
}
std::vector<std::wstring> Order() {
    std::lock_guard lock(g_orderMutex);
    return g_order;
}

TEST_F(ShellCommandSite, BackgroundWithoutItemsTakesTheSitesFolder) {
    auto site = Own<IUnknown>(static_cast<IServiceProvider*>(new HostSite(folder_, nullptr)));
    ASSERT_EQ(withSite_->SetSite(site.get()), S_OK);
    ComPtr<IUnknown> got;
    EXPECT_EQ(withSite_->GetSite(IID_IServiceProvider, got.put_void()), S_OK);
    EXPECT_TRUE(got);
    auto empty = Own<IShellItemArray>(new HostItems);
    for (IShellItemArray* items : {static_cast<IShellItemArray*>(nullptr), empty.get()}) {
        SCOPED_TRACE(items ? "empty array" : "no array");
        EXPECT_EQ(StateFor(items), ECS_ENABLED);
        auto flyout = qmtest::ReadFlyout(root_.get(), items, true);
        ASSERT_EQ(flyout.size(), 7u);
        EXPECT_EQ(flyout[5].state, ECS_ENABLED);
        EXPECT_EQ(flyout[5].command->Invoke(items, nullptr), S_OK);  // icon 0
        ASSERT_TRUE(qmtest::WaitForShellJobs(library_.get()));
        EXPECT_TRUE(HasIcon(folder_));
        EXPECT_EQ(flyout[1].command->Invoke(items, nullptr), S_OK);  // Reset
        ASSERT_TRUE(qmtest::WaitForShellJobs(library_.get()));
        EXPECT_FALSE(HasIcon(folder_));
    }
    EXPECT_FALSE(HasIcon(other_));
}

TEST_F(ShellCommandSite, SelectedItemsGoBeforeTheSitesFolder) {
    auto site = Own<IUnknown>(static_cast<IServiceProvider*>(new HostSite(folder_, nullptr)));
    ASSERT_EQ(withSite_->SetSite(site.get()), S_OK);
    const auto items = qmtest::ShellItemsOf({other_});
    auto flyout = qmtest::ReadFlyout(root_.get(), items.get(), true);
    ASSERT_EQ(flyout.size(), 7u);
    EXPECT_EQ(flyout[6].command->Invoke(items.get(), nullptr), S_OK);
    ASSERT_TRUE(qmtest::WaitForShellJobs(library_.get()));
    EXPECT_TRUE(HasIcon(other_));
    EXPECT_FALSE(HasIcon(folder_));
}

TEST_F(ShellCommandSite, SiteWithoutAFolderOrNoSiteHidesTheEntry) {
    auto empty = Own<IShellItemArray>(new HostItems);
    // No site at all, a site without a folder view, a site that is no service provider.
    EXPECT_EQ(StateFor(nullptr), ECS_HIDDEN);
    EXPECT_EQ(StateFor(empty.get()), ECS_HIDDEN);
    ComPtr<IUnknown> got;
    EXPECT_EQ(withSite_->GetSite(IID_IUnknown, got.put_void()), E_FAIL);
    EXPECT_FALSE(got);
    auto silent = Own<IUnknown>(static_cast<IServiceProvider*>(new HostSite(L"", nullptr)));
    ASSERT_EQ(withSite_->SetSite(silent.get()), S_OK);
    EXPECT_EQ(StateFor(nullptr), ECS_HIDDEN);
    EXPECT_EQ(StateFor(empty.get()), ECS_HIDDEN);
    auto notProvider = Own<IUnknown>(new HostItems);
    ASSERT_EQ(withSite_->SetSite(notProvider.get()), S_OK);
    EXPECT_EQ(StateFor(nullptr), ECS_HIDDEN);
    ASSERT_EQ(withSite_->SetSite(nullptr), S_OK);
    EXPECT_EQ(withSite_->GetSite(IID_IUnknown, got.put_void()), E_FAIL);
    // A selection still works without a site.
    const auto items = qmtest::ShellItemsOf({other_});
    EXPECT_EQ(StateFor(items.get()), ECS_ENABLED);
}

// Serves this thread's windows (as Explorer's window thread does) until `done` or about 10 s.
template <class Done>
bool PumpUntil(Done&& done) {
    for (int i = 0; i < 1000 && !done(); ++i) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return done();
}

TEST_F(ShellCommandSite, MessagesOfInvokeAreOwnedByTheSitesWindow) {
    const qm::UniqueWindow window(CreateWindowExW(0, L"STATIC", L"Explorer", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                                                  nullptr, nullptr, nullptr, nullptr));
    ASSERT_TRUE(window);
    auto site = Own<IUnknown>(static_cast<IServiceProvider*>(new HostSite(folder_, window.get())));
    ASSERT_EQ(withSite_->SetSite(site.get()), S_OK);
    const auto items = qmtest::ShellItemsOf({other_});
    auto flyout = qmtest::ReadFlyout(root_.get(), items.get(), true);
    ASSERT_EQ(flyout.size(), 7u);
    // The theme is cut short after the flyout was read: copying its last icon ends with the icon
    // loader's message.
    install_.WriteSetting(L"Options", L"CopyIco", L"1");
    std::vector<std::uint8_t> cut = qmtest::ThemeLibrary(2);
    cut.resize(cut.size() - 64);
    install_.SetTheme(L"Two.icl", cut);
    qmtest::MessageBoxWatcher boxes;
    flyout[6].command->Invoke(items.get(), nullptr);
    // The box comes from the library's worker; its owner's thread (this one) keeps serving messages.
    ASSERT_TRUE(PumpUntil([&] { return qmtest::WaitForShellJobs(library_.get(), 0); }));
    ASSERT_EQ(boxes.Seen().size(), 1u);
    EXPECT_EQ(boxes.Seen()[0].owner, window.get()) << qm::WideToUtf8(boxes.Seen()[0].text);
    // Without a window on the site the boxes have no owner, as before.
    ASSERT_EQ(withSite_->SetSite(nullptr), S_OK);
    flyout = qmtest::ReadFlyout(root_.get(), items.get(), true);
    flyout[6].command->Invoke(items.get(), nullptr);
    ASSERT_TRUE(qmtest::WaitForShellJobs(library_.get()));
    ASSERT_EQ(boxes.Seen().size(), 2u);
    EXPECT_EQ(boxes.Seen()[1].owner, nullptr);
}

TEST_F(ShellCommandSite, HurriedStateIsPendingForNetworkAndRemovablePaths) {
    qmtest::TempDir stick{L"qm-stick"}, share{L"qm-share"};
    const qmtest::WineDriveLetter removable(stick.path(), DRIVE_REMOVABLE), network(share.path(), DRIVE_REMOTE);
    if (removable.root().empty() || network.root().empty()) GTEST_SKIP() << removable.why() << network.why();
    ASSERT_TRUE(CreateDirectoryW((removable.root() + L"f").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((network.root() + L"f").c_str(), nullptr));
    struct Case {
        std::vector<std::wstring> paths;
        bool slow;
    };
    const std::vector<Case> cases = {
        {{other_}, false},
        {{folder_, other_}, false},
        {{removable.root() + L"f"}, true},
        {{network.root() + L"f"}, true},
        {{other_, removable.root() + L"f"}, true},
        {{L"\\\\qm-nosuchserver\\share\\f"}, true},
        {{L"\\\\?\\UNC\\qm-nosuchserver\\share\\f"}, true},
        {{L"\\\\?\\" + removable.root() + L"f"}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(qm::WideToUtf8(c.paths.back()));
        auto items = Own<IShellItemArray>(new HostItems(c.paths));
        EXPCMDSTATE state = 0xFF;
        EXPECT_EQ(root_->GetState(items.get(), FALSE, &state), c.slow ? E_PENDING : S_OK);
        if (!c.slow) {
            EXPECT_EQ(state, ECS_ENABLED);
        }
        // Called again, allowed to be slow, it answers.
        if (c.paths.back().find(L"nosuchserver") == std::wstring::npos) {
            EXPECT_EQ(StateFor(items.get()), ECS_ENABLED);
        }
        // The flyout's entries answer the hurried call alike.
        auto flyout = qmtest::ReadFlyout(root_.get(), items.get(), true);
        ASSERT_EQ(flyout.size(), 7u);
        EXPECT_EQ(flyout[2].command->GetState(items.get(), FALSE, &state), c.slow ? E_PENDING : S_OK);
    }
    // A background on a removable drive: the site's folder decides.
    auto site = Own<IUnknown>(static_cast<IServiceProvider*>(new HostSite(removable.root() + L"f", nullptr)));
    ASSERT_EQ(withSite_->SetSite(site.get()), S_OK);
    EXPCMDSTATE state = 0xFF;
    EXPECT_EQ(root_->GetState(nullptr, FALSE, &state), E_PENDING);
    EXPECT_EQ(StateFor(nullptr), ECS_ENABLED);
}

TEST_F(ShellCommandSite, InvokeReturnsBeforeTheAppliesEndAndQueuesTheNextCommand) {
    const qm::UniqueKernelHandle gate(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(gate);
    g_gate = gate.get();
    g_order.clear();
    seams_->beforeFolderJob = &SlowDisk;
    const std::wstring a = work_.MakeFolder(L"a"), b = work_.MakeFolder(L"b"), c = work_.MakeFolder(L"c");
    const auto three = qmtest::ShellItemsOf({a, b, c});
    const auto one = qmtest::ShellItemsOf({other_});
    const auto first = qmtest::ShellItemsOf({a});
    auto flyout = qmtest::ReadFlyout(root_.get(), three.get(), true);
    ASSERT_EQ(flyout.size(), 7u);
    // Icon 0 on three folders, icon 1 on another, then a reset of the first: each Invoke returns
    // while the first folder's job is still held.
    EXPECT_EQ(flyout[5].command->Invoke(three.get(), nullptr), S_OK);
    EXPECT_EQ(flyout[6].command->Invoke(one.get(), nullptr), S_OK);
    EXPECT_EQ(flyout[1].command->Invoke(first.get(), nullptr), S_OK);
    EXPECT_FALSE(qmtest::WaitForShellJobs(library_.get(), 300));
    EXPECT_LE(Order().size(), 1u);
    for (const auto& folder : {a, b, c, other_}) EXPECT_FALSE(HasIcon(folder)) << qm::WideToUtf8(folder);
    SetEvent(gate.get());
    ASSERT_TRUE(qmtest::WaitForShellJobs(library_.get()));
    // Each folder once, in the order the commands came; the reset came last for the first folder.
    EXPECT_EQ(Order(), (std::vector<std::wstring>{a, b, c, other_, a}));
    EXPECT_FALSE(HasIcon(a));
    EXPECT_TRUE(HasIcon(b));
    EXPECT_TRUE(HasIcon(c));
    EXPECT_TRUE(HasIcon(other_));
}

}  // namespace
