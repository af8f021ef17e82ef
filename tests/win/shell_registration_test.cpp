// The extension's server: regsvr32 registration read back from the registry, the exports, the
// class factory and the counters that decide when the library may be unloaded.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <atomic>
#include <thread>
#include <vector>

#include "core/base/handles_win.h"
#include "core/folder/folder_files_win.h"
#include "tests/support/com_client_win.h"

using qmtest::ComPtr;
using qmtest::kQuillshellClsidText;
using qmtest::ReadRegValue;
using qmtest::RegKeyExists;
using qmtest::ShellInstall;

namespace {

const std::wstring kClassKey = std::wstring(L"CLSID\\") + kQuillshellClsidText;
const std::wstring kServerKey = kClassKey + L"\\InprocServer32";
const std::wstring kHandlerKey = L"Directory\\shellex\\ContextMenuHandlers\\PelmoContextMenu";
const std::wstring kApprovedKey = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved";
const std::wstring kDescription = L"Ostrel QuillMark Shell Extensions";

std::wstring ShortPath(const std::wstring& path) {
    std::wstring s(1024, L'\0');
    const DWORD n = GetShortPathNameW(path.c_str(), s.data(), static_cast<DWORD>(s.size()));
    s.resize(n);
    return s;
}

std::wstring LongPath(const std::wstring& path) {
    std::wstring s(1024, L'\0');
    const DWORD n = GetLongPathNameW(path.c_str(), s.data(), static_cast<DWORD>(s.size()));
    s.resize(n);
    return s;
}

void ExpectNothingRegistered() {
    EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, kServerKey));
    EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, kClassKey));
    EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, kHandlerKey));
    EXPECT_FALSE(ReadRegValue(HKEY_LOCAL_MACHINE, kApprovedKey, kQuillshellClsidText).exists);
}

class ShellRegistration : public testing::Test {
protected:
    void SetUp() override { qmtest::RemoveQuillshellRegistration(); }
    void TearDown() override { qmtest::RemoveQuillshellRegistration(); }
};

TEST_F(ShellRegistration, RegisterWritesEveryEntryAndUnregisterRemovesThem) {
    struct Case {
        const wchar_t* folder;
        bool blank;
    };
    for (const Case c : {Case{L"Quill Mark", true}, Case{L"QuillMark", false}}) {
        SCOPED_TRACE(c.folder);
        ShellInstall install(c.folder);
        ASSERT_EQ(qmtest::RunRegsvr32(install.dll(), false), 0u);

        const auto cls = ReadRegValue(HKEY_CLASSES_ROOT, kClassKey, nullptr);
        EXPECT_TRUE(cls.exists);
        EXPECT_EQ(cls.type, static_cast<DWORD>(REG_SZ));
        EXPECT_EQ(cls.data, kDescription);

        const auto server = ReadRegValue(HKEY_CLASSES_ROOT, kServerKey, nullptr);
        EXPECT_EQ(server.type, static_cast<DWORD>(REG_SZ));
        if (c.blank) {
            // The 8.3 form: no blank, and it names the installed library.
            EXPECT_EQ(server.data, ShortPath(install.dll()));
            EXPECT_EQ(server.data.find(L' '), std::wstring::npos) << server.data;
            EXPECT_EQ(_wcsicmp(LongPath(server.data).c_str(), install.dll().c_str()), 0) << server.data;
        } else {
            EXPECT_EQ(_wcsicmp(server.data.c_str(), install.dll().c_str()), 0) << server.data;
        }

        const auto threading = ReadRegValue(HKEY_CLASSES_ROOT, kServerKey, L"ThreadingModel");
        EXPECT_EQ(threading.type, static_cast<DWORD>(REG_SZ));
        EXPECT_EQ(threading.data, L"Apartment");

        const auto approved = ReadRegValue(HKEY_LOCAL_MACHINE, kApprovedKey, kQuillshellClsidText);
        EXPECT_EQ(approved.type, static_cast<DWORD>(REG_SZ));
        EXPECT_EQ(approved.data, kDescription);

        const auto handler = ReadRegValue(HKEY_CLASSES_ROOT, kHandlerKey, nullptr);
        EXPECT_EQ(handler.type, static_cast<DWORD>(REG_SZ));
        EXPECT_EQ(handler.data, kQuillshellClsidText);

        // No programmatic identifier: the class key holds nothing else.
        EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, kClassKey + L"\\ProgID"));

        ASSERT_EQ(qmtest::RunRegsvr32(install.dll(), true), 0u);
        ExpectNothingRegistered();
        // Unregistering what is not there succeeds too.
        EXPECT_EQ(qmtest::RunRegsvr32(install.dll(), true), 0u);
        ExpectNothingRegistered();
    }
}

