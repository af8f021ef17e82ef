#pragma once
// The icons of the context-menu theme for one menu: the theme file is opened and parsed once,
// then each icon is handed out at menu size (16x16). Works for NE icon libraries on every
// Windows version, unlike the shell's icon extraction.
#include <windows.h>

#include <memory>
#include <string>

#include "core/base/handles_win.h"

namespace qm::shellext {

class ThemeIcons {
public:
    // A missing or unreadable file gives a theme without icons.
    explicit ThemeIcons(const std::wstring& themePath);
    ~ThemeIcons();
    ThemeIcons(const ThemeIcons&) = delete;
    ThemeIcons& operator=(const ThemeIcons&) = delete;

    UINT Count() const noexcept;
    // Icon i at 16x16; empty when that icon cannot be made.
    UniqueIcon SmallIcon(UINT index) const;

private:
    struct Library;
    std::unique_ptr<Library> library_;
};

}  // namespace qm::shellext
