// The Windows 11 folder menu as Explorer's first menu page drives it: the handler made through
// DllGetClassObject, the selection as an IShellItemArray from ID lists, GetTitle, GetIcon,
// GetState and GetFlags of the entry, EnumSubCommands for its flyout, each entry read the same
// way, and Invoke on an entry with one or several folders. What Windows 11 draws from these
// answers only Windows 11 shows (docs/windows11-menu.md).
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "core/base/data_folder_win.h"
#include "core/base/handles_win.h"
#include "core/base/text.h"
#include "core/folder/folder_customization.h"
#include "core/icons/icon_library_writer.h"
#include "core/icons/icon_readers.h"
#include "tests/support/com_client_win.h"
#include "tests/support/explorer_command_client_win.h"
#include "tests/support/files_win.h"
#include "tests/support/icon_fixtures.h"

using qmtest::CommandEntry;

namespace {

constexpr int kCommands = 4;
constexpr int kFirstIcon = 5;  // the four commands, the separator

// Two names of one file (the library may see its folder in another form).
bool SamePath(const std::wstring& a, const std::wstring& b) {
    wchar_t la[1024] = {}, lb[1024] = {};
    return GetLongPathNameW(a.c_str(), la, 1024) && GetLongPathNameW(b.c_str(), lb, 1024) && _wcsicmp(la, lb) == 0;
}

std::wstring CacheFolder() { return qm::UserCacheFolder() + L"MenuIcons"; }

// A folder as the engine left it: every file's bytes and attributes, the icon copy's random name
// replaced by "<copy>" in its name and in desktop.ini.
struct FolderState {
    std::map<std::wstring, std::vector<std::uint8_t>> files;
    std::map<std::wstring, DWORD> attributes;
    bool operator==(const FolderState&) const = default;
};
FolderState StateOf(const std::wstring& folder) {
    FolderState state;
    std::wstring copy;
    for (const auto& name : qmtest::ListFolder(folder)) {
        if (name.rfind(qm::kCopyNamePrefix, 0) == 0) copy = name;
    }
    for (const auto& name : qmtest::ListFolder(folder)) {
        std::vector<std::uint8_t> bytes = qmtest::ReadBytes(folder + L"\\" + name);
        if (!copy.empty() && name == L"desktop.ini") {
            // UTF-16 with its byte-order mark, or ANSI.
            if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
                std::wstring wide((bytes.size() - 2) / 2, L'\0');
                std::memcpy(wide.data(), bytes.data() + 2, wide.size() * 2);
                for (std::size_t at; (at = wide.find(copy)) != std::wstring::npos;)
                    wide.replace(at, copy.size(), L"<copy>");
                bytes.resize(2);
                bytes.insert(bytes.end(), reinterpret_cast<const std::uint8_t*>(wide.data()),
                             reinterpret_cast<const std::uint8_t*>(wide.data() + wide.size()));
            } else {
                std::string narrow(bytes.begin(), bytes.end());
                const std::string copyA(copy.begin(), copy.end());
                for (std::size_t at; (at = narrow.find(copyA)) != std::string::npos;)
                    narrow.replace(at, copyA.size(), "<copy>");
                bytes.assign(narrow.begin(), narrow.end());
            }
        }
        const std::wstring key = name == copy ? L"<copy>" : name;
        state.files[key] = std::move(bytes);
        state.attributes[key] = qmtest::Attributes(folder + L"\\" + name);
    }
    return state;
}

std::string Describe(const FolderState& state) {
    std::string text;
    for (const auto& [name, bytes] : state.files) {
        text += qm::WideToUtf8(name) + " (" + std::to_string(bytes.size()) + " bytes, attributes " +
                std::to_string(state.attributes.at(name)) + ") ";
    }
    return text;
}

