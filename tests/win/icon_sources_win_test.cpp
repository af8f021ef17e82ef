// The icon sources against the platform under Wine: our PE resource reader against
// LoadLibraryExW(LOAD_LIBRARY_AS_DATAFILE) + EnumResourceNamesW + FindResourceW/LoadResource on
// real modules of the prefix and on our own PE32 libraries; the icon library against
// ExtractIconExW on .ico, NE and PE files (counts and pictures); file access on read-only media.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>
#include <string>
#include <vector>

#include "core/base/error.h"
#include "core/base/handles_win.h"
#include "core/base/text.h"
#include "core/icons/icon_file.h"
#include "core/icons/icon_library.h"
#include "core/icons/icon_library_writer.h"
#include "core/icons/icon_library_win.h"
#include "core/icons/icon_probe.h"
#include "core/icons/icon_container.h"
#include "tests/support/files_win.h"
#include "tests/support/icon_fixtures.h"

using namespace qm;

namespace {

struct PlatformGroup {
    PeResourceName name;
    std::vector<std::uint8_t> bytes;
};

std::vector<std::uint8_t> ResourceBytes(HMODULE module, LPCWSTR name, LPCWSTR type, bool* found = nullptr) {
    HRSRC res = FindResourceW(module, name, type);
    if (found) *found = res != nullptr;
    if (!res) return {};
    const DWORD size = SizeofResource(module, res);
    HGLOBAL global = LoadResource(module, res);
    const auto* data = static_cast<const std::uint8_t*>(LockResource(global));
    if (!data) return {};
    return std::vector<std::uint8_t>(data, data + size);
}

BOOL CALLBACK CollectName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param) {
    auto* names = reinterpret_cast<std::vector<PeResourceName>*>(param);
    PeResourceName n;
    if (IS_INTRESOURCE(name)) {
        n.id = static_cast<std::uint16_t>(reinterpret_cast<ULONG_PTR>(name));
    } else {
        n.isId = false;
        n.name = name;
    }
    names->push_back(n);
    return TRUE;
}

// The platform's view of a module's icon groups, in its enumeration order.
std::vector<PlatformGroup> PlatformGroups(HMODULE module) {
    std::vector<PeResourceName> names;
    EnumResourceNamesW(module, RT_GROUP_ICON, CollectName, reinterpret_cast<LONG_PTR>(&names));
    std::vector<PlatformGroup> groups;
    for (const PeResourceName& n : names) {
        LPCWSTR name = n.isId ? MAKEINTRESOURCEW(n.id) : n.name.c_str();
        groups.push_back({n, ResourceBytes(module, name, RT_GROUP_ICON)});
    }
    return groups;
}

std::wstring SystemFolder() {
    wchar_t buffer[MAX_PATH];
    const UINT n = GetSystemDirectoryW(buffer, MAX_PATH);
    return std::wstring(buffer, n);
}

std::vector<std::uint8_t> ViewBytes(ByteView v) { return std::vector<std::uint8_t>(v.data(), v.data() + v.size()); }

