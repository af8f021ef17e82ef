// Our icon renderer against the platform, image by image: for the shipped themes and the
// generated fixtures, the pixels we decode equal what DrawIconEx draws from the same image at its
// own size (within 1 per channel), the image we choose for 16, 24, 32 and 48 pixels is the one
// LookupIconIdFromDirectoryEx chooses, and image lists filled with our pictures draw them as
// DrawIconEx does.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/theme_list_win.h"
#include "core/icons/icon_library.h"
#include "core/icons/icon_library_win.h"
#include "core/icons/icon_renderer.h"
#include "tests/support/com_client_win.h"
#include "tests/support/files_win.h"
#include "tests/support/icon_fixtures.h"

using namespace qm;

namespace {

// A named group to compare, with the bytes it views kept alive by its source.
struct Source {
    std::wstring name;
    IconLibrary library;            // shipped themes
    std::vector<std::uint8_t> ico;  // generated fixtures
};

std::vector<std::unique_ptr<Source>> Corpus() {
    std::vector<std::unique_ptr<Source>> sources;
    const std::filesystem::path samples = std::filesystem::path(qmtest::SourceFolder()) / L"data" / L"samples";
    for (const auto& entry : std::filesystem::directory_iterator(samples)) {
        if (entry.path().extension() != L".icl") continue;
        auto s = std::make_unique<Source>();
        s->name = entry.path().filename().wstring();
        if (!s->library.Open(entry.path().wstring())) ADD_FAILURE() << "cannot open " << entry.path();
        sources.push_back(std::move(s));
    }
    for (int i = 0; i < 6; ++i) {
        auto s = std::make_unique<Source>();
        s->name = L"generated " + std::to_wstring(i);
        s->ico = qmtest::MakeIcoFile(qmtest::LibraryIconSpecs(i));
        sources.push_back(std::move(s));
    }
    for (int i = 0; i < 3; ++i) {
        auto s = std::make_unique<Source>();
        s->name = L"theme icon " + std::to_wstring(i);
        s->ico = qmtest::ThemeIcon(i);
        sources.push_back(std::move(s));
    }
    return sources;
}

// Every group of a source.
std::vector<IconGroupData> Groups(const Source& s) {
    std::vector<IconGroupData> groups;
    if (!s.ico.empty()) {
        IconGroupData g;
        std::wstring failure;
        if (ReadIcoFile(ByteView(s.ico.data(), s.ico.size()), g, failure)) groups.push_back(std::move(g));
        return groups;
    }
    for (int i = 0; i < s.library.Count(); ++i) {
        IconGroupData g;
        if (s.library.Group(i, g)) groups.push_back(std::move(g));
    }
    return groups;
}

// DrawIconEx of the image on an opaque background colour, read back as BGRA words.
std::vector<std::uint32_t> PlatformDraw(HICON icon, int width, int height, COLORREF background) {
    const BITMAPINFO info = TopDown32BitInfo(width, height);
    void* bits = nullptr;
    UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    UniqueBitmap bitmap(CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap) return {};
    const HGDIOBJ old = SelectObject(dc.get(), bitmap.get());
    UniqueBrush brush(CreateSolidBrush(background));
    const RECT all{0, 0, width, height};
    FillRect(dc.get(), &all, brush.get());
    DrawIconEx(dc.get(), 0, 0, icon, width, height, 0, nullptr, DI_NORMAL);
    GdiFlush();
    std::vector<std::uint32_t> out(static_cast<const std::uint32_t*>(bits),
                                   static_cast<const std::uint32_t*>(bits) + static_cast<std::size_t>(width) * height);
    SelectObject(dc.get(), old);
    return out;
}

int Channel(std::uint32_t p, int c) { return static_cast<int>((p >> (8 * c)) & 0xFF); }

}  // namespace