class ShellCommand : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(com_.result()));
        qmtest::RemoveTree(CacheFolder());
        library_.reset(LoadLibraryW(install_.dll().c_str()));
        ASSERT_TRUE(library_);
        root_ = qmtest::CreateFolderCommand(library_.get());
        ASSERT_TRUE(root_);
    }
    void TearDown() override {
        root_.reset();
        qmtest::RemoveTree(CacheFolder());
    }
    void UseTheme(int icons) { install_.SetTheme(ThemeName(icons), qmtest::ThemeLibrary(icons)); }
    static std::wstring ThemeName(int icons) { return L"Theme" + std::to_wstring(icons) + L".icl"; }
    std::vector<CommandEntry> Flyout(IShellItemArray* items, bool keep = false) {
        HRESULT hr = E_FAIL;
        auto entries = qmtest::ReadFlyout(root_.get(), items, keep, &hr);
        EXPECT_EQ(hr, S_OK);
        return entries;
    }

    qmtest::ComApartment com_;
    qmtest::ShellInstall install_;
    qmtest::TempDir work_{L"qmcommand"};
    qm::UniqueModule library_;
    qm::ComPtr<IExplorerCommand> root_;
};

TEST_F(ShellCommand, EntryOnTheFirstPageIsQuillmarkWithTheProgramsIconAndAFlyout) {
    const auto items = qmtest::ShellItemsOf({work_.MakeFolder(L"My Files")});
    ASSERT_TRUE(items);
    const CommandEntry entry = qmtest::ReadCommandEntry(root_.get(), items.get());
    EXPECT_EQ(entry.titleResult, S_OK);
    EXPECT_EQ(entry.title, L"Quillmark");
    ASSERT_EQ(entry.iconResult, S_OK);
    const auto icon = qmtest::ParseIconLocation(entry.icon);
    ASSERT_TRUE(icon.valid) << qm::WideToUtf8(entry.icon);
    EXPECT_TRUE(SamePath(icon.file, install_.program()));
    EXPECT_EQ(icon.index, -1);  // the program's icon resource
    EXPECT_EQ(entry.flagsResult, S_OK);
    EXPECT_EQ(entry.flags, static_cast<EXPCMDFLAGS>(ECF_HASSUBCOMMANDS));
    GUID name{};
    EXPECT_EQ(root_->GetCanonicalName(&name), S_OK);
    EXPECT_TRUE(IsEqualGUID(name, qmtest::kFolderCommandClsid));
    LPWSTR tip = nullptr;
    ASSERT_EQ(root_->GetToolTip(items.get(), &tip), S_OK);
    EXPECT_STREQ(tip, L"Change icon of selected Folder");
    CoTaskMemFree(tip);
    // The entry itself runs nothing: it opens its flyout.
    EXPECT_EQ(root_->Invoke(items.get(), nullptr), E_NOTIMPL);
}

