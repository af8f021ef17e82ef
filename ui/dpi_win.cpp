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

qm::UniqueIcon LoadIconFileForDpi(const wchar_t* path, int dpi) {
    if (!qm::IsExistingFile(path)) return {};
    qm::UniqueIcon first(static_cast<HICON>(LoadImageW(nullptr, path, IMAGE_ICON, 0, 0, LR_LOADFROMFILE)));
    if (!first || dpi == kDesignDpi) return first;
    BITMAP bm{};
    const qm::IconInfo info(first.get());
    if (!info || !GetObjectW(info.picture(), sizeof bm, &bm)) return first;
    const int height = info.color() ? bm.bmHeight : bm.bmHeight / 2;  // a mask-only icon holds AND and XOR
    qm::UniqueIcon scaled(static_cast<HICON>(
        LoadImageW(nullptr, path, IMAGE_ICON, ScaleToDpi(bm.bmWidth, dpi), ScaleToDpi(height, dpi), LR_LOADFROMFILE)));
    return scaled ? std::move(scaled) : std::move(first);
}

}  // namespace ui