TEST_F(ShellRegistration, UnregisterRemovesSubkeysAddedUnderTheHandlerKey) {
    ShellInstall install;
    ASSERT_EQ(qmtest::RunRegsvr32(install.dll(), false), 0u);
    HKEY raw = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, (kHandlerKey + L"\\Extra").c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                              &raw, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(raw);
    ASSERT_EQ(qmtest::RunRegsvr32(install.dll(), true), 0u);
    ExpectNothingRegistered();
}

// ---- exports and counters, with the library loaded directly ---------------------------------

using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, LPVOID*);
using CanUnloadFn = HRESULT(STDAPICALLTYPE*)();

class ShellServer : public testing::Test {
protected:
    void SetUp() override {
        library_.reset(LoadLibraryW(install_.dll().c_str()));
        ASSERT_TRUE(library_);
        getClassObject_ = reinterpret_cast<GetClassObjectFn>(
            reinterpret_cast<void*>(GetProcAddress(library_.get(), "DllGetClassObject")));
        canUnload_ =
            reinterpret_cast<CanUnloadFn>(reinterpret_cast<void*>(GetProcAddress(library_.get(), "DllCanUnloadNow")));
        ASSERT_NE(getClassObject_, nullptr);
        ASSERT_NE(canUnload_, nullptr);
    }
    ComPtr<IClassFactory> Factory() {
        ComPtr<IClassFactory> f;
        EXPECT_EQ(getClassObject_(qmtest::kQuillshellClsid, IID_IClassFactory, f.put_void()), S_OK);
        return f;
    }

    qmtest::ComApartment com_;
    ShellInstall install_;
    qm::UniqueModule library_;
    GetClassObjectFn getClassObject_ = nullptr;
    CanUnloadFn canUnload_ = nullptr;
};

TEST_F(ShellServer, ExportsAreTheFourOfAnInProcessServer) {
    for (const char* name : {"DllGetClassObject", "DllCanUnloadNow", "DllRegisterServer", "DllUnregisterServer"}) {
        EXPECT_NE(GetProcAddress(library_.get(), name), nullptr) << name;
    }
}