TEST_F(ShellCommand, StateShowsTheEntryForFileSystemFoldersOnly) {
    const std::wstring a = work_.MakeFolder(L"a"), b = work_.MakeFolder(L"b c"), c = work_.MakeFolder(L"d");
    const std::wstring file = work_.path() + L"\\file.txt";
    qmtest::WriteBytes(file, {'x'});
    const std::wstring zip = work_.path() + L"\\archive.zip";
    qmtest::WriteBytes(zip, {'P', 'K', 5, 6, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    struct Case {
        std::vector<std::wstring> paths;
        EXPCMDSTATE state;
    };
    const Case cases[] = {
        {{a}, ECS_ENABLED},      {{a, b, c}, ECS_ENABLED}, {{file}, ECS_HIDDEN},
        {{a, file}, ECS_HIDDEN}, {{zip}, ECS_HIDDEN},      {{work_.path()}, ECS_ENABLED},  // a background
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(qm::WideToUtf8(k.paths.back()) + " of " + std::to_string(k.paths.size()));
        const auto items = qmtest::ShellItemsOf(k.paths);
        ASSERT_TRUE(items);
        for (const BOOL slow : {FALSE, TRUE}) {
            EXPCMDSTATE state = 0xFF;
            EXPECT_EQ(root_->GetState(items.get(), slow, &state), S_OK);
            EXPECT_EQ(state, k.state);
        }
    }
    EXPCMDSTATE state = 0xFF;
    EXPECT_EQ(root_->GetState(nullptr, TRUE, &state), S_OK);  // nothing selected
    EXPECT_EQ(state, static_cast<EXPCMDSTATE>(ECS_HIDDEN));
    EXPECT_EQ(root_->GetState(nullptr, TRUE, nullptr), E_POINTER);
}

TEST_F(ShellCommand, FlyoutHoldsTheCommandsASeparatorAndOneNumberedEntryPerIcon) {
    const auto items = qmtest::ShellItemsOf({work_.MakeFolder(L"My Files")});
    ASSERT_TRUE(items);
    for (const int icons : {0, 1, 25, 1000}) {
        SCOPED_TRACE(icons);
        UseTheme(icons);
        const auto entries = Flyout(items.get());
        ASSERT_EQ(entries.size(), static_cast<std::size_t>(kFirstIcon + icons));
        const wchar_t* captions[] = {L"Select custom icon...", L"Reset", L"Change Theme...", L"About Quillmark..."};
        for (int i = 0; i < kCommands; ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(entries[i].titleResult, S_OK);
            EXPECT_EQ(entries[i].title, captions[i]);
            EXPECT_EQ(entries[i].flags, static_cast<EXPCMDFLAGS>(ECF_DEFAULT));
            EXPECT_EQ(entries[i].state, static_cast<EXPCMDSTATE>(ECS_ENABLED));
        }
        EXPECT_EQ(entries[kCommands].flagsResult, S_OK);
        EXPECT_EQ(entries[kCommands].flags, static_cast<EXPCMDFLAGS>(ECF_ISSEPARATOR));
        const std::wstring cache = CacheFolder();
        for (int i = 0; i < icons; ++i) {
            const CommandEntry& e = entries[static_cast<std::size_t>(kFirstIcon + i)];
            SCOPED_TRACE(i);
            ASSERT_EQ(e.title, std::to_wstring(i));
            ASSERT_EQ(e.flags, static_cast<EXPCMDFLAGS>(ECF_DEFAULT));
            ASSERT_EQ(e.state, static_cast<EXPCMDSTATE>(ECS_ENABLED));
            // An NE theme: an .ico file of its own in the user's cache, holding that icon.
            ASSERT_EQ(e.iconResult, S_OK);
            const auto location = qmtest::ParseIconLocation(e.icon);
            ASSERT_TRUE(location.valid) << qm::WideToUtf8(e.icon);
            EXPECT_EQ(location.index, 0);
            ASSERT_EQ(_wcsnicmp(location.file.c_str(), cache.c_str(), cache.size()), 0) << qm::WideToUtf8(e.icon);
            ASSERT_EQ(qmtest::ReadBytes(location.file), qmtest::ThemeIcon(i));
        }
    }
}

TEST_F(ShellCommand, NeThemeIconsAreWrittenOnceAndRefreshedWhenTheThemeChanges) {
    const auto items = qmtest::ShellItemsOf({work_.MakeFolder(L"f")});
    UseTheme(3);
    const auto first = Flyout(items.get());
    ASSERT_EQ(first.size(), static_cast<std::size_t>(kFirstIcon + 3));
    const std::wstring icon0 = qmtest::ParseIconLocation(first[kFirstIcon].icon).file;
    const std::wstring icon1 = qmtest::ParseIconLocation(first[kFirstIcon + 1].icon).file;
    ASSERT_FALSE(icon0.empty());
    // Written once: a file of the cache is not written again for the same theme file; a missing
    // one is made again.
    qmtest::WriteBytes(icon0, {'k', 'e', 'p', 't'});
    ASSERT_TRUE(DeleteFileW(icon1.c_str()));
    const auto second = Flyout(items.get());
    ASSERT_EQ(second.size(), first.size());
    EXPECT_EQ(second[kFirstIcon].icon, first[kFirstIcon].icon);
    EXPECT_EQ(qmtest::ReadBytes(icon0), (std::vector<std::uint8_t>{'k', 'e', 'p', 't'}));
    EXPECT_EQ(qmtest::ReadBytes(icon1), qmtest::ThemeIcon(1));
    // The theme file changes (other icons, other size): new files, the old ones gone.
    const auto other = qmtest::MakeIcoFile({qmtest::ImageSpec{32, 32, 8, 99}});
    install_.SetTheme(ThemeName(3), qmtest::ThemeLibrary(4, {other}));
    const auto third = Flyout(items.get());
    ASSERT_EQ(third.size(), static_cast<std::size_t>(kFirstIcon + 4));
    const std::wstring fresh0 = qmtest::ParseIconLocation(third[kFirstIcon].icon).file;
    EXPECT_NE(fresh0, icon0);
    EXPECT_EQ(qmtest::ReadBytes(fresh0), other);
    EXPECT_EQ(qmtest::ReadBytes(qmtest::ParseIconLocation(third[kFirstIcon + 3].icon).file), qmtest::ThemeIcon(3));
    EXPECT_FALSE(qmtest::Exists(icon0));
    EXPECT_FALSE(qmtest::Exists(icon1));
}

TEST_F(ShellCommand, PeAndIcoThemesGiveTheirOwnPathWithResourceIdOrIndex) {
    const auto items = qmtest::ShellItemsOf({work_.MakeFolder(L"f")});
    // A PE theme of one named group (listed first by the platform) and three numbered ones.
    qmtest::IconSet set;
    set.Add(qmtest::ThemeIcon(0));
    set.Add(qmtest::ThemeIcon(1), L"NAMED");
    set.Add(qmtest::ThemeIcon(2));
    set.Add(qmtest::ThemeIcon(3));
    install_.SetTheme(L"Module.dll", qm::BuildPeIconLibrary(set.Icons()));
    const auto entries = Flyout(items.get());
    ASSERT_EQ(entries.size(), static_cast<std::size_t>(kFirstIcon + 4));
    const int expected[] = {0, -1, -2, -3};  // the named group by its index, the others by id
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        const auto location = qmtest::ParseIconLocation(entries[static_cast<std::size_t>(kFirstIcon + i)].icon);
        ASSERT_TRUE(location.valid);
        EXPECT_TRUE(SamePath(location.file, install_.ThemePath(L"Module.dll")));
        EXPECT_EQ(location.index, expected[i]);
        // What the platform's extraction finds at that location is the entry's icon.
        const HICON extracted = ExtractIconW(GetModuleHandleW(nullptr), location.file.c_str(), location.index);
        EXPECT_GT(reinterpret_cast<UINT_PTR>(extracted), 1u);
        if (reinterpret_cast<UINT_PTR>(extracted) > 1) DestroyIcon(extracted);
    }
    EXPECT_FALSE(qmtest::Exists(CacheFolder()));  // nothing written for a theme Windows reads
    // An .ico theme: its one icon at index 0.
    install_.SetTheme(L"One.ico", qmtest::ThemeIcon(5));
    const auto ico = Flyout(items.get());
    ASSERT_EQ(ico.size(), static_cast<std::size_t>(kFirstIcon + 1));
    const auto location = qmtest::ParseIconLocation(ico[kFirstIcon].icon);
    EXPECT_TRUE(SamePath(location.file, install_.ThemePath(L"One.ico")));
    EXPECT_EQ(location.index, 0);
    // A missing theme: the commands alone.
    install_.WriteSetting(L"Theme", L"name", L"Missing.icl");
    EXPECT_EQ(Flyout(items.get()).size(), static_cast<std::size_t>(kFirstIcon));
}

TEST_F(ShellCommand, IconEntryAppliesToEverySelectedFolderAsTheClassicMenuDoes) {
    UseTheme(10);
    constexpr int kIcon = 7;
    // The classic menu's results on a folder of its own, the references: the icon applied, then reset.
    const std::wstring reference = work_.MakeFolder(L"Reference");
    const auto classicInvoke = [&](UINT offset) {
        qmtest::ShellMenuHost classic;
        ASSERT_EQ(classic.CreateFrom(library_.get()), S_OK);
        ASSERT_EQ(classic.InitializeWithFolders({reference}), S_OK);
        ASSERT_TRUE(SUCCEEDED(classic.QueryContextMenu()));
        ASSERT_EQ(classic.InvokeOffset(offset), S_OK);
    };
    classicInvoke(5 + kIcon);
    const FolderState applied = StateOf(reference);
    ASSERT_EQ(applied.files.count(L"<copy>"), 1u);
    EXPECT_EQ(applied.files.at(L"<copy>"), qmtest::ThemeIcon(kIcon));
    classicInvoke(2);
    const FolderState reset = StateOf(reference);
    EXPECT_EQ(reset.files.count(L"<copy>"), 0u);

    for (const int selected : {1, 3}) {
        SCOPED_TRACE(selected);
        std::vector<std::wstring> folders;
        for (int i = 0; i < selected; ++i) {
            folders.push_back(work_.MakeFolder(L"Sel" + std::to_wstring(selected) + L" " + std::to_wstring(i)));
        }
        const auto items = qmtest::ShellItemsOf(folders);
        ASSERT_TRUE(items);
        auto entries = Flyout(items.get(), true);
        ASSERT_EQ(entries.size(), static_cast<std::size_t>(kFirstIcon + 10));
        EXPECT_EQ(entries[kFirstIcon + kIcon].command->Invoke(items.get(), nullptr), S_OK);
        ASSERT_TRUE(qmtest::WaitForShellJobs(library_.get()));  // the applies run on the library's worker
        for (const auto& folder : folders) {
            SCOPED_TRACE(qm::WideToUtf8(folder));
            const FolderState now = StateOf(folder);
            EXPECT_TRUE(now == applied) << Describe(now) << "\n" << Describe(applied);
        }
        EXPECT_EQ(entries[1].command->Invoke(items.get(), nullptr), S_OK);  // Reset
        ASSERT_TRUE(qmtest::WaitForShellJobs(library_.get()));
        for (const auto& folder : folders) {
            SCOPED_TRACE(qm::WideToUtf8(folder));
            const FolderState now = StateOf(folder);
            EXPECT_TRUE(now == reset) << Describe(now) << "\n" << Describe(reset);
        }
    }
}

TEST_F(ShellCommand, EntriesRefuseWhatIsNoFolderAndChangeNothing) {
    UseTheme(3);
    const std::wstring folder = work_.MakeFolder(L"f");
    const std::wstring file = work_.path() + L"\\file.txt";
    qmtest::WriteBytes(file, {'x'});
    const auto items = qmtest::ShellItemsOf({folder, file});
    auto entries = Flyout(items.get(), true);
    ASSERT_EQ(entries.size(), static_cast<std::size_t>(kFirstIcon + 3));
    EXPECT_EQ(entries[kFirstIcon].command->Invoke(items.get(), nullptr), E_FAIL);
    EXPECT_EQ(entries[1].command->Invoke(items.get(), nullptr), E_FAIL);
    EXPECT_EQ(entries[kFirstIcon].command->Invoke(nullptr, nullptr), E_FAIL);
    EXPECT_EQ(entries[kCommands].command->Invoke(items.get(), nullptr), E_INVALIDARG);  // the separator
    EXPECT_TRUE(qmtest::ListFolder(folder).empty());
    EXPECT_EQ(qmtest::ReadBytes(file), std::vector<std::uint8_t>{'x'});
}

TEST_F(ShellCommand, CommandsStartTheProgramAndTheCustomIconWindowTakesOneFolder) {
    UseTheme(1);
    const std::wstring one = work_.MakeFolder(L"My Files");
    const auto single = qmtest::ShellItemsOf({one});
    const auto three = qmtest::ShellItemsOf({one, work_.MakeFolder(L"b"), work_.MakeFolder(L"c")});
    auto entries = Flyout(single.get(), true);
    ASSERT_EQ(entries.size(), static_cast<std::size_t>(kFirstIcon + 1));
    struct Case {
        int entry;
        IShellItemArray* items;
        std::vector<std::wstring> args;
    };
    const Case cases[] = {
        {2, single.get(), {L"/theme"}}, {3, nullptr, {L"/about"}}, {0, single.get(), {L"/CUSTOM", one}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entry);
        install_.ClearStarts();
        EXPECT_EQ(entries[static_cast<std::size_t>(c.entry)].command->Invoke(c.items, nullptr), S_OK);
        const std::wstring line = install_.WaitForStart();
        ASSERT_FALSE(line.empty());
        const auto args = qm::SplitCommandLine(line);
        EXPECT_EQ(args, c.args) << qm::WideToUtf8(line);
    }
    // The custom icon window edits one folder: disabled, and refused, for three.
    EXPCMDSTATE state = 0;
    EXPECT_EQ(entries[0].command->GetState(three.get(), TRUE, &state), S_OK);
    EXPECT_EQ(state, static_cast<EXPCMDSTATE>(ECS_DISABLED));
    install_.ClearStarts();
    EXPECT_EQ(entries[0].command->Invoke(three.get(), nullptr), E_INVALIDARG);
}

TEST_F(ShellCommand, ListFollowsTheEnumeratorContract) {
    UseTheme(3);
    qm::ComPtr<IEnumExplorerCommand> list;
    ASSERT_EQ(root_->EnumSubCommands(list.put()), S_OK);
    IExplorerCommand* got[10] = {};
    ULONG fetched = 99;
    EXPECT_EQ(list->Next(2, got, nullptr), E_INVALIDARG);  // a count above one needs the fetched count
    ASSERT_EQ(list->Next(3, got, &fetched), S_OK);
    EXPECT_EQ(fetched, 3u);
    for (ULONG i = 0; i < fetched; ++i) got[i]->Release();
    EXPECT_EQ(list->Skip(2), S_OK);  // past the About entry and the separator
    qm::ComPtr<IEnumExplorerCommand> copy;
    ASSERT_EQ(list->Clone(copy.put()), S_OK);
    ASSERT_EQ(list->Next(10, got, &fetched), S_FALSE);  // the three icons are left
    ASSERT_EQ(fetched, 3u);
    LPWSTR title = nullptr;
    ASSERT_EQ(got[0]->GetTitle(nullptr, &title), S_OK);
    EXPECT_STREQ(title, L"0");
    CoTaskMemFree(title);
    for (ULONG i = 0; i < fetched; ++i) got[i]->Release();
    EXPECT_EQ(list->Next(1, got, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 0u);
    EXPECT_EQ(list->Skip(1), S_FALSE);
    ASSERT_EQ(copy->Next(1, got, nullptr), S_OK);  // the clone kept its own place
    ASSERT_EQ(got[0]->GetTitle(nullptr, &title), S_OK);
    EXPECT_STREQ(title, L"0");
    CoTaskMemFree(title);
    got[0]->Release();
    ASSERT_EQ(list->Reset(), S_OK);
    ASSERT_EQ(list->Next(1, got, nullptr), S_OK);
    ASSERT_EQ(got[0]->GetTitle(nullptr, &title), S_OK);
    EXPECT_STREQ(title, L"Select custom icon...");
    CoTaskMemFree(title);
    got[0]->Release();
    // The class is served by the library's factory and by no other identifier's.
    HRESULT hr = S_OK;
    EXPECT_TRUE(qmtest::CreateFolderCommand(library_.get(), &hr));
    EXPECT_EQ(hr, S_OK);
}

}  // namespace