TEST(IconRendererAgainstPlatform, PixelsEqualDrawIconExOfTheSameImage) {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    int images = 0, pngImages = 0;
    for (const auto& source : Corpus()) {
        const std::vector<IconGroupData> groups = Groups(*source);
        EXPECT_FALSE(groups.empty()) << source->name;
        for (std::size_t g = 0; g < groups.size(); ++g) {
            for (std::size_t i = 0; i < groups[g].images.size(); ++i) {
                const ByteView image = groups[g].images[i];
                SCOPED_TRACE(testing::Message() << source->name << " group " << g << " image " << i);
                IconPixels ours;
                ASSERT_TRUE(DecodeIconImage(image, ours, &DecodePngWithWic));
                const UniqueIcon icon(CreateIconFromResourceEx(const_cast<PBYTE>(image.data()),
                                                               static_cast<DWORD>(image.size()), TRUE, 0x00030000,
                                                               ours.width, ours.height, LR_DEFAULTCOLOR));
                ASSERT_TRUE(icon);
                // On black the platform leaves the premultiplied colour; on white, 255 - alpha more.
                const auto black = PlatformDraw(icon.get(), ours.width, ours.height, RGB(0, 0, 0));
                const auto white = PlatformDraw(icon.get(), ours.width, ours.height, RGB(255, 255, 255));
                ASSERT_EQ(black.size(), ours.bgra.size());
                int wrong = 0;
                for (std::size_t p = 0; p < ours.bgra.size(); ++p) {
                    const std::uint32_t o = ours.bgra[p];
                    bool same = true;
                    for (int c = 0; c < 3; ++c) {
                        const int alpha = 255 - (Channel(white[p], c) - Channel(black[p], c));
                        same = same && std::abs(Channel(o, c) - Channel(black[p], c)) <= 1 &&
                               std::abs(Channel(o, 3) - alpha) <= 1;
                    }
                    if (!same && wrong++ < 3) {
                        ADD_FAILURE() << "pixel " << p % ours.width << "," << p / ours.width << ": ours " << std::hex
                                      << o << ", platform on black " << black[p] << ", on white " << white[p];
                    }
                }
                EXPECT_EQ(wrong, 0);
                ++images;
                if (IsPngImage(image)) ++pngImages;
            }
        }
    }
    EXPECT_GT(images, 100);
    EXPECT_GT(pngImages, 0);  // the shipped themes hold PNG images, decoded through WIC
    CoUninitialize();
}

TEST(IconRendererAgainstPlatform, ChosenImageIsThePlatformsFor16To48) {
    int groupsSeen = 0;
    for (const auto& source : Corpus()) {
        for (const IconGroupData& group : Groups(*source)) {
            std::vector<std::uint8_t> directory = GroupDirectoryBytes(group);
            for (int size : {16, 24, 32, 48}) {
                const int id = LookupIconIdFromDirectoryEx(directory.data(), TRUE, size, size, LR_DEFAULTCOLOR);
                int platform = -1;
                for (std::size_t i = 0; i < group.entries.size() && platform < 0; ++i) {
                    if (group.entries[i].ID == id) platform = static_cast<int>(i);
                }
                EXPECT_EQ(ChooseIconImage(group, size, size), platform)
                    << source->name << " group " << groupsSeen << " at " << size;
            }
            ++groupsSeen;
        }
    }
    EXPECT_GT(groupsSeen, 20);
}

// Image lists take straight alpha: our premultiplied pictures, added through the icon list's
// path, draw as DrawIconEx draws the same image (semi-transparent edges included).
TEST(IconRendererAgainstPlatform, ImageListDrawsOurPicturesAsDrawIconExDraws) {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    IconLibrary library;
    ASSERT_TRUE(library.Open(qmtest::SourceFolder() + L"\\data\\samples\\Adwaita.icl"));
    ui::Form form;
    ui::ImageList* list = form.Add<ui::ImageList>(L"Pictures", 16, 16);
    const int icons = std::min(library.Count(), 12);
    IconPixels strip{16 * icons, 16, std::vector<std::uint32_t>(static_cast<std::size_t>(16 * icons) * 16, 0)};
    int partlyTransparent = 0;
    for (int i = 0; i < icons; ++i) {
        IconPixels pixels;
        ASSERT_TRUE(RenderLibraryIcon(library, i, 16, 16, pixels));
        for (std::uint32_t p : pixels.bgra) partlyTransparent += (p >> 24) > 0 && (p >> 24) < 255;
        PlacePixels(pixels, strip, 16 * i, 0);
    }
    EXPECT_GT(partlyTransparent, 0);
    ASSERT_EQ(AddAlphaPictures(*list, std::move(strip)), 0);
    ASSERT_EQ(list->Count(), icons);
    for (int i = 0; i < icons; ++i) {
        SCOPED_TRACE(i);
        const UniqueIcon icon = MakeLibraryIcon(library, i, 16, 16);
        for (COLORREF background : {RGB(0, 0, 0), RGB(255, 255, 255)}) {
            const auto expected = PlatformDraw(icon.get(), 16, 16, background);
            // The list drawn on the same background.
            const BITMAPINFO info = TopDown32BitInfo(16, 16);
            void* bits = nullptr;
            UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
            UniqueBitmap target(CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
            const HGDIOBJ old = SelectObject(dc.get(), target.get());
            UniqueBrush brush(CreateSolidBrush(background));
            const RECT all{0, 0, 16, 16};
            FillRect(dc.get(), &all, brush.get());
            ImageList_Draw(list->Handle(), i, dc.get(), 0, 0, ILD_TRANSPARENT);
            GdiFlush();
            const auto* drawn = static_cast<const std::uint32_t*>(bits);
            int wrong = 0;
            for (int p = 0; p < 256; ++p) {
                for (int c = 0; c < 3; ++c) wrong += std::abs(Channel(drawn[p], c) - Channel(expected[p], c)) > 2;
            }
            EXPECT_EQ(wrong, 0) << "on " << std::hex << background;
            SelectObject(dc.get(), old);
        }
    }
    CoUninitialize();
}
