#include "shellext/theme_icons_win.h"

#include <limits>

#include "core/base/long_path_win.h"
#include "core/icons/icon_library.h"
#include "core/icons/icon_library_win.h"
#include "shellext/failure_trail_win.h"

namespace qm::shellext {

struct ThemeIcons::Library {
    IconLibrary icons;
    UINT count = 0;
};

ThemeIcons::ThemeIcons(const std::wstring& themePath) : library_(std::make_unique<Library>()) {
    // A theme that cannot be read gives a menu of the commands only; the trail says why.
    if (!IsExistingFile(themePath)) {
        ReportFailure("ThemeIcons", LastErrorResult(), themePath);  // a folder: ERROR_DIRECTORY
        return;
    }
    if (!library_->icons.Open(themePath)) {
        ReportFailure("ThemeIcons", HRESULT_FROM_WIN32(ERROR_BAD_FORMAT), themePath);
        return;
    }
    const int count = library_->icons.Count();
    library_->count = count > 0 ? static_cast<UINT>(count) : 0;
}

ThemeIcons::~ThemeIcons() = default;

UINT ThemeIcons::Count() const noexcept { return library_->count; }

const IconLibrary& ThemeIcons::Source() const noexcept { return library_->icons; }

bool ThemeIcons::Picture(UINT index, int size, IconPixels& out) const {
    out = IconPixels();
    if (index >= library_->count || index > static_cast<UINT>(std::numeric_limits<int>::max())) return false;
    return RenderLibraryIcon(library_->icons, static_cast<int>(index), size, size, out);
}

}  // namespace qm::shellext
