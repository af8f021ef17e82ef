#include "core/icons/marked_icon_win.h"

#include <algorithm>

#include "core/base/error.h"
#include "core/icons/icon_library.h"
#include "core/icons/icon_library_win.h"
#include "core/icons/picture_codec_win.h"

namespace qm {
namespace {

std::vector<int> MadeSizes() { return {kMadeIconSizes.begin(), kMadeIconSizes.end()}; }

std::vector<int> EmblemSides() {
    std::vector<int> sides;
    for (const int size : kMadeIconSizes) sides.push_back(EmblemSide(size));
    return sides;
}

}  // namespace

bool RenderIconSource(const std::wstring& file, int index, const std::vector<int>& sides, std::vector<IconPixels>& out,
                      std::wstring& failure) {
    out.clear();
    if (IsPictureFile(file)) {
        IconPixels picture;
        if (!ReadPictureFile(file, picture, failure)) return false;
        for (const int side : sides) out.push_back(FitPictureInSquare(picture, side));
        return true;
    }
    IconLibrary library;
    if (!library.Open(file)) {
        failure = LastOpenErrorText();
        return false;
    }
    if (library.Count() == 0) {
        failure = L"not an icon, a file with icons or a picture";
        return false;
    }
    // A negative index names the group by its resource id, as IconResource and the shell do.
    if (index < 0) {
        for (int i = 0; i < library.Count(); ++i) {
            const PeResourceName name = library.GroupName(i);
            if (name.isId && name.id == -index) {
                index = i;
                break;
            }
        }
    }
    IconGroupData group;
    if (index < 0 || !library.Group(index, group, &failure)) {
        if (failure.empty()) failure = L"there is no icon " + std::to_wstring(index);
        return false;
    }
    for (const int side : sides) {
        IconPixels pixels;
        if (!RenderGroupIcon(group, side, side, pixels)) {
            out.clear();
            failure = L"the icon is damaged or cut short";
            return false;
        }
        out.push_back(std::move(pixels));
    }
    return true;
}

std::vector<IconPixels> IconSourceImages(const std::wstring& file, int index) {
    std::vector<IconPixels> images;
    std::wstring failure;
    if (!RenderIconSource(file, index, MadeSizes(), images, failure))
        throw UserError(FormatMessageText(L"Cannot make an icon of %s: ", file) + failure);
    return images;
}

std::vector<IconPixels> ColourFolderImages(RgbColour colour) {
    std::vector<IconPixels> images;
    for (const int size : kMadeIconSizes) images.push_back(RecolourGrey(FolderShape(size), colour));
    return images;
}

std::vector<IconPixels> EmblemImages(const EmblemArgument& emblem) {
    std::vector<IconPixels> images;
    if (emblem.stock) {
        for (const int side : EmblemSides()) images.push_back(DrawEmblem(*emblem.stock, side));
        return images;
    }
    std::wstring failure;
    if (!RenderIconSource(emblem.file, emblem.index, EmblemSides(), images, failure))
        throw UserError(FormatMessageText(L"Cannot use %s as an emblem: ", emblem.file) + failure);
    return images;
}

std::vector<std::uint8_t> MakeMarkedIcon(std::vector<IconPixels> images, const std::vector<IconPixels>& emblem) {
    const std::size_t n = std::min({images.size(), emblem.size(), kMadeIconSizes.size()});
    for (std::size_t i = 0; i < n; ++i) CompositeEmblem(images[i], emblem[i], EmblemHaloWidth(kMadeIconSizes[i]));
    std::vector<std::uint8_t> ico = MadeIconFile(
        [&](int size) {
            for (std::size_t i = 0; i < images.size(); ++i)
                if (images[i].width == size) return images[i];
            return IconPixels{};
        },
        &EncodePngWithWic);
    if (ico.empty()) throw UserError(L"Cannot make the marked icon: the platform cannot write PNG");
    return ico;
}

}  // namespace qm