void ExpectSameAsPlatform(const std::wstring& file, std::size_t minGroups) {
    SCOPED_TRACE(std::string(file.begin(), file.end()));
    UniqueModule module(LoadLibraryExW(file.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_TRUE(module);
    const std::vector<PlatformGroup> platform = PlatformGroups(module.get());
    ASSERT_GE(platform.size(), minGroups);

    InputFile input;
    ASSERT_TRUE(OpenForReading(input, file));
    PeIconIndex index;
    ASSERT_TRUE(IndexPeIcons(input.Bytes(), index));
    ASSERT_EQ(index.groups.size(), platform.size());
    std::size_t images = 0;
    for (std::size_t i = 0; i < platform.size(); ++i) {
        const PeIconIndex::Group& ours = index.groups[i];
        EXPECT_EQ(ours.name.isId, platform[i].name.isId) << i;
        EXPECT_EQ(ours.name.id, platform[i].name.id) << i;
        EXPECT_EQ(ours.name.name, platform[i].name.name) << i;
        ASSERT_TRUE(ours.data.present) << i;
        EXPECT_EQ(ViewBytes(*input.Bytes().Sub(ours.data.offset, ours.data.size)), platform[i].bytes) << i;
        IconGroupData group;
        std::wstring failure;
        ASSERT_TRUE(ReadPeGroup(input.Bytes(), index, i, group, failure))
            << i << " " << std::string(failure.begin(), failure.end());
        for (std::size_t k = 0; k < group.entries.size(); ++k) {
            bool found = false;
            const auto image = ResourceBytes(module.get(), MAKEINTRESOURCEW(group.entries[k].ID), RT_ICON, &found);
            EXPECT_TRUE(found);
            EXPECT_EQ(ViewBytes(group.images[k]), image) << i << "/" << k;
            ++images;
        }
    }
    EXPECT_GE(images, platform.size());
}

}  // namespace

TEST(PeReaderVsPlatform, RealModulesOfThePrefix) {
    const std::wstring system = SystemFolder();
    struct Case {
        std::wstring file;
        std::size_t minGroups;
    } cases[] = {
        {system + L"\\shell32.dll", 100}, {system + L"\\user32.dll", 5},   {system + L"\\comctl32.dll", 1},
        {system + L"\\comdlg32.dll", 0},  {system + L"\\explorer.exe", 0}, {system + L"\\kernel32.dll", 0},
        {system + L"\\winecfg.exe", 1},
    };
    int tested = 0;
    for (const Case& c : cases) {
        if (GetFileAttributesW(c.file.c_str()) == INVALID_FILE_ATTRIBUTES) continue;
        ExpectSameAsPlatform(c.file, c.minGroups);
        ++tested;
    }
    EXPECT_GE(tested, 3);
}

TEST(PeReaderVsPlatform, OurPe32LibrariesWithNamedAndNumberedGroups) {
    qmtest::TempDir dir(L"qmpe");
    qmtest::IconSet set;
    set.AddGenerated(3);
    set.Add(qmtest::MakeIcoFile(qmtest::LibraryIconSpecs(7)), L"Zulu");
    set.Add(qmtest::MakeIcoFile(qmtest::LibraryIconSpecs(8)), L"alpha");
    const auto pe = BuildPeIconLibrary(set.Icons());
    qmtest::WriteBytes(dir / L"lib.icl", pe);
    ExpectSameAsPlatform(dir / L"lib.icl", 5);
}

namespace {

// The pixels of an icon, as 32-bit rows of its colour and mask bitmaps.
std::vector<std::uint32_t> IconPixels(HICON icon) {
    const IconInfo info(icon);
    if (!info) return {};
    std::vector<std::uint32_t> out;
    UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    for (HBITMAP bitmap : {info.color(), info.mask()}) {
        if (!bitmap) continue;
        BITMAP bm{};
        GetObjectW(bitmap, sizeof bm, &bm);
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        bi.bmiHeader.biWidth = bm.bmWidth;
        bi.bmiHeader.biHeight = bm.bmHeight;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        std::vector<std::uint32_t> pixels(static_cast<std::size_t>(bm.bmWidth) * bm.bmHeight);
        GetDIBits(dc.get(), bitmap, 0, bm.bmHeight, pixels.data(), &bi, DIB_RGB_COLORS);
        out.push_back(static_cast<std::uint32_t>(bm.bmWidth));
        out.push_back(static_cast<std::uint32_t>(bm.bmHeight));
        out.insert(out.end(), pixels.begin(), pixels.end());
    }
    return out;
}

void ExpectSameAsExtractIconEx(const std::wstring& file, int expectedCount) {
    SCOPED_TRACE(std::string(file.begin(), file.end()));
    const int platformCount = static_cast<int>(ExtractIconExW(file.c_str(), -1, nullptr, nullptr, 0));
    IconLibrary lib;
    ASSERT_TRUE(lib.Open(file));
    EXPECT_EQ(lib.Count(), platformCount);
    if (expectedCount >= 0) {
        EXPECT_EQ(lib.Count(), expectedCount);
    }
    const int step = std::max(1, lib.Count() / 12);
    for (int i = 0; i < lib.Count(); i += step) {
        // One icon and one size per call: Wine fills only the first slot when asked for several
        // icons, and picks the small picture differently when asked for both sizes at once.
        HICON large = nullptr, small = nullptr;
        ASSERT_EQ(ExtractIconExW(file.c_str(), i, &large, nullptr, 1), 1u) << i;
        ASSERT_EQ(ExtractIconExW(file.c_str(), i, nullptr, &small, 1), 1u) << i;
        UniqueIcon platformLarge(large), platformSmall(small);
        UniqueIcon oursLarge = MakeLargeLibraryIcon(lib, i), oursSmall = MakeSmallLibraryIcon(lib, i);
        ASSERT_TRUE(oursLarge) << i;
        ASSERT_TRUE(oursSmall) << i;
        const auto expectLarge = IconPixels(platformLarge.get());
        const auto expectSmall = IconPixels(platformSmall.get());
        ASSERT_FALSE(expectLarge.empty());
        EXPECT_EQ(IconPixels(oursLarge.get()), expectLarge) << "large " << i;
        EXPECT_EQ(IconPixels(oursSmall.get()), expectSmall) << "small " << i;
    }
}

}  // namespace

TEST(IconLibraryVsExtractIconEx, CountsAndPictures) {
    qmtest::TempDir dir(L"qmlib");
    qmtest::IconSet set;
    set.AddGenerated(6);
    qmtest::WriteBytes(dir / L"one.ico", set.IcoFile(3));
    qmtest::WriteBytes(dir / L"lib.icl", BuildNeIconLibrary(set.Icons()));
    qmtest::WriteBytes(dir / L"lib-pe.icl", BuildPeIconLibrary(set.Icons()));
    ExpectSameAsExtractIconEx(dir / L"one.ico", 1);
    ExpectSameAsExtractIconEx(dir / L"lib.icl", 6);
    ExpectSameAsExtractIconEx(dir / L"lib-pe.icl", 6);
    ExpectSameAsExtractIconEx(SystemFolder() + L"\\shell32.dll", -1);
}

TEST(IconFilesOnWindows, ReadOnlyFilesOpenAndLockedFilesDoNot) {
    qmtest::TempDir dir(L"qmro");
    const std::wstring ico = dir / L"ro.ico";
    qmtest::WriteBytes(ico, qmtest::MakeIcoFile({{16, 16, 4, 1}}));
    ASSERT_TRUE(SetFileAttributesW(ico.c_str(), FILE_ATTRIBUTE_READONLY));
    std::int32_t kind = 0, count = 0;
    EXPECT_TRUE(ProbeIconFile(ico, kind, count));
    EXPECT_EQ(kind, kIconFileIco);
    {
        UniqueFile lock(CreateFileW(ico.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(lock);
        EXPECT_FALSE(ProbeIconFile(ico, kind, count));
        EXPECT_EQ(kind, kIconFileUnknown);
        EXPECT_EQ(count, 0);
    }
    SetFileAttributesW(ico.c_str(), FILE_ATTRIBUTE_NORMAL);
    const std::wstring media = qmtest::ReadOnlyMediaFolder();
    if (media.empty()) GTEST_SKIP() << "no read-only medium";
    InputFile file;
    EXPECT_TRUE(OpenForReading(file, media + L"\\Locked\\desktop.ini"));
    // A save onto read-only media raises the platform's error and leaves no file.
    TWrenIcoObj icon;
    icon.LoadFromFile(ico, 0, kSourceIco);
    ASSERT_TRUE(icon.Loaded);
    const std::wstring target = media + L"\\Locked\\copy.ico";
    EXPECT_THROW(icon.SaveToFile(target), UserError);
    EXPECT_FALSE(qmtest::Exists(target));
}

// Another program cuts an open library short and writes over it (an editor saving): the icons
// still come from what was read when it was opened. The library holds no mapping of the file, so
// the cut goes through (the platform refuses to cut a file while it is mapped).
TEST(IconFilesOnWindows, AnOpenLibraryKeepsWhatItReadWhenTheFileIsCutAndOverwritten) {
    qmtest::TempDir dir(L"qmcut");
    qmtest::IconSet set;
    set.AddGenerated(12);
    for (const auto& [name, bytes] : {std::pair{L"cut-ne.icl", BuildNeIconLibrary(set.Icons())},
                                      std::pair{L"cut-pe.icl", BuildPeIconLibrary(set.Icons())}}) {
        SCOPED_TRACE(WideToUtf8(name));
        const std::wstring path = dir / name;
        qmtest::WriteBytes(path, bytes);
        IconLibrary library;
        ASSERT_TRUE(library.Open(path));
        ASSERT_EQ(library.Count(), 12);
        {
            UniqueFile other(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
            ASSERT_TRUE(other);
            const std::vector<std::uint8_t> garbage(64, 0xEE);
            DWORD written = 0;
            ASSERT_TRUE(WriteFile(other.get(), garbage.data(), 64, &written, nullptr));
            const BOOL cut = SetEndOfFile(other.get());
            EXPECT_TRUE(cut);
        }
        for (int i = 0; i < library.Count(); ++i) {
            SCOPED_TRACE(i);
            IconGroupData group;
            ASSERT_TRUE(library.Group(i, group));
            const auto specs = qmtest::LibraryIconSpecs(i);
            ASSERT_EQ(group.images.size(), specs.size());
            for (std::size_t k = 0; k < specs.size(); ++k) {
                const std::vector<std::uint8_t> image = qmtest::MakeIconImage(specs[k]);
                const ByteView got = group.images[k];
                EXPECT_TRUE(std::equal(image.begin(), image.end(), got.data(), got.data() + got.size()));
            }
        }
    }
}

// Opening a library while another thread keeps cutting it short and writing it back whole: the
// size taken at the open and the bytes read must agree, whatever the file does in between (a
// mapping made after the size was taken once covered less than the size said).
TEST(IconFilesOnWindows, OpeningALibraryThatIsCutAtTheSameTimeNeverReadsPastWhatWasRead) {
    qmtest::TempDir dir(L"qmrace");
    qmtest::IconSet set;
    set.AddGenerated(24);
    const std::vector<std::uint8_t> bytes = BuildNeIconLibrary(set.Icons());
    const std::wstring path = dir / L"race.icl";
    qmtest::WriteBytes(path, bytes);
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        std::uint32_t x = 3;
        while (!stop) {
            UniqueFile f(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
            if (!f) continue;
            x = x * 1103515245u + 12345u;
            const DWORD cut = (x >> 8) % 4 == 0 ? static_cast<DWORD>(bytes.size()) : (x >> 8) % bytes.size();
            DWORD written = 0;
            WriteFile(f.get(), bytes.data(), cut, &written, nullptr);
            // Cut only a longer file. Wine's SetEndOfFile at or past the end writes one byte beyond it
            // and truncates again, so a reader could briefly see a size no writer wrote; Windows never
            // shows that size.
            LARGE_INTEGER size{};
            if (GetFileSizeEx(f.get(), &size) && size.QuadPart > cut) SetEndOfFile(f.get());
        }
    });
    int opened = 0, whole = 0;
    for (int i = 0; i < 3000; ++i) {
        IconLibrary library;
        if (!library.Open(path)) continue;
        ++opened;
        if (library.Count() == 24) ++whole;
        IconGroupData group;
        for (int k = 0; k < library.Count(); ++k) (void)library.Group(k, group);
        EXPECT_LE(library.Bytes().size(), bytes.size());
    }
    stop = true;
    writer.join();
    std::printf("%d opens, %d with every icon\n", opened, whole);
    EXPECT_GT(opened, 0);
}
