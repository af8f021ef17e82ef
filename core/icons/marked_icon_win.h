#pragma once
// Marked icons: any icon source Quillmark knows (an .ico, an icon group of a library, a picture, a
// colour) drawn at every made size with an emblem in its lower right corner, written as one made
// icon (core/icons/made_icon.h), so that it is always copied into the folder. The emblem is a
// stock one (core/icons/emblems.h) or any icon source, rendered at each image's emblem side.
// Icon and picture files are untrusted: a file that cannot be read, is cut, too large or no icon
// raises UserError with the reason before anything is written.
#include <cstdint>
#include <string>
#include <vector>

#include "core/icons/emblems.h"
#include "core/icons/icon_renderer.h"
#include "core/icons/colour_folder_icon.h"
#include "core/icons/made_icon.h"

namespace qm {

// The pixels of icon `index` of an .ico file or library, or of a picture fitted into its square,
// at each side of `sides` (square); a negative index is the group's resource id. False with the
// reason in `failure`.
bool RenderIconSource(const std::wstring& file, int index, const std::vector<int>& sides, std::vector<IconPixels>& out,
                      std::wstring& failure);

// The images of a made icon (one per kMadeIconSizes) of FILE,INDEX; raises UserError "Cannot make
// an icon of %s: <why>".
std::vector<IconPixels> IconSourceImages(const std::wstring& file, int index);
// The same of our folder shape in a colour.
std::vector<IconPixels> ColourFolderImages(RgbColour colour);

// The emblem at the emblem side of each made size (kMadeIconSizes order); raises UserError "Cannot
// use %s as an emblem: <why>" for a file.
std::vector<IconPixels> EmblemImages(const EmblemArgument& emblem);

// The .ico file of the images (kMadeIconSizes order) with the emblem's images composited, each with
// the halo of its size; raises UserError when the platform cannot write PNG.
std::vector<std::uint8_t> MakeMarkedIcon(std::vector<IconPixels> images, const std::vector<IconPixels>& emblem);

}  // namespace qm
