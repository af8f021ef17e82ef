#pragma once
// The icon list shared by the icon picker and the custom icon window: ListView1 in list style with
// one numbered entry per icon of a file, each pictured 50 x 32 with the large icon at (0, 0) and the
// small one at (34, 16) (figures at 96 DPI; the icons are rendered at the sizes of the form's DPI). A picture file
// (PNG, JPEG, BMP, GIF, TIFF) lists as one entry, the icon made of it; an icon made in memory (a colour folder) can be
// listed the same way. Pictures come from the icon library, which opens the file once and keeps it in memory. The view
// holds only the count of entries (owner data): an entry's pictures are rendered the first time the view shows it, into
// the image lists at the entry's own index.
#include <cstdint>
#include <string>
#include <vector>

#include "core/icons/icon_library.h"
#include "ui/controls_win.h"

namespace qm {

inline constexpr int kIconPictureWidth = 50;
inline constexpr int kIconPictureHeight = 32;

class IconList {
public:
    // `picturesName`: the 50 x 32 image list of the view; `largeIconsName`: an optional image list
    // (32 x 32) that keeps the large icon of every entry, or nullptr.
    IconList(ui::Form& form, ui::Control* parent, ui::Bounds bounds, const wchar_t* picturesName,
             const wchar_t* largeIconsName);

    // Lists the icons of `file`: empties the view and the image lists, then gives the view one entry
    // per icon, captioned "0", "1", ..., and the image lists as many (blank) images. An unreadable or
    // icon-less file leaves the list empty. Returns the count.
    // A picture that cannot be read raises UserError (the list is left empty).
    int Fill(const std::wstring& file);
    // Lists one entry: the icon of these .ico bytes. Returns the count (0 when they do not read).
    int FillWithIcon(std::vector<std::uint8_t> ico);
    // The selected entry's caption read as a number, or -1 when nothing is selected.
    int SelectedIconNumber() const;
    // Renders the pictures of entries `from` to `to` that are not made yet (image i of the lists is
    // entry i). The view asks for this itself before it draws them.
    void MakePictures(int from, int to);
    // How many entries have their pictures made.
    int PicturesMade() const;
    // After the form's DPI changed (its image lists took the new size, blank): the pictures are
    // rendered again when the view next shows them.
    void DpiChanged();

    ui::ListView* ListView1 = nullptr;
    ui::ImageList* Pictures = nullptr;
    ui::ImageList* LargeIcons = nullptr;

private:
    void Empty();
    bool EntryGroup(int item, IconGroupData& group) const;

    ui::Form& form_;
    IconLibrary library_;
    std::vector<std::uint8_t> madeIco_;  // the icon listed instead of a library's, when not empty
    IconGroupData madeGroup_;            // its images are views into madeIco_
    std::vector<bool> made_;             // one per entry: its pictures are in the image lists
};

}  // namespace qm
