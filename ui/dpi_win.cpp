#include "ui/dpi_win.h"

#include "core/base/long_path_win.h"

namespace ui {

int ScaleToDpi(int value, int dpi) { return dpi == kDesignDpi ? value : MulDiv(value, dpi, kDesignDpi); }

int ScaleFromDpi(int value, int dpi) { return dpi == kDesignDpi || dpi <= 0 ? value : MulDiv(value, kDesignDpi, dpi); }

int WindowDpi(HWND hwnd) {
    const UINT dpi = hwnd ? GetDpiForWindow(hwnd) : GetDpiForSystem();
    return dpi ? static_cast<int>(dpi) : kDesignDpi;
}

int SystemMetricForDpi(int index, int dpi) { return GetSystemMetricsForDpi(index, static_cast<UINT>(dpi)); }

LOGFONTW FontForDpi(LOGFONTW font, int dpi) {
    // Rounded towards zero: a font grows no more than the DPI does, so a text that has room at
    // 96 DPI has it at every DPI (Tahoma's -11 would otherwise become -17 at 144 DPI, 3 % too wide).
    font.lfHeight = static_cast<LONG>(static_cast<long long>(font.lfHeight) * dpi / kDesignDpi);
    font.lfWidth = static_cast<LONG>(static_cast<long long>(font.lfWidth) * dpi / kDesignDpi);
    return font;
}

HICON LoadIconFileForDpi(const wchar_t* path, int dpi) {
    if (!qm::IsExistingFile(path)) return nullptr;
    HICON first = static_cast<HICON>(LoadImageW(nullptr, path, IMAGE_ICON, 0, 0, LR_LOADFROMFILE));
    if (!first || dpi == kDesignDpi) return first;
    ICONINFO info{};
    BITMAP bm{};
    const bool sized =
        GetIconInfo(first, &info) && GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bm, &bm);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    if (!sized) return first;
    const int height = info.hbmColor ? bm.bmHeight : bm.bmHeight / 2;  // a mask-only icon holds AND and XOR
    HICON scaled = static_cast<HICON>(
        LoadImageW(nullptr, path, IMAGE_ICON, ScaleToDpi(bm.bmWidth, dpi), ScaleToDpi(height, dpi), LR_LOADFROMFILE));
    if (!scaled) return first;
    DestroyIcon(first);
    return scaled;
}

}  // namespace ui
