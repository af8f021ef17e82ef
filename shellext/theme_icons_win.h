#pragma once
// The icons of the context-menu theme for one menu: the theme file is opened and parsed once,
// then each icon's picture is rendered from its group by our icon renderer. Works for NE icon
// libraries on every Windows version, unlike the shell's icon extraction, and makes no icon
// objects.
#include <windows.h>

#include <memory>
#include <string>

#include "core/icons/icon_library.h"
#include "core/icons/icon_renderer.h"

namespace qm::shellext {

class ThemeIcons {
public:
    // A missing or unreadable file gives a theme without icons.
    explicit ThemeIcons(const std::wstring& themePath);
    ~ThemeIcons();
    ThemeIcons(const ThemeIcons&) = delete;
    ThemeIcons& operator=(const ThemeIcons&) = delete;

    UINT Count() const noexcept;
    // Icon i at size x size; false when that icon gives no picture.
    bool Picture(UINT index, int size, IconPixels& out) const;
    // The opened file (no icons when it could not be opened).
    const IconLibrary& Source() const noexcept;

private:
    struct Library;
    std::unique_ptr<Library> library_;
};

}  // namespace qm::shellext
