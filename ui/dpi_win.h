#pragma once
// DPI scaling: every layout figure of the windows (positions, sizes, item heights, font heights)
// is given at 96 DPI; these helpers convert them to the DPI of a window. The form keeps its DPI
// and applies them when a control is created or moved and when the window's DPI changes.
#include <windows.h>

#include "core/base/handles_win.h"

namespace ui {

inline constexpr int kDesignDpi = 96;

// `value` at 96 DPI as pixels at `dpi`, rounded to the nearest pixel (MulDiv).
int ScaleToDpi(int value, int dpi);
// Pixels at `dpi` back to the 96-DPI figure (the inverse of ScaleToDpi for dpi >= 96).
int ScaleFromDpi(int value, int dpi);

// The DPI a window is drawn at: per monitor for a per-monitor aware process, the system's for a
// system-aware one, 96 for an unaware one.
int WindowDpi(HWND hwnd);
// A system metric (SM_CXICON, SM_CXSMICON, SM_CXMENUCHECK, ...) at `dpi`.
int SystemMetricForDpi(int index, int dpi);
// A font given at 96 DPI, made for `dpi` (its height and width scaled, rounded towards zero).
LOGFONTW FontForDpi(LOGFONTW font, int dpi);
// An .ico file at the size of its first image, scaled to `dpi`: the platform takes the file's best
// image for that size. Empty when the file is missing or unreadable.
qm::UniqueIcon LoadIconFileForDpi(const wchar_t* path, int dpi);

// The calling thread in another DPI awareness context (SetThreadDpiAwarenessContext) for the
// owner's lifetime; the thread's earlier context comes back at the end.
class ThreadDpiContextScope {
public:
    explicit ThreadDpiContextScope(DPI_AWARENESS_CONTEXT context) noexcept
        : previous_(SetThreadDpiAwarenessContext(context)) {}
    ~ThreadDpiContextScope() {
        if (previous_) SetThreadDpiAwarenessContext(previous_);
    }
    ThreadDpiContextScope(const ThreadDpiContextScope&) = delete;
    ThreadDpiContextScope& operator=(const ThreadDpiContextScope&) = delete;

private:
    DPI_AWARENESS_CONTEXT previous_;  // null when the context was refused (nothing to give back)
};

}  // namespace ui