TEST_F(ShellServer, ForeignClassOrInterfaceIsRefused) {
    void* p = reinterpret_cast<void*>(1);
    EXPECT_EQ(getClassObject_(CLSID_ShellLink, IID_IClassFactory, &p), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(p, nullptr);
    p = reinterpret_cast<void*>(1);
    EXPECT_EQ(getClassObject_(qmtest::kQuillshellClsid, IID_IContextMenu, &p), E_NOINTERFACE);
    EXPECT_EQ(p, nullptr);
    EXPECT_EQ(canUnload_(), S_OK);
}

TEST_F(ShellServer, CanUnloadOnlyWhenNoObjectLockOrFactoryReferenceIsAlive) {
    EXPECT_EQ(canUnload_(), S_OK);
    {
        auto factory = Factory();
        ASSERT_TRUE(factory);
        EXPECT_EQ(canUnload_(), S_FALSE);  // a factory reference

        ComPtr<IShellExtInit> init;
        ASSERT_EQ(factory->CreateInstance(nullptr, IID_IShellExtInit, init.put_void()), S_OK);
        EXPECT_EQ(factory->LockServer(TRUE), S_OK);
        factory.reset();
        EXPECT_EQ(canUnload_(), S_FALSE);  // an object and a lock
        init.reset();
        EXPECT_EQ(canUnload_(), S_FALSE);  // the lock
        auto again = Factory();
        EXPECT_EQ(again->LockServer(FALSE), S_OK);
        EXPECT_EQ(canUnload_(), S_FALSE);  // the factory reference
    }
    EXPECT_EQ(canUnload_(), S_OK);
}

TEST_F(ShellServer, ObjectServesBothInterfacesWithOneIdentityAndCount) {
    auto factory = Factory();
    ComPtr<IContextMenu> menu;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IContextMenu, menu.put_void()), S_OK);
    ComPtr<IShellExtInit> init;
    ASSERT_EQ(menu->QueryInterface(IID_IShellExtInit, init.put_void()), S_OK);
    ComPtr<IUnknown> a, b;
    ASSERT_EQ(menu->QueryInterface(IID_IUnknown, a.put_void()), S_OK);
    ASSERT_EQ(init->QueryInterface(IID_IUnknown, b.put_void()), S_OK);
    EXPECT_EQ(a.get(), b.get());
    ComPtr<IContextMenu> back;
    ASSERT_EQ(init->QueryInterface(IID_IContextMenu, back.put_void()), S_OK);
    EXPECT_EQ(back.get(), menu.get());
    void* p = reinterpret_cast<void*>(1);
    EXPECT_EQ(menu->QueryInterface(IID_IDataObject, &p), E_NOINTERFACE);
    EXPECT_EQ(p, nullptr);
    // AddRef and Release count together over both interfaces: 5 references now.
    EXPECT_EQ(init->AddRef(), 6u);
    EXPECT_EQ(menu->Release(), 5u);
    // Aggregation is not offered.
    ComPtr<IUnknown> aggregated;
    EXPECT_EQ(factory->CreateInstance(a.get(), IID_IUnknown, aggregated.put_void()), CLASS_E_NOAGGREGATION);
    EXPECT_FALSE(aggregated);
    ComPtr<IUnknown> wrong;
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IDataObject, wrong.put_void()), E_NOINTERFACE);
    factory.reset();
    menu.reset();
    init.reset();
    a.reset();
    b.reset();
    back.reset();
    EXPECT_EQ(canUnload_(), S_OK);  // the refused creation left no object behind
}

TEST_F(ShellServer, ManyObjectsOnSeveralThreadsLeaveTheCountersAtZero) {
    constexpr int kThreads = 4;
    constexpr int kObjectsPerThread = 250;
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&] {
            CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
            {
                ComPtr<IClassFactory> factory;
                if (getClassObject_(qmtest::kQuillshellClsid, IID_IClassFactory, factory.put_void()) != S_OK) {
                    ++failures;
                } else {
                    std::vector<ComPtr<IShellExtInit>> alive;
                    for (int i = 0; i < kObjectsPerThread; ++i) {
                        ComPtr<IShellExtInit> init;
                        if (factory->CreateInstance(nullptr, IID_IShellExtInit, init.put_void()) != S_OK) ++failures;
                        ComPtr<IContextMenu> menu;
                        if (init && init->QueryInterface(IID_IContextMenu, menu.put_void()) != S_OK) ++failures;
                        factory->LockServer(TRUE);
                        if (i % 2 == 0) alive.push_back(std::move(init));  // some live longer
                        factory->LockServer(FALSE);
                    }
                }
            }
            CoUninitialize();
        });
    }
    for (auto& t : threads) t.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(canUnload_(), S_OK);
}

