#include "shellext/menu_pictures_win.h"

#include "shellext/server_win.h"

namespace qm::shellext {

UniqueBitmap MakeIconPicture(HICON icon) {
    UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    if (!dc) return UniqueBitmap();
    // 24 bits a pixel: opaque in menus, whatever the screen depth.
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = kMenuPictureSize;
    info.bmiHeader.biHeight = kMenuPictureSize;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    UniqueBitmap picture(CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!picture) return UniqueBitmap();
    const HGDIOBJ previous = SelectObject(dc.get(), picture.get());
    const RECT all{0, 0, kMenuPictureSize, kMenuPictureSize};
    FillRect(dc.get(), &all, GetSysColorBrush(COLOR_MENU));
    if (icon) DrawIconEx(dc.get(), 0, 0, icon, kMenuPictureSize, kMenuPictureSize, 0, nullptr, DI_NORMAL);
    SelectObject(dc.get(), previous);
    GdiFlush();
    return picture;
}

UniqueBitmap LoadCheckMark() {
    return UniqueBitmap(LoadBitmapW(ThisModule(), MAKEINTRESOURCEW(1)));
}

}  // namespace qm::shellext