HRESULT CanUnload(const std::wstring& dll) {
    const HMODULE module = GetModuleHandleW(dll.c_str());
    if (!module) return E_FAIL;
    const auto canUnload =
        reinterpret_cast<CanUnloadFn>(reinterpret_cast<void*>(GetProcAddress(module, "DllCanUnloadNow")));
    return canUnload ? canUnload() : E_FAIL;
}

// Explorer's whole sequence on a shell thread of its own, through the registry: the class object,
// a new object, Initialize, QueryContextMenu, GetCommandString, InvokeCommand, Release and
// CoFreeUnusedLibraries; then the thread ends, as shell threads do. The library stays loaded
// (it pins itself: the runtime's per-thread module references would otherwise unload it from
// inside the ending thread), and the thread's end must go through.
TEST(ShellSequence, ExplorerSequenceThroughTheRegistryAndTheShellThreadsEnd) {
    qmtest::RemoveQuillshellRegistration();
    ShellInstall install;
    install.SetTheme(L"Four.icl", qmtest::ThemeLibrary(4));
    qmtest::TempDir work(L"qmfolders");
    const std::wstring folder = work.MakeFolder(L"Some Folder");
    ASSERT_EQ(qmtest::RunRegsvr32(install.dll(), false), 0u);

    struct Seen {
        HRESULT create = E_FAIL, init = E_FAIL, query = E_FAIL, verb = E_FAIL, invoke = E_FAIL;
        std::string verbText;
        bool loadedWhileAlive = false, canUnloadWhileAlive = true;
        HRESULT canUnloadAfterRelease = S_FALSE;
    } seen;
    std::thread shell([&] {
        qmtest::ComApartment com;
        {
            qmtest::ShellMenuHost host;
            seen.create = host.Create();
            if (FAILED(seen.create)) return;
            seen.init = host.InitializeWithFolders({folder});
            seen.query = host.QueryContextMenu(CMF_NORMAL, 1);
            char verb[32] = {};
            seen.verb = host.menuHandler()->GetCommandString(0, GCS_VERBA, nullptr, verb, sizeof verb);
            seen.verbText = verb;
            seen.invoke = host.InvokeOffset(5 + 3);  // icon 3
            seen.loadedWhileAlive = qmtest::ModuleLoaded(install.dll());
            CoFreeUnusedLibraries();
            seen.canUnloadWhileAlive = CanUnload(install.dll()) == S_OK;
            host.Release();
        }
        CoFreeUnusedLibraries();
        seen.canUnloadAfterRelease = CanUnload(install.dll());
    });
    shell.join();
    EXPECT_EQ(seen.create, S_OK);
    EXPECT_EQ(seen.init, S_OK);
    EXPECT_EQ(HRESULT_CODE(seen.query), 9);
    EXPECT_EQ(seen.verb, S_OK);
    EXPECT_EQ(seen.verbText, "Change Icon");
    EXPECT_EQ(seen.invoke, S_OK);
    EXPECT_TRUE(seen.loadedWhileAlive);
    EXPECT_FALSE(seen.canUnloadWhileAlive);  // an object alive keeps the library
    EXPECT_EQ(seen.canUnloadAfterRelease, S_OK);
    // A second shell thread uses the library again and ends as well.
    HRESULT again = E_FAIL;
    std::thread second([&] {
        qmtest::ComApartment com;
        qmtest::ShellMenuHost host;
        again = host.Create();
        if (SUCCEEDED(again)) again = host.InitializeWithFolders({folder});
        if (SUCCEEDED(again)) again = host.QueryContextMenu();
    });
    second.join();
    EXPECT_EQ(HRESULT_CODE(again), 9);
    EXPECT_EQ(qmtest::ReadRegValue(HKEY_CLASSES_ROOT, kServerKey, L"ThreadingModel").data, L"Apartment");
    EXPECT_EQ(qm::ReadFolderCustomization(folder).IconIndex, L"0");  // the icon's copy went in
    qmtest::RemoveQuillshellRegistration();
}

}  // namespace
